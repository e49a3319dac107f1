#include "dm.h"

#include "collectionschema.h"
#include "databaseerror.h"
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
}

TDM::~TDM()
{
    // Detail before master, so that closing the countries does not re-read the stamps.
    for (TTable *table : {FrimTable, FrimAllTable, LandTable, KataTable, SerieTable, FarveTable,
                          ArtTable, TypeTable, KvalitetTable, ConfigTable})
        table->Close();
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
