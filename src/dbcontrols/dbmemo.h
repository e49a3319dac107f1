#pragma once

#include "fielddatalink.h"

#include <QPlainTextEdit>

// A multi-line edit bound to a memo field, with a vertical scroll bar. With WantTabs the
// Tab key types a tab character instead of moving the focus.
class TDBMemo : public QPlainTextEdit, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool WantTabs READ wantTabs WRITE setWantTabs)
public:
    explicit TDBMemo(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    QString dataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name);
    bool wantTabs() const { return !tabChangesFocus(); }
    void setWantTabs(bool want) { setTabChangesFocus(!want); }
    void setDataSource(TDataSource *source);
    TDataSource *editedDataSource() const override { return m_link.DataSource(); }
    void bindSources(const SourceResolver &resolve) override;

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField();
    void writeField();

    TFieldDataLink m_link;
    QString m_sourceName;
    bool m_modified = false;
    bool m_showing = false;
};
