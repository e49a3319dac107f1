#include "collectionschema.h"
#include "databaseerror.h"
#include "dm.h"
#include "tablefiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// Opens the tables in the order the main window opens them.
void openAll(TDM &dm)
{
    dm.ConfigTable->Open();
    dm.OpenTables();
}

} // namespace

class TestData : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousFolder;

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_previousFolder = QDir::currentPath();
        // The program finds its data relative to the working folder.
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    void cleanup()
    {
        QDir::setCurrent(m_previousFolder);
        m_dir.reset();
    }

    void firstStartCreatesTheCollection()
    {
        // What a first start killed half-way left behind.
        QVERIFY(QDir().mkpath(u".Data-new-a1B2c3/half"_s));
        QVERIFY(TDM::CreateDataFolderIfMissing());
        QVERIFY(!TDM::CreateDataFolderIfMissing());
        QCOMPARE(QDir(u"Data"_s).entryList(QDir::Files).size(), 9);
        // Nothing is left of the folder the tables were built in.
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Data"_s});

        TDM dm;
        QCOMPARE(dm.objectName(), u"DM"_s);
        QCOMPARE(dm.findChild<TDataSource *>(u"FrimSource"_s), dm.FrimSource);
        QCOMPARE(dm.FrimTableKatalogvardi->FieldName(), u"Katalogvardi"_s);
        QCOMPARE(dm.FrimTableNotater->objectName(), u"FrimTableNotater"_s);
        openAll(dm);
        QCOMPARE(dm.ConfigTable->RecordCount(), 1);
        QCOMPARE(dm.ConfigTable->FieldByName(u"Hojde"_s)->AsInteger(), 768);
        QCOMPARE(dm.ConfigTable->FieldByName(u"Bredde"_s)->AsInteger(), 1024);
        QCOMPARE(dm.ConfigTable->FieldByName(u"Sprog"_s)->AsInteger(), -1);
        for (TTable *table :
             {dm.LandTable, dm.FrimTable, dm.KataTable, dm.SerieTable, dm.FarveTable, dm.ArtTable,
              dm.TypeTable, dm.KvalitetTable, dm.FrimAllTable})
            QCOMPARE(table->RecordCount(), 0);
        QCOMPARE(dm.FrimAllTable->FieldCount(), 31);
    }

    void stampsFollowTheirCountry()
    {
        TDM::CreateDataFolderIfMissing();
        TDM dm;
        openAll(dm);
        for (const QString &name : {u"Danmark"_s, u"Norge"_s}) {
            dm.LandTable->Append();
            dm.LandTable->FieldByName(u"Land"_s)->setAsString(name);
            dm.LandTable->Post();
        }
        dm.LandTable->First();
        std::set<int> numbers;
        for (int i = 0; i < 3; ++i) {
            dm.FrimTable->Insert();
            // A new stamp shows its country before anything is typed.
            QCOMPARE(dm.FrimTableLand->AsString(), u"Danmark"_s);
            dm.FrimTableKatalog->setAsString(QString(20, u'k'));
            QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                     dm.FrimTableKatalog->setAsString(QString(21, u'k')));
            dm.FrimTable->Post();
            numbers.insert(dm.FrimTableNum->AsInteger());
        }
        QCOMPARE(numbers.size(), size_t(3));
        QCOMPARE(dm.FrimTable->RecordCount(), 3);
        dm.FrimTable->First();
        dm.FrimTable->Delete();
        QCOMPARE(dm.FrimTableNum->AsInteger(), *std::next(numbers.begin()));

        dm.LandTable->Last();
        QCOMPARE(dm.FrimTable->RecordCount(), 0);
        dm.FrimAllTable->Close();
        dm.FrimAllTable->Open();
        QCOMPARE(dm.FrimAllTable->RecordCount(), 2);
    }

    void aDamagedCollectionIsRefusedAndKept_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing file") << "Tmb_Seri.db"
                                      << "remove";
        QTest::newRow("zero bytes") << "Tmb_Mark.DB"
                                    << "empty";
        QTest::newRow("random bytes") << "Tmb_Mark.DB"
                                      << "random";
        QTest::newRow("truncated") << "Tmb_Mark.DB"
                                   << "truncate";
        QTest::newRow("a field missing") << "Tmb_Mark.DB"
                                         << "drop Ialt";
        QTest::newRow("configuration without Sprog") << "Config.DB"
                                                     << "drop Sprog";
    }

    void aDamagedCollectionIsRefusedAndKept()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QVERIFY(TDM::CreateDataFolderIfMissing());
        {
            TDM dm;
            openAll(dm);
            dm.LandTable->Append();
            dm.LandTable->FieldByName(u"Land"_s)->setAsString(u"Danmark"_s);
            dm.LandTable->Post();
            for (int i = 0; i < 400; ++i) {
                dm.FrimTable->Append();
                dm.FrimTableNotater->setAsString(QString(200, u'n'));
                dm.FrimTable->Post();
            }
        }
        const QString path = QDir(u"Data"_s).filePath(file);
        QVERIFY(TableFiles::damage(path, damage));
        const auto before = TableFiles::folderDigests(u"Data"_s);

        QVERIFY(!TDM::CreateDataFolderIfMissing());
        TDM dm;
        try {
            openAll(dm);
            // A truncated file may open; reading all of it must then fail.
            for (dm.FrimAllTable->First(); !dm.FrimAllTable->Eof(); dm.FrimAllTable->Next())
                dm.FrimAllTable->FieldByName(u"Notater"_s)->AsString();
            QFAIL("the damage should have been reported");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains(file), qPrintable(error.message()));
        }
        QCOMPARE(TableFiles::folderDigests(u"Data"_s), before);
    }
};

QTEST_GUILESS_MAIN(TestData)

#include "tst_data.moc"
