#pragma once

#include "datasource.h"

#include <QString>

#include <functional>

class TField;
class TDataSource;

// How a control follows one field of its data source. The control says what to do when the
// shown value must change, when its pending text must be written, and when the table's
// state changed.
class TFieldDataLink : public TDataLink
{
public:
    const QString &FieldName() const { return m_fieldName; }
    void setFieldName(const QString &name) { m_fieldName = name; }
    TField *Field() const; // nullptr while the table is closed or has no such field
    bool Active() const;
    bool Editing() const;
    // Puts the record into edit (appending on an empty table); false if it cannot be edited.
    bool Edit();

    std::function<void()> onDataChange;
    std::function<void()> onUpdateRecord;
    std::function<void()> onStateChange;

protected:
    void dataEvent(TDataEvent event, TField *field) override;

private:
    QString m_fieldName;
};

// Resolves the "DM.FrimSource" names that designed windows give their controls.
class TDataAware
{
public:
    virtual ~TDataAware() = default;
    using SourceResolver = std::function<TDataSource *(const QString &name)>;
    virtual void bindSources(const SourceResolver &resolve) = 0;
    // The source whose current record the control edits, if it edits one.
    virtual TDataSource *editedDataSource() const { return nullptr; }
};

// What every control bound to one field shares: its data source's designed name, the link
// to the field and the binding. A control supplies only how it shows its field.
class TFieldControl : public TDataAware
{
public:
    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    void setDataSource(TDataSource *source)
    {
        m_link.setDataSource(source);
        showField();
    }
    TDataSource *DataSource() const { return m_link.DataSource(); }
    QString dataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name)
    {
        m_link.setFieldName(name);
        showField();
    }
    TField *Field() const { return m_link.Field(); }
    void bindSources(const SourceResolver &resolve) override
    {
        setDataSource(resolve(m_sourceName));
    }

protected:
    // Shows the field's present value (or nothing without one).
    virtual void showField() = 0;

    TFieldDataLink m_link;

private:
    QString m_sourceName;
};

class QObject;
class QWidget;
// Links every data-aware control under `root` to the data sources of `dataModule`.
void bindDataControls(QWidget *root, QObject *dataModule);
