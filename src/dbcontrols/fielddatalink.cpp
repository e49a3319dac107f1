#include "fielddatalink.h"

#include "field.h"
#include "table.h"

#include <QWidget>

#include <stdexcept>

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
    const auto find = [&](const QString &name) -> TDataSource * {
        if (name.isEmpty())
            return nullptr;
        const QString child =
            name.startsWith(prefix, Qt::CaseInsensitive) ? name.mid(prefix.size()) : name;
        return dataModule->findChild<TDataSource *>(child);
    };
    QStringList unresolved;
    QString binding; // the control being bound, for the report
    const TDataAware::SourceResolver resolve = [&](const QString &name) {
        TDataSource *source = find(name);
        if (!source && !name.isEmpty())
            unresolved.append(u"%1: no data source '%2'"_s.arg(binding, name));
        return source;
    };
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        auto *control = dynamic_cast<TDataAware *>(widget);
        if (!control)
            continue;
        binding = widget->objectName();
        control->bindSources(resolve);
        // A field the table declares must exist; a table that takes its fields from its file
        // has none to check against before it opens.
        const QString field = widget->property("DataField").toString();
        const QString source = widget->property("DataSource").toString();
        const TDataSource *dataSource = find(source);
        const TTable *table = dataSource ? dataSource->DataSet() : nullptr;
        if (!field.isEmpty() && table && table->FieldCount() > 0 && !table->FindField(field))
            unresolved.append(u"%1: no field '%2' in %3"_s.arg(binding, field, source));
    }
    // A name in a designed window that resolves to nothing would leave a control silently
    // empty: the window is not fit to show.
    if (!unresolved.isEmpty())
        throw std::invalid_argument(unresolved.join(u"; "_s).toStdString());
}
