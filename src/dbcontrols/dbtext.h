#pragma once

#include "fielddatalink.h"

#include <QLabel>

// A read-only label that shows a field's display text, optionally sized to its text.
class TDBText : public QLabel, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
public:
    explicit TDBText(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    QString dataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    void setDataSource(TDataSource *source);
    void bindSources(const SourceResolver &resolve) override;

private:
    void showField();

    TFieldDataLink m_link;
    QString m_sourceName;
    bool m_autoSize = false;
};
