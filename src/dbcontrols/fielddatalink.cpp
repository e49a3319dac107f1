#include "fielddatalink.h"

#include "field.h"
#include "table.h"

#include <QWidget>

using namespace Qt::Literals::StringLiterals;

TField *TFieldDataLink::Field() const
{
    TTable *table = DataSet();
    if (!table || !table->Active() || m_fieldName.isEmpty())
        return nullptr;
    return table->FindField(m_fieldName);
}

bool TFieldDataLink::Active() const
{
    return DataSet() && DataSet()->Active();
}

bool TFieldDataLink::Editing() const
{
    const TDataSetState state = DataSource() ? DataSource()->State() : TDataSetState::Inactive;
    return state == TDataSetState::Edit || state == TDataSetState::Insert;
}

bool TFieldDataLink::Edit()
{
    TField *field = Field();
    if (!field || field->ReadOnly())
        return false;
    if (!Editing())
        DataSet()->Edit();
    return Editing();
}

void TFieldDataLink::dataEvent(TDataEvent event, TField *field)
{
    switch (event) {
    case TDataEvent::UpdateRecord:
        if (onUpdateRecord)
            onUpdateRecord();
        break;
    case TDataEvent::StateChanged:
        if (onStateChange)
            onStateChange();
        break;
    case TDataEvent::FieldChanged:
        if (field && field->FieldName().compare(m_fieldName, Qt::CaseInsensitive) != 0)
            break;
        [[fallthrough]];
    default:
        if (onDataChange)
            onDataChange();
        break;
    }
}

void bindDataControls(QWidget *root, QObject *dataModule)
{
    const QString prefix = dataModule->objectName() + u'.';
    const TDataAware::SourceResolver resolve = [&](const QString &name) -> TDataSource * {
        if (name.isEmpty())
            return nullptr;
        const QString child =
            name.startsWith(prefix, Qt::CaseInsensitive) ? name.mid(prefix.size()) : name;
        return dataModule->findChild<TDataSource *>(child);
    };
    for (QWidget *widget : root->findChildren<QWidget *>())
        if (auto *control = dynamic_cast<TDataAware *>(widget))
            control->bindSources(resolve);
}
