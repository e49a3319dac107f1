#pragma once

#include "fielddatalink.h"

#include <QLineEdit>

// A line edit bound to one field: shows the field's text, limits typing to the field's
// size, puts the record into edit when the user types and writes the text into the field
// before the record is posted (or when the edit loses the focus).
class TDBEdit : public QLineEdit, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
public:
    explicit TDBEdit(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    QString dataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name);
    void setDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_link.DataSource(); }
    TDataSource *editedDataSource() const override { return m_link.DataSource(); }
    TField *Field() const { return m_link.Field(); }
    void bindSources(const SourceResolver &resolve) override;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showField();
    void writeField();
    void userEdited();

    TFieldDataLink m_link;
    QString m_sourceName;
    bool m_modified = false;
};
