#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class TTable;

enum class TFieldType
{
    String,
    SmallInt,
    Integer,
    AutoInc,
    Float,
    Currency,
    Memo,
    Blob
};

// One column of a table's current record. A field reads and writes through its table: the
// record being edited while the table is in edit or insert, else the current record.
class TField : public QObject
{
    Q_OBJECT
public:
    TField(TTable *table, const QString &fieldName, TFieldType type, int size);

    TTable *DataSet() const { return m_table; }
    const QString &FieldName() const { return m_fieldName; }
    TFieldType DataType() const { return m_type; }
    int Size() const { return m_size; } // characters of a text field, else 0
    int Index() const { return m_index; }
    bool ReadOnly() const { return m_type == TFieldType::AutoInc; }
    bool IsNumeric() const;

    bool IsNull() const;
    QVariant Value() const;   // null QVariant for an empty field
    QString AsString() const; // empty text for an empty field
    int AsInteger() const;    // 0 for an empty field
    double AsFloat() const;
    double AsCurrency() const; // rounded to four decimals, halves to even
    // The text a grid shows: money in the locale's currency format.
    QString DisplayText() const;
    // The same texts for a value of this field held elsewhere (a row a grid shows).
    QString textOf(const QVariant &value) const;
    QString displayTextOf(const QVariant &value) const;
    // The text an edit starts from: money as a plain number with the currency's decimals.
    QString EditText() const;

    void setValue(const QVariant &value);
    // Number fields parse the text with the locale's decimal separator; empty text empties.
    void setAsString(const QString &text);
    void setAsInteger(int value);
    void setAsFloat(double value);
    void setAsCurrency(double value);
    void Clear();

    // Turns a value of the field's kind into the stored form, or throws EFieldValueError.
    QVariant convert(const QVariant &value) const;

private:
    friend class TTable;
    QVariant parseText(const QString &text) const;
    [[noreturn]] void refuse(const QString &why) const;

    TTable *m_table;
    QString m_fieldName;
    TFieldType m_type;
    int m_size;
    int m_index = -1;
};

// Number formatting and parsing shared by the fields and the rules built on them.
