#pragma once

#include "datasource.h"
#include "field.h"
#include "table.h"

#include <QObject>
#include <QString>

// The data module: the ten cursors over the collection's nine files, their data sources and
// the stamp record's field objects. Windows bind their controls to the data sources by
// name ("DM.FrimSource"). All tables stay closed until the main window opens them.
class TDM : public QObject
{
    Q_OBJECT
public:
    explicit TDM(QObject *parent = nullptr);
    ~TDM() override;

    // On the very first start the data folder does not exist: it is then made with the nine
    // tables, empty but for the configuration record. An existing folder is never touched.
    // Returns true when the folder was created.
    static bool CreateDataFolderIfMissing(const QString &folder = dataFolderPath());
    // The data folder as a path of this platform, relative to the working folder.
    static QString dataFolderPath();

    TDataSource *LandSource;
    TTable *LandTable;
    TDataSource *FrimSource;
    TTable *FrimTable;
    TDataSource *KataSource;
    TTable *KataTable;
    TDataSource *SerieSource;
    TTable *SerieTable;
    TDataSource *FarveSource;
    TTable *FarveTable;
    TDataSource *ArtSource;
    TDataSource *TypeSource;
    TDataSource *KvalitetSource;
    TTable *ArtTable;
    TTable *TypeTable;
    TTable *KvalitetTable;
    TField *FrimTableLand;
    TField *FrimTableKatalog;
    TField *FrimTableRegNr;
    TField *FrimTableSerie;
    TField *FrimTableArt;
    TField *FrimTableNum;
    TField *FrimTablePaalydende;
    TField *FrimTableVaerdiUbrugt;
    TField *FrimTableEkstra;
    TField *FrimTableKatalognr;
    TField *FrimTableAnskaffet;
    TField *FrimTableUdgivet;
    TField *FrimTableMotiv;
    TField *FrimTableType;
    TField *FrimTableFarve;
    TField *FrimTableTakning;
    TField *FrimTableKvalitet;
    TField *FrimTableVandmarke;
    TField *FrimTableNotater;
    TField *FrimTableBillede;
    TField *FrimTableAntal;
    TField *FrimTableStempel;
    TField *FrimTableIalt;
    TField *FrimTableAarstal;
    TField *FrimTableKunstner;
    TField *FrimTableStemplet;
    TField *FrimTableUstemplet;
    TField *FrimTableUbrugt;
    TField *FrimTableVaerdiStemplet;
    TField *FrimTableVaerdiUstemplet;
    TField *FrimTableKatalogvardi;
    TDataSource *FrimAllSource;
    TTable *FrimAllTable;
    TTable *ConfigTable;
    TDataSource *ConfigSource;
};
