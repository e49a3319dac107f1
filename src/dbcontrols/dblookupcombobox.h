#pragma once

#include "fielddatalink.h"

#include <QComboBox>

#include <functional>

// A pick list over a list table (ListSource, with KeyField and ListField). Bound to a field
// through DataSource and DataField, choosing an entry writes its text into the field; without
// a field the list only holds a key value. The value changes by choosing a row, by the
// arrow keys while closed and by typing the beginning of a value; then OnClick runs.
class TDBLookupComboBox : public QComboBox, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString ListSource READ listSourceName WRITE setListSourceName)
    Q_PROPERTY(QString KeyField READ keyField WRITE setKeyField)
    Q_PROPERTY(QString ListField READ listField WRITE setListField)
    Q_PROPERTY(int DropDownRows READ maxVisibleItems WRITE setMaxVisibleItems)
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    QString listSourceName() const { return m_listSourceName; }
    void setListSourceName(const QString &name) { m_listSourceName = name; }
    void setListSource(const QString &name) { setListSourceName(name); }
    void setDropDownRows(int rows) { setMaxVisibleItems(rows); }
    QString dataField() const { return m_data.FieldName(); }
    void setDataField(const QString &name);
    QString keyField() const { return m_list.FieldName(); }
    void setKeyField(const QString &name);
    QString listField() const { return m_listField; }
    void setListField(const QString &name);
    void setDataSource(TDataSource *source);
    void setListSource(TDataSource *source);
    void bindSources(const SourceResolver &resolve) override;
    TDataSource *editedDataSource() const override { return m_data.DataSource(); }

    QString KeyValue() const { return m_keyValue; }
    void setKeyValue(const QString &value);
    // Shown text: the chosen entry, or nothing.
    QString Text() const { return currentIndex() >= 0 ? currentText() : QString(); }
    // Chooses the entry as the user would; false if the list has no such entry.
    bool choose(const QString &entry);

    std::function<void(TDBLookupComboBox &)> OnClick;

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void reloadList();
    void showValue();
    void userChose(int index);

    TFieldDataLink m_data;
    TFieldDataLink m_list;
    QString m_sourceName;
    QString m_listSourceName;
    QString m_listField;
    QString m_keyValue;
    bool m_updating = false;
};
