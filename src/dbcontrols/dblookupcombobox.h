#pragma once

#include "fielddatalink.h"

#include <QComboBox>

#include <functional>

// A pick list over a list table (ListSource, with KeyField and ListField). Bound to a field
// through DataSource and DataField, choosing an entry writes its text into the field; without
// a field the list only holds a key value. The value changes by choosing a row, by the
// arrow keys while closed and by typing the beginning of a value; then OnClick runs.
class TDBLookupComboBox : public QComboBox, public TFieldControl
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

    // Designed windows name their list source too; it is bound with the data source.
    QString listSourceName() const { return m_listSourceName; }
    void setListSourceName(const QString &name) { m_listSourceName = name; }
    void setListSource(const QString &name) { setListSourceName(name); }
    void setDropDownRows(int rows) { setMaxVisibleItems(rows); }
    QString keyField() const { return m_list.FieldName(); }
    void setKeyField(const QString &name);
    QString listField() const { return m_listField; }
    void setListField(const QString &name);
    void setListSource(TDataSource *source);
    void bindSources(const SourceResolver &resolve) override;
    TDataSource *editedDataSource() const override { return m_link.DataSource(); }

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
    void showField() override;
    void userChose(int index);

    TFieldDataLink m_list;
    QString m_listSourceName;
    QString m_listField;
    QString m_keyValue;
    bool m_updating = false;
};
