#pragma once

#include "fielddatalink.h"

#include <QLineEdit>

// A line edit bound to one field: shows the field's text, limits typing to the field's
// size, puts the record into edit when the user types and writes the text into the field
// before the record is posted (or when the edit loses the focus).
class TDBEdit : public QLineEdit, public TFieldControl
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
public:
    explicit TDBEdit(QWidget *parent = nullptr);

    TDataSource *editedDataSource() const override { return m_link.DataSource(); }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showField() override;
    void writeField();
    void userEdited();

    bool m_modified = false;
};
