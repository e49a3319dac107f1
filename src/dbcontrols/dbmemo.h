#pragma once

#include "fielddatalink.h"

#include <QPlainTextEdit>

// A multi-line edit bound to a memo field, with a vertical scroll bar. With WantTabs the
// Tab key types a tab character instead of moving the focus.
class TDBMemo : public QPlainTextEdit, public TFieldControl
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool WantTabs READ wantTabs WRITE setWantTabs)
public:
    explicit TDBMemo(QWidget *parent = nullptr);

    bool wantTabs() const { return !tabChangesFocus(); }
    void setWantTabs(bool want) { setTabChangesFocus(!want); }
    TDataSource *editedDataSource() const override { return m_link.DataSource(); }

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField() override;
    void writeField();

    bool m_modified = false;
    bool m_showing = false;
};
