#include "dm.h"

#include "collectionschema.h"
#include "databaseerror.h"
#include "numbertext.h"
#include "statustext.h"
#include "tablefile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename T> T *named(QObject *owner, const QString &name)
{
    auto *object = new T(owner);
    object->setObjectName(name);
    return object;
}

TTable *tableOver(QObject *owner, const QString &name, const TTableDef &definition,
                  bool declareFields = true)
{
    auto *table = named<TTable>(owner, name);
    table->setDatabaseName(CollectionSchema::dataFolder());
    table->setTableName(definition.fileName);
    if (declareFields)
        for (const TFieldDef &field : definition.fields)
            table->addField(field.name, field.type, field.size)->setObjectName(name + field.name);
    return table;
}

TDataSource *sourceOf(QObject *owner, const QString &name, TTable *table)
{
    auto *source = named<TDataSource>(owner, name);
    source->setDataSet(table);
    return source;
}

} // namespace

TDM::TDM(QObject *parent) : QObject(parent)
{
    setObjectName(u"DM"_s);
    using namespace CollectionSchema;
    LandTable = tableOver(this, u"LandTable"_s, countries());
    LandSource = sourceOf(this, u"LandSource"_s, LandTable);
    FrimTable = tableOver(this, u"FrimTable"_s, stamps());
    FrimSource = sourceOf(this, u"FrimSource"_s, FrimTable);
    KataTable = tableOver(this, u"KataTable"_s, catalogues());
    KataSource = sourceOf(this, u"KataSource"_s, KataTable);
    SerieTable = tableOver(this, u"SerieTable"_s, series());
    SerieSource = sourceOf(this, u"SerieSource"_s, SerieTable);
    FarveTable = tableOver(this, u"FarveTable"_s, colours());
    FarveSource = sourceOf(this, u"FarveSource"_s, FarveTable);
    ArtTable = tableOver(this, u"ArtTable"_s, kinds());
    TypeTable = tableOver(this, u"TypeTable"_s, types());
    KvalitetTable = tableOver(this, u"KvalitetTable"_s, qualities());
    ArtSource = sourceOf(this, u"ArtSource"_s, ArtTable);
    TypeSource = sourceOf(this, u"TypeSource"_s, TypeTable);
    KvalitetSource = sourceOf(this, u"KvalitetSource"_s, KvalitetTable);

    // The stamps of the current country follow the country list.
    FrimTable->setMasterSource(LandSource);
    FrimTable->setMasterFields(u"Land"_s);
    FrimTable->setIndexFieldNames(u"Land"_s);

    TField **stampFields[] = {&FrimTableLand,
                              &FrimTableKatalog,
                              &FrimTableRegNr,
                              &FrimTableSerie,
                              &FrimTableArt,
                              &FrimTableNum,
                              &FrimTablePaalydende,
                              &FrimTableVaerdiUbrugt,
                              &FrimTableEkstra,
                              &FrimTableKatalognr,
                              &FrimTableAnskaffet,
                              &FrimTableUdgivet,
                              &FrimTableMotiv,
                              &FrimTableType,
                              &FrimTableFarve,
                              &FrimTableTakning,
                              &FrimTableKvalitet,
                              &FrimTableVandmarke,
                              &FrimTableNotater,
                              &FrimTableBillede,
                              &FrimTableAntal,
                              &FrimTableStempel,
                              &FrimTableIalt,
                              &FrimTableAarstal,
                              &FrimTableKunstner,
                              &FrimTableStemplet,
                              &FrimTableUstemplet,
                              &FrimTableUbrugt,
                              &FrimTableVaerdiStemplet,
                              &FrimTableVaerdiUstemplet,
                              &FrimTableKatalogvardi};
    static_assert(std::size(stampFields) == 31);
    for (size_t i = 0; i < std::size(stampFields); ++i)
        *stampFields[i] = FrimTable->Fields().at(i);

    // The overview's cursor takes its fields from the file.
    FrimAllTable = tableOver(this, u"FrimAllTable"_s, stamps(), false);
    FrimAllSource = sourceOf(this, u"FrimAllSource"_s, FrimAllTable);
    ConfigTable = tableOver(this, u"ConfigTable"_s, configuration());
    ConfigSource = sourceOf(this, u"ConfigSource"_s, ConfigTable);

    LandTable->AfterInsert = [this](TTable &) { LandTableAfterInsert(); };
    FrimTable->AfterInsert = [this](TTable &) { FrimTableAfterInsert(); };
    FrimTable->BeforePost = [this](TTable &) { FrimTableBeforePost(); };
    FrimTable->AfterPost = [this](TTable &) { FrimTableAfterPost(); };
    FrimSource->OnDataChange = [this](TDataSource &, TField *) { FrimSourceDataChange(); };
    FrimAllSource->OnDataChange = [this](TDataSource &, TField *) { FrimAllSourceDataChange(); };
    FrimAllTable->BeforePost = [this](TTable &) { FrimAllTableBeforePost(); };
}

TDM::~TDM()
{
    // Detail before master, so that closing the countries does not re-read the stamps.
    for (TTable *table : {FrimTable, FrimAllTable, LandTable, KataTable, SerieTable, FarveTable,
                          ArtTable, TypeTable, KvalitetTable, ConfigTable})
        table->Close();
}

