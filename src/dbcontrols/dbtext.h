#pragma once

#include "fielddatalink.h"

#include <QLabel>

// A read-only label that shows a field's display text, optionally sized to its text.
class TDBText : public QLabel, public TFieldControl
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
public:
    explicit TDBText(QWidget *parent = nullptr);

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);

private:
    void showField() override;

    bool m_autoSize = false;
};
