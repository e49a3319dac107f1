#include "dblookupcombobox.h"

#include "field.h"
#include "handler.h"
#include "table.h"

#include <QSignalBlocker>
#include <QWheelEvent>

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setMaxVisibleItems(12);
    // The wheel neither takes the focus nor changes the value (see wheelEvent).
    setFocusPolicy(Qt::StrongFocus);
    m_link.onDataChange = [this] { showField(); };
    m_list.onDataChange = [this] { reloadList(); };
    connect(this, &QComboBox::activated, this, [this](int index) { userChose(index); });
}

void TDBLookupComboBox::wheelEvent(QWheelEvent *event)
{
    // A closed list changes its value only when the user chooses, steps with the arrow keys
    // or types: a wheel passing over it must not rewrite a stamp or filter the overview.
    // The parent gets the event, so a scrolling page still scrolls.
    event->ignore();
}

void TDBLookupComboBox::setKeyField(const QString &name)
{
    m_list.setFieldName(name);
    reloadList();
}

void TDBLookupComboBox::setListField(const QString &name)
{
    m_listField = name;
    reloadList();
}

void TDBLookupComboBox::setListSource(TDataSource *source)
{
    m_list.setDataSource(source);
    reloadList();
}

void TDBLookupComboBox::bindSources(const SourceResolver &resolve)
{
    setListSource(resolve(m_listSourceName));
    TFieldControl::bindSources(resolve);
}

void TDBLookupComboBox::reloadList()
{
    // The list is read without moving the list table's cursor.
    QStringList entries;
    TTable *table = m_list.DataSet();
    if (table && table->Active()) {
        const TField *shown = table->FindField(m_listField.isEmpty() ? keyField() : m_listField);
        if (shown) {
            const int count = table->RecordCount();
            entries.reserve(count);
            for (int row = 0; row < count; ++row)
                entries.append(shown->textOf(table->valueAt(row, shown->Index())));
        }
    }
    QStringList current;
    for (int i = 0; i < count(); ++i)
        current.append(itemText(i));
    if (current != entries) {
        const QSignalBlocker blocker(this);
        clear();
        addItems(entries);
    }
    showField();
}

void TDBLookupComboBox::showField()
{
    if (const TField *field = m_link.Field())
        m_keyValue = field->AsString();
    else if (m_link.DataSource())
        m_keyValue.clear();
    const QSignalBlocker blocker(this);
    setCurrentIndex(m_keyValue.isEmpty() ? -1 : findText(m_keyValue, Qt::MatchExactly));
}

void TDBLookupComboBox::setKeyValue(const QString &value)
{
    m_keyValue = value;
    const QSignalBlocker blocker(this);
    setCurrentIndex(value.isEmpty() ? -1 : findText(value, Qt::MatchExactly));
}

bool TDBLookupComboBox::choose(const QString &entry)
{
    const int index = findText(entry, Qt::MatchExactly);
    if (index < 0)
        return false;
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
    userChose(index);
    return true;
}

void TDBLookupComboBox::userChose(int index)
{
    if (index < 0)
        return;
    const QString entry = itemText(index);
    const bool done = runHandler([&] {
        // Choosing makes the entry the current record of the list table.
        if (TTable *table = m_list.DataSet(); table && table->Active())
            table->Locate(keyField(), entry);
        m_keyValue = entry;
        if (TField *field = m_link.Field()) {
            if (!m_link.Edit())
                return;
            field->setAsString(entry);
        }
    });
    showField();
    if (done && OnClick)
        runHandler([this] { OnClick(*this); });
}
