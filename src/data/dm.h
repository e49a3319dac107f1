#pragma once

#include "datasource.h"
#include "field.h"
#include "table.h"

#include <QObject>
#include <QString>

// What the stamp record rules need of the main window: the text of an edit of the stamp or
// country page as the user sees or typed it, the keyboard focus, the status bar and the
// overview's stamp count label. Edits are named as on the window ("DBEdit18").
class TStampRulesWindow
{
public:
    virtual QString editText(const QString &editName) const = 0;
    virtual void focusEdit(const QString &editName) = 0;
    virtual void setStatusText(const QString &text) = 0;
    virtual void setStampCountText(const QString &text) = 0;

protected:
    ~TStampRulesWindow() = default;
};

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

    // Opens the countries, the stamps, the six pick lists and the overview's cursor, in the
    // order the main window opens them at start-up.
    void OpenTables();

    // The window whose edits the stamp record rules read. Without one (a program without
    // windows) an edit's text is its field's text and the window effects are left out.
    void setRulesWindow(TStampRulesWindow *window) { m_window = window; }

    // The stamp record rules, run inside the table operations they are attached to.
    void LandTableAfterInsert();
    void FrimTableAfterInsert();
    void FrimTableBeforePost();
    void FrimTableAfterPost();
    void FrimSourceDataChange();
    void FrimAllSourceDataChange();
    // A stamp saved through the overview's grid gets its total as on the stamp page.
    void FrimAllTableBeforePost();

    // Ialt of the table's current record from its counts and values, empty ones as 0,
    // stored through the locale's text form and so rounded to 15 significant digits.
    static void computeTotal(TTable &stamps);

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

private:
    QString editText(const char16_t *editName, const TField &field) const;

    TStampRulesWindow *m_window = nullptr;
};