void TDM::OpenTables()
{
    for (TTable *table : {LandTable, FrimTable, KataTable, SerieTable, FarveTable, ArtTable,
                          TypeTable, KvalitetTable, FrimAllTable})
        table->Open();
}

QString TDM::dataFolderPath()
{
    QString folder = CollectionSchema::dataFolder();
    folder.replace(u'\\', u'/');
    return QDir::cleanPath(folder);
}

bool TDM::CreateDataFolderIfMissing(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists())
        return false;
    // The tables are made in a folder beside the data folder and moved into place only when
    // all nine are complete, so an interrupted first start leaves no half-made collection.
    const QString parent = info.absolutePath();
    // A first start that was killed half-way leaves its unfinished folder: it goes now.
    for (const QFileInfo &stale :
         QDir(parent).entryInfoList({u".Data-new-??????"_s}, QDir::Dirs | QDir::Hidden))
        QDir(stale.absoluteFilePath()).removeRecursively();
    QTemporaryDir building(QDir(parent).filePath(u".Data-new-XXXXXX"_s));
    if (!building.isValid())
        throw EDatabaseError(
            u"%1: the data folder cannot be created (%2)"_s.arg(folder, building.errorString()));
    for (const TTableDef *table : CollectionSchema::all())
        createTableFile(building.path(), *table);
    if (!QDir().rename(building.path(), info.absoluteFilePath()))
        throw EDatabaseError(u"%1: the data folder cannot be created"_s.arg(folder));
    building.setAutoRemove(false);
    return true;
}

QString TDM::editText(const char16_t *editName, const TField &field) const
{
    return m_window ? m_window->editText(QString::fromUtf16(editName)) : field.AsString();
}

void TDM::LandTableAfterInsert()
{
    if (m_window)
        m_window->focusEdit(u"DBEdit1"_s);
}

void TDM::FrimTableAfterInsert()
{
    if (m_window)
        m_window->focusEdit(u"DBEdit2"_s);
    FrimTableLand->setAsString(LandTable->FieldByName(u"Land"_s)->AsString());
}

void TDM::computeTotal(TTable &stamps)
{
    const auto value = [&](const QString &name) { return stamps.FieldByName(name)->AsFloat(); };
    double total = value(u"VaerdiUbrugt"_s) * value(u"Ubrugt"_s);
    total = total + value(u"VaerdiStemplet"_s) * value(u"Stemplet"_s);
    total = total + value(u"VaerdiUstemplet"_s) * value(u"Ustemplet"_s);
    stamps.FieldByName(u"Ialt"_s)->setAsString(NumberText::formatGeneral(total));
}

void TDM::FrimTableBeforePost()
{
    // Decided by what the edits show, not by the stored values.
    const std::pair<const char16_t *, TField *> countsAndValues[] = {
        {u"DBEdit18", FrimTableUbrugt},         {u"DBEdit16", FrimTableVaerdiUbrugt},
        {u"DBEdit21", FrimTableStemplet},       {u"DBEdit22", FrimTableUstemplet},
        {u"DBEdit23", FrimTableVaerdiStemplet}, {u"DBEdit24", FrimTableVaerdiUstemplet},
    };
    for (const auto &[edit, field] : countsAndValues)
        if (editText(edit, *field).isEmpty())
            field->setAsString(u"0"_s);
    computeTotal(*FrimTable);
}

void TDM::FrimTableAfterPost()
{
    // The overview shows the saved stamp; a change pending there is saved first, not lost.
    if (FrimAllTable->Active())
        FrimAllTable->CheckBrowseMode();
    FrimAllTable->Close();
    FrimAllTable->Open();

    // Values typed on the stamp page join the pick lists, unless the list has them in any
    // letter case.
    const std::tuple<TField *, TTable *, const char16_t *> lookups[] = {
        {FrimTableKatalog, KataTable, u"DBEdit2"}, {FrimTableSerie, SerieTable, u"DBEdit6"},
        {FrimTableFarve, FarveTable, u"DBEdit12"}, {FrimTableArt, ArtTable, u"DBEdit10"},
        {FrimTableType, TypeTable, u"DBEdit11"},   {FrimTableKvalitet, KvalitetTable, u"DBEdit14"},
    };
    for (const auto &[field, list, edit] : lookups) {
        const QString value = field->AsString();
        if (list->Locate(field->FieldName(), value, TLocateOption::CaseInsensitive))
            continue;
        const QString typed = editText(edit, *field);
        if (typed.isEmpty())
            continue;
        list->Insert();
        list->FieldByName(field->FieldName())->setAsString(typed);
        list->Post();
    }

    if (m_window)
        m_window->setStatusText(StatusText::danish(FrimTable->RecordCount()));
}

void TDM::FrimSourceDataChange()
{
    if (m_window && FrimTable->Active())
        m_window->setStampCountText(QString::number(FrimTable->RecordCount()));
}

void TDM::FrimAllSourceDataChange()
{
    if (m_window && FrimAllTable->Active())
        m_window->setStampCountText(QString::number(FrimAllTable->RecordCount()));
}

void TDM::FrimAllTableBeforePost()
{
    computeTotal(*FrimAllTable);
}
