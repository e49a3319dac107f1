#include "databaseerror.h"
#include "datasource.h"
#include "numbertext.h"
#include "ranksort.h"
#include "table.h"
#include "tablefile.h"
#include "tablefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const TTableDef &countryDef()
{
    static const TTableDef def{
        u"Tmb_Land.db"_s, {{u"Land"_s, TFieldType::String, 30}}, {u"Land"_s}, {}, {}};
    return def;
}

const TTableDef &stampDef()
{
    static const TTableDef def{
        u"Tmb_Mark.DB"_s,
        {{u"Land"_s, TFieldType::String, 30},
         {u"Katalog"_s, TFieldType::String, 20},
         {u"Num"_s, TFieldType::AutoInc},
         {u"Aarstal"_s, TFieldType::SmallInt},
         {u"Ialt"_s, TFieldType::Currency},
         {u"Notater"_s, TFieldType::Memo, 240}},
        {},
        {{u"IndexLand"_s, {u"Land"_s, u"Num"_s}}, {u"IndexKatalog"_s, {u"Katalog"_s, u"Num"_s}}},
        {}};
    return def;
}

// Collects what a data source reports, for the event checks.
class RecordingLink : public TDataLink
{
public:
    std::vector<TDataEvent> events;

protected:
    void dataEvent(TDataEvent event, TField *) override { events.push_back(event); }
};

QString integrityCheck(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    QString result;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    std::unique_ptr<TTable> openTable(const TTableDef &def)
    {
        auto table = std::make_unique<TTable>();
        table->setDatabaseName(m_dir->path());
        table->setTableName(def.fileName);
        table->Open();
        return table;
    }

    void addCountry(TTable &countries, const QString &name)
    {
        countries.Append();
        countries.FieldByName(u"Land"_s)->setAsString(name);
        countries.Post();
    }

    qint64 addStamp(TTable &stamps, const QString &land, const QString &katalog = {},
                    int year = 1900)
    {
        stamps.Append();
        stamps.FieldByName(u"Land"_s)->setAsString(land);
        stamps.FieldByName(u"Katalog"_s)->setAsString(katalog);
        stamps.FieldByName(u"Aarstal"_s)->setAsInteger(year);
        stamps.Post();
        return stamps.FieldByName(u"Num"_s)->AsInteger();
    }

    QStringList column(TTable &table, const QString &field)
    {
        QStringList values;
        for (table.First(); !table.Eof(); table.Next())
            values.append(table.FieldByName(field)->AsString());
        return values;
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        createTableFile(m_dir->path(), countryDef());
        createTableFile(m_dir->path(), stampDef());
    }

    void groupedNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << u"    0,00"_s;
        QTest::newRow("five") << 5.0 << u"    5,00"_s;
        QTest::newRow("grouped") << 1234.5 << u"1.234,50"_s;
        QTest::newRow("longer than the field") << 1000000.0 << u"1.000.000,00"_s;
        QTest::newRow("negative") << -1234.5 << u"-1.234,50"_s;
        // Halves away from zero, as the decimal value reads, though binary holds 1.00499...
        QTest::newRow("half up") << 1.005 << u"    1,01"_s;
        QTest::newRow("negative half") << -2.675 << u"   -2,68"_s;
        QTest::newRow("carry") << 999.995 << u"1.000,00"_s;
        QTest::newRow("below a half") << 0.00499 << u"    0,00"_s;
        QTest::newRow("rounds to zero: no sign") << -0.001 << u"    0,00"_s;
    }

    void groupedNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText::formatGrouped(value, 2, 8), text);
    }

    void fieldValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored");

        QTest::newRow("decimal comma") << "Ialt"
                                       << "1,5" << true << "1,5";
        QTest::newRow("decimal point refused") << "Ialt"
                                               << "1.5" << false << "";
        QTest::newRow("letters") << "Ialt"
                                 << "abc" << false << "";
        QTest::newRow("two separators") << "Ialt"
                                        << "1,2,3" << false << "";
        QTest::newRow("negative money") << "Ialt"
                                        << "-0,25" << true << "-0,25";
        QTest::newRow("empty money is empty") << "Ialt"
                                              << "" << true << "";
        QTest::newRow("small integer low") << "Aarstal"
                                           << "-32768" << true << "-32768";
        QTest::newRow("small integer high") << "Aarstal"
                                            << "32767" << true << "32767";
        QTest::newRow("small integer too big") << "Aarstal"
                                               << "32768" << false << "";
        QTest::newRow("small integer too small") << "Aarstal"
                                                 << "-32769" << false << "";
        QTest::newRow("integer with decimals") << "Aarstal"
                                               << "19,5" << false << "";
        QTest::newRow("text at its size")
            << "Katalog" << QString(20, u'K') << true << QString(20, u'K');
        QTest::newRow("text over its size") << "Katalog" << QString(21, u'K') << false << "";
        QTest::newRow("memo of any length")
            << "Notater" << QString(1000, u'n') << true << QString(1000, u'n');
    }

    void fieldValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);

        auto stamps = openTable(stampDef());
        stamps->Append();
        stamps->FieldByName(u"Land"_s)->setAsString(u"Danmark"_s);
        try {
            stamps->FieldByName(field)->setAsString(text);
            QVERIFY2(accepted, "the value should have been refused");
        } catch (const EDatabaseError &error) {
            QVERIFY2(!accepted, qPrintable(error.message()));
            // The message names the file and the field; the record stays in edit as typed.
            QVERIFY(error.message().contains(u"Tmb_Mark.DB"_s));
            QVERIFY(error.message().contains(field));
            if (field == u"Katalog")
                QVERIFY(error.message().contains(u"20"_s));
            QCOMPARE(stamps->State(), TDataSetState::Insert);
            QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"Danmark"_s);
            return;
        }
        stamps->Post();
        stamps->Close();
        stamps->Open();
        stamps->Last();
        QCOMPARE(stamps->FieldByName(field)->AsString(), stored);
        QCOMPARE(stamps->FieldByName(field)->IsNull(), stored.isEmpty());
    }

    void rankSortOrdersAsTheCollectorReads()
    {
        // A text field, then a number field; the key breaks the remaining ties.
        RankSort sort({true, false});
        const auto add = [&](qint64 key, const char *text, std::optional<double> number) {
            sort.addRecord(key);
            if (text)
                sort.addText(QByteArrayView(text));
            else
                sort.addEmpty();
            if (number)
                sort.addNumber(*number);
            else
                sort.addEmpty();
        };
        add(1, "Øland", 1);
        add(2, "zebra", 1);
        add(3, "Åland", 1);
        add(4, "aland", 2);
        add(5, nullptr, 7);
        add(6, "Aland", 1);
        add(7, "Æble", std::nullopt);
        add(8, "aland", 2);
        add(9, "Zebra", 0.5);
        QCOMPARE(sort.sortedKeys(), (std::vector<qint64>{5, 6, 4, 8, 9, 2, 7, 1, 3}));
    }

    void fieldTypesAndColumnTypesMapBothWays_data()
    {
        QTest::addColumn<TFieldType>("type");
        QTest::addColumn<int>("size");
        QTest::newRow("text") << TFieldType::String << 30;
        QTest::newRow("small integer") << TFieldType::SmallInt << 0;
        QTest::newRow("integer") << TFieldType::Integer << 0;
        QTest::newRow("number") << TFieldType::Float << 0;
        QTest::newRow("money") << TFieldType::Currency << 0;
        QTest::newRow("memo") << TFieldType::Memo << 0;
        QTest::newRow("picture") << TFieldType::Blob << 0;
        QTest::newRow("auto-increment") << TFieldType::AutoInc << 0;
    }

    void fieldTypesAndColumnTypesMapBothWays()
    {
        QFETCH(TFieldType, type);
        QFETCH(int, size);
        int readSize = -1;
        QCOMPARE(fieldTypeOfColumn(columnType(type, size), type == TFieldType::AutoInc, readSize),
                 type);
        QCOMPARE(readSize, size);
    }

    void currencyRoundsToFourDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("currency");
        QTest::newRow("plain") << 6.75 << 6.75;
        QTest::newRow("up") << 1.23456 << 1.2346;
        QTest::newRow("down") << 1.23454 << 1.2345;
        QTest::newRow("negative") << -1.23456 << -1.2346;
        // Exact binary halves: 1/32 and 3/32 times 10,000 are 312.5 and 937.5.
        QTest::newRow("half to even, down") << 0.03125 << 0.0312;
        QTest::newRow("half to even, up") << 0.09375 << 0.0938;
    }

    void currencyRoundsToFourDecimals()
    {
        QFETCH(double, value);
        QFETCH(double, currency);
        auto stamps = openTable(stampDef());
        stamps->Append();
        stamps->FieldByName(u"Ialt"_s)->setAsFloat(value);
        QCOMPARE(stamps->FieldByName(u"Ialt"_s)->AsCurrency(), currency);
        QCOMPARE(stamps->FieldByName(u"Ialt"_s)->AsFloat(), value);
    }

    void filterTexts_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("count"); // -1: refused

        QTest::newRow("one country") << "Land = 'Danmark'" << 2;
        QTest::newRow("apostrophe doubled") << "Land = 'Côte d''Ivoire'" << 1;
        QTest::newRow("apostrophe not doubled") << "Land = 'Côte d'Ivoire'" << -1;
        QTest::newRow("case counts") << "Land = 'danmark'" << 0;
        QTest::newRow("or") << "Land = 'Danmark' OR Land = 'Norge'" << 3;
        QTest::newRow("and, numbers") << "Aarstal >= 1950 and Aarstal < 1960" << 2;
        QTest::newRow("not, parentheses") << "NOT (Land = 'Danmark' OR Land = 'Norge')" << 2;
        QTest::newRow("unequal") << "Katalog <> 'AFA'" << 3;
        QTest::newRow("empty text matches empty field") << "Katalog = ''" << 2;
        QTest::newRow("field in brackets") << "[Land] = 'Norge'" << 1;
        QTest::newRow("quote inside text stays text") << "Land = 'x'' OR ''1''=''1'" << 0;
        QTest::newRow("unknown field") << "Lund = 'Danmark'" << -1;
        QTest::newRow("no value") << "Land =" << -1;
        QTest::newRow("no operator") << "Land 'Danmark'" << -1;
        QTest::newRow("open parenthesis") << "(Land = 'Danmark'" << -1;
        QTest::newRow("dangling and") << "Land = 'Danmark' AND" << -1;
        QTest::newRow("semicolon") << "Land = 'Danmark'; DROP TABLE Tmb_Mark" << -1;
        QTest::newRow("double quotes") << "Land = \"Danmark\"" << -1;
        // Found by fuzzing: a long chain was written with a parenthesis per operator, deeper
        // than SQLite's parser goes.
        QStringList chain(300, u"Land = 'Norge'"_s);
        QTest::newRow("a chain of 300 conditions") << chain.join(u" OR "_s) << 1;
        // Nesting deep enough to exhaust the stack is refused, not followed.
        QTest::newRow("nested too deeply")
            << QString(u"NOT "_s.repeated(5000) + u"Land = 'Norge'"_s) << -1;
        QTest::newRow("parentheses too deep")
            << QString(u"("_s.repeated(5000) + u"Land = 'Norge'"_s + u")"_s.repeated(5000)) << -1;
    }

    void filterTexts()
    {
        QFETCH(QString, filter);
        QFETCH(int, count);

        auto stamps = openTable(stampDef());
        addStamp(*stamps, u"Danmark"_s, u"AFA"_s, 1950);
        addStamp(*stamps, u"Danmark"_s, u"Facit"_s, 1955);
        addStamp(*stamps, u"Norge"_s, u"AFA"_s, 1960);
        addStamp(*stamps, u"Côte d'Ivoire"_s, QString(), 1970);
        addStamp(*stamps, u"Sverige"_s, QString(), 1940);

        stamps->setFilter(u"Land = 'Sverige'"_s);
        stamps->setFiltered(true);
        QCOMPARE(stamps->RecordCount(), 1);
        try {
            stamps->setFilter(filter);
            QVERIFY2(count >= 0, "the filter should have been refused");
            QCOMPARE(stamps->RecordCount(), count);
            QCOMPARE(stamps->RecNo(), count > 0 ? 1 : 0);
        } catch (const EFilterError &error) {
            QVERIFY2(count < 0, qPrintable(error.message()));
            QVERIFY(error.message().contains(u"Tmb_Mark.DB"_s));
            // The previous filter stays in force.
            QCOMPARE(stamps->Filter(), u"Land = 'Sverige'"_s);
            QCOMPARE(stamps->RecordCount(), 1);
        }
        QCOMPARE(integrityCheck(QDir(m_dir->path()).filePath(u"Tmb_Mark.DB"_s)), u"ok"_s);
    }

    void navigationAndStates()
    {
        auto stamps = openTable(stampDef());
        QVERIFY(stamps->Bof() && stamps->Eof() && stamps->IsEmpty());
        QCOMPARE(stamps->RecordCount(), 0);

        // Edit on an empty table appends a record.
        stamps->Edit();
        QCOMPARE(stamps->State(), TDataSetState::Insert);
        stamps->FieldByName(u"Land"_s)->setAsString(u"A"_s);
        stamps->Post();
        QCOMPARE(stamps->State(), TDataSetState::Browse);
        addStamp(*stamps, u"B"_s);
        addStamp(*stamps, u"C"_s);
        // Post leaves the cursor on the record it stored.
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"C"_s);

        stamps->First();
        QVERIFY(stamps->Bof());
        QVERIFY(!stamps->Eof());
        stamps->Prior();
        QVERIFY(stamps->Bof());
        QCOMPARE(stamps->RecNo(), 1);
        stamps->Next();
        stamps->Next();
        QVERIFY(!stamps->Eof());
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"C"_s);
        stamps->Next();
        QVERIFY(stamps->Eof());
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"C"_s);
        stamps->Last();
        QVERIFY(stamps->Eof());
        QCOMPARE(stamps->RecordCount(), 3);

        // An insert before the second record that is cancelled returns to it.
        stamps->setRecNo(2);
        stamps->Insert();
        QVERIFY(stamps->FieldByName(u"Land"_s)->IsNull());
        stamps->FieldByName(u"Land"_s)->setAsString(u"X"_s);
        stamps->Cancel();
        QCOMPARE(stamps->RecordCount(), 3);
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"B"_s);

        // Writing a field outside edit is refused.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 stamps->FieldByName(u"Land"_s)->setAsString(u"Z"_s));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, stamps->FieldByName(u"Num"_s)->setAsInteger(7));
    }

    void movingOffEndsTheEdit()
    {
        auto stamps = openTable(stampDef());
        addStamp(*stamps, u"A"_s);
        addStamp(*stamps, u"B"_s);

        // A changed record is posted by the move.
        stamps->First();
        stamps->Edit();
        stamps->FieldByName(u"Katalog"_s)->setAsString(u"AFA"_s);
        stamps->Next();
        QCOMPARE(stamps->State(), TDataSetState::Browse);
        stamps->First();
        QCOMPARE(stamps->FieldByName(u"Katalog"_s)->AsString(), u"AFA"_s);

        // An unchanged edit or insert is cancelled by the move.
        stamps->Edit();
        stamps->Next();
        QCOMPARE(stamps->State(), TDataSetState::Browse);
        stamps->Append();
        stamps->First();
        QCOMPARE(stamps->RecordCount(), 2);

        // Closing drops an unposted edit.
        stamps->Edit();
        stamps->FieldByName(u"Katalog"_s)->setAsString(u"Lost"_s);
        stamps->Close();
        stamps->Open();
        QCOMPARE(stamps->FieldByName(u"Katalog"_s)->AsString(), u"AFA"_s);
    }

    void masterLinkFollowsEveryMove()
    {
        auto countries = openTable(countryDef());
        for (const QString &name : {u"Danmark"_s, u"Norge"_s, u"Sverige"_s})
            addCountry(*countries, name);
        {
            auto writer = openTable(stampDef());
            addStamp(*writer, u"Danmark"_s, u"AFA"_s);
            addStamp(*writer, u"Danmark"_s, u"Facit"_s);
            addStamp(*writer, u"Danmark"_s, u"AFA"_s);
            addStamp(*writer, u"Norge"_s, u"AFA"_s);
        }
        TDataSource countrySource;
        countrySource.setDataSet(countries.get());
        TTable stamps;
        stamps.setDatabaseName(m_dir->path());
        stamps.setTableName(stampDef().fileName);
        stamps.setMasterSource(&countrySource);
        stamps.setMasterFields(u"Land"_s);
        stamps.setIndexFieldNames(u"Land"_s);
        stamps.Open();

        countries->First();
        QCOMPARE(stamps.RecordCount(), 3);
        countries->Next();
        QCOMPARE(stamps.RecordCount(), 1);
        QCOMPARE(stamps.FieldByName(u"Land"_s)->AsString(), u"Norge"_s);
        countries->Last();
        QCOMPARE(stamps.RecordCount(), 0);
        QVERIFY(countries->Locate(u"Land"_s, u"danmark"_s, TLocateOption::CaseInsensitive));
        QCOMPARE(stamps.RecordCount(), 3);

        // The record count under master link and filter.
        stamps.setFilter(u"Katalog = 'AFA'"_s);
        stamps.setFiltered(true);
        QCOMPARE(stamps.RecordCount(), 2);
        countries->Next();
        QCOMPARE(stamps.RecordCount(), 1);

        // A new detail record starts with the master's value.
        stamps.Insert();
        QCOMPARE(stamps.FieldByName(u"Land"_s)->AsString(), u"Norge"_s);
        stamps.FieldByName(u"Katalog"_s)->setAsString(u"AFA"_s);
        stamps.Post();
        QCOMPARE(stamps.RecordCount(), 2);

        // A country being inserted has no stamps yet.
        countries->Append();
        QCOMPARE(stamps.RecordCount(), 0);
        countries->FieldByName(u"Land"_s)->setAsString(u"Island"_s);
        countries->Post();
        QCOMPARE(stamps.RecordCount(), 0);
        countries->First();
        QCOMPARE(stamps.RecordCount(), 2);
    }

    void closeKeepsFilterAndOrder()
    {
        auto stamps = openTable(stampDef());
        addStamp(*stamps, u"Danmark"_s, u"Facit"_s);
        addStamp(*stamps, u"Norge"_s, u"AFA"_s);
        addStamp(*stamps, u"Danmark"_s, u"AFA"_s);
        stamps->setFilter(u"Land = 'Danmark'"_s);
        stamps->setFiltered(true);
        stamps->setIndexName(u"IndexKatalog"_s);
        stamps->Close();
        QCOMPARE(stamps->Filter(), u"Land = 'Danmark'"_s);
        QVERIFY(stamps->Filtered());
        QCOMPARE(stamps->IndexName(), u"IndexKatalog"_s);
        stamps->Open();
        QCOMPARE(column(*stamps, u"Katalog"_s), (QStringList{u"AFA"_s, u"Facit"_s}));

        // Filtering off keeps the text; an unknown index changes nothing.
        stamps->setFiltered(false);
        QCOMPARE(stamps->RecordCount(), 3);
        QCOMPARE(stamps->Filter(), u"Land = 'Danmark'"_s);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, stamps->setIndexName(u"IndexNothing"_s));
        QCOMPARE(stamps->IndexName(), u"IndexKatalog"_s);
        QCOMPARE(column(*stamps, u"Katalog"_s), (QStringList{u"AFA"_s, u"AFA"_s, u"Facit"_s}));
        stamps->setIndexName(QString());
        QCOMPARE(column(*stamps, u"Katalog"_s), (QStringList{u"Facit"_s, u"AFA"_s, u"AFA"_s}));
    }

    void textOrderIsDanishAndCaseBlind()
    {
        auto stamps = openTable(stampDef());
        const QStringList added{u"Åland"_s, u"ærø"_s, u"Zambia"_s, u"Østrig"_s,
                                u"Ærø"_s,   u"abc"_s, u"Côte"_s,   u"Cote"_s,
                                u"ABC"_s,   u""_s,    u"Ölsnitz"_s};
        for (const QString &name : added)
            addStamp(*stamps, u"Danmark"_s, name);
        stamps->setIndexName(u"IndexKatalog"_s);
        // Case-blind ties keep the order of entry; Æ, Ø, Å come after Z; Ö sorts as Ø.
        QCOMPARE(column(*stamps, u"Katalog"_s),
                 (QStringList{u""_s, u"abc"_s, u"ABC"_s, u"Cote"_s, u"Côte"_s, u"Zambia"_s,
                              u"ærø"_s, u"Ærø"_s, u"Ölsnitz"_s, u"Østrig"_s, u"Åland"_s}));
    }

    void locate_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<int>("found"); // record number in the country order, 0 for none

        QTest::newRow("æøå ignoring case") << "ærø" << true << 4;
        QTest::newRow("ÆØÅ ignoring case") << "ÆRØ" << true << 4;
        QTest::newRow("äöü ignoring case") << "MÜNCHEN-ÄÖ" << true << 3;
        QTest::newRow("with case") << "ærø" << false << 0;
        QTest::newRow("with case, exact") << "Ærø" << false << 4;
        QTest::newRow("whole value only") << "Ær" << true << 0;
        QTest::newRow("blanks are a value") << "  " << true << 1;
        QTest::newRow("missing") << "Fanø" << true << 0;
    }

    void locate()
    {
        QFETCH(QString, wanted);
        QFETCH(bool, ignoreCase);
        QFETCH(int, found);

        auto countries = openTable(countryDef());
        for (const QString &name : {u"  "_s, u"München-äö"_s, u"Ærø"_s, u"Bornholm"_s})
            addCountry(*countries, name);
        // The country file's primary order is the Danish text order.
        QCOMPARE(column(*countries, u"Land"_s),
                 (QStringList{u"  "_s, u"Bornholm"_s, u"München-äö"_s, u"Ærø"_s}));
        countries->setRecNo(2);
        const bool result = countries->Locate(
            u"Land"_s, wanted,
            ignoreCase ? TLocateOptions(TLocateOption::CaseInsensitive) : TLocateOptions());
        QCOMPARE(result, found != 0);
        // Not found: the cursor stays where it was.
        QCOMPARE(countries->RecNo(), result ? found : 2);
    }

    void manyRecordsReadInBlocks()
    {
        // More records than one block, with keys in order, scattered, and re-ordered.
        auto stamps = openTable(stampDef());
        for (int i = 0; i < 700; ++i)
            addStamp(*stamps, i % 3 == 0 ? u"Norge"_s : u"Danmark"_s,
                     u"K%1"_s.arg(699 - i, 3, 10, QLatin1Char('0')), 1000 + i);
        auto check = [&](const QString &filter, const QString &index, int count) {
            stamps->setFilter(filter);
            stamps->setFiltered(!filter.isEmpty());
            stamps->setIndexName(index);
            QCOMPARE(stamps->RecordCount(), count);
            int seen = 0;
            QString previous;
            for (stamps->First(); !stamps->Eof(); stamps->Next(), ++seen) {
                const int year = stamps->FieldByName(u"Aarstal"_s)->AsInteger();
                const QString katalog = stamps->FieldByName(u"Katalog"_s)->AsString();
                QCOMPARE(katalog, u"K%1"_s.arg(699 - (year - 1000), 3, 10, QLatin1Char('0')));
                QCOMPARE(stamps->valueAt(seen, stamps->FieldByName(u"Aarstal"_s)->Index()),
                         QVariant(qint64(year)));
                if (!index.isEmpty())
                    QVERIFY(previous < katalog);
                previous = katalog;
            }
            QCOMPARE(seen, count);
        };
        check(QString(), QString(), 700);
        check(u"Land = 'Norge'"_s, QString(), 234);
        check(QString(), u"IndexKatalog"_s, 700);
        check(u"Land = 'Danmark'"_s, u"IndexKatalog"_s, 466);
    }

    void numbersAreNeverGivenTwice()
    {
        auto stamps = openTable(stampDef());
        const qint64 first = addStamp(*stamps, u"A"_s);
        const qint64 second = addStamp(*stamps, u"B"_s);
        const qint64 third = addStamp(*stamps, u"C"_s);
        QVERIFY(first < second && second < third);
        stamps->Last();
        stamps->Delete();
        QCOMPARE(stamps->RecordCount(), 2);
        QCOMPARE(stamps->FieldByName(u"Num"_s)->AsInteger(), second); // the others keep theirs
        stamps->Close();
        stamps->Open();
        const qint64 fourth = addStamp(*stamps, u"D"_s);
        QVERIFY(fourth > third);
        stamps->First();
        QCOMPARE(stamps->FieldByName(u"Num"_s)->AsInteger(), first);
    }

    void twoCursorsSeeEachOthersPosts()
    {
        auto one = openTable(stampDef());
        auto other = openTable(stampDef());
        addStamp(*one, u"A"_s, u"AFA"_s);
        other->Close();
        other->Open();
        QCOMPARE(other->RecordCount(), 1);
        other->Edit();
        other->FieldByName(u"Katalog"_s)->setAsString(u"Facit"_s);
        other->Post();
        // A cached record is not shown stale after another cursor wrote it.
        one->First();
        QCOMPARE(one->FieldByName(u"Katalog"_s)->AsString(), u"Facit"_s);
        // Each cursor writes only the fields it changed.
        one->Edit();
        other->Edit();
        one->FieldByName(u"Aarstal"_s)->setAsInteger(1999);
        other->FieldByName(u"Notater"_s)->setAsString(u"Note"_s);
        one->Post();
        other->Post();
        one->Close();
        one->Open();
        QCOMPARE(one->FieldByName(u"Aarstal"_s)->AsInteger(), 1999);
        QCOMPARE(one->FieldByName(u"Notater"_s)->AsString(), u"Note"_s);
    }

    // One cursor inserts, posts or deletes; a second cursor over the same file, filtered,
    // ordered or master-linked, must show what a fresh read would, and keep its current
    // record (or, when that record went, stand on the one after it).
    void otherCursorsFollowCommittedChanges_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("reader");
        for (const char *operation : {"insert", "post", "delete"}) {
            for (const char *writer : {"detail", "all"})
                for (const char *reader : {"filtered", "ordered", "master"})
                    QTest::addRow("%s via %s, %s reader", operation, writer, reader)
                        << operation << writer << reader;
            for (const char *reader : {"filtered", "ordered"})
                QTest::addRow("%s via a lookup list, %s reader", operation, reader)
                    << operation << u"lookup"_s << reader;
        }
    }

    void otherCursorsFollowCommittedChanges()
    {
        QFETCH(QString, operation);
        QFETCH(QString, writer);
        QFETCH(QString, reader);
        const bool lookup = writer == u"lookup"_s;
        auto countries = openTable(countryDef());
        for (const QString &name : {u"Danmark"_s, u"Norge"_s, u"Åland"_s})
            addCountry(*countries, name);
        {
            auto stamps = openTable(stampDef());
            for (const auto &[land, katalog] : {std::pair{u"Danmark"_s, u"Facit"_s},
                                                {u"Norge"_s, u"AFA"_s},
                                                {u"Danmark"_s, u"AFA"_s},
                                                {u"Danmark"_s, u"Michel"_s},
                                                {u"Danmark"_s, u"afa"_s},
                                                {u"Norge"_s, u"Facit"_s}})
                addStamp(*stamps, land, katalog);
        }
        TDataSource countrySource;
        countrySource.setDataSet(countries.get());
        countries->First(); // Danmark

        // The reader as configured; a fresh one with the same settings tells what it must show.
        const auto configured = [&](TTable &table) {
            table.setDatabaseName(m_dir->path());
            table.setTableName(lookup ? countryDef().fileName : stampDef().fileName);
            if (reader == u"filtered"_s) {
                table.setFilter(lookup ? u"Land <> 'Norge'"_s : u"Katalog <> 'Michel'"_s);
                table.setFiltered(true);
            } else if (reader == u"ordered"_s && !lookup) {
                table.setIndexName(u"IndexKatalog"_s);
            } else if (reader == u"master"_s) {
                table.setMasterSource(&countrySource);
                table.setMasterFields(u"Land"_s);
                table.setIndexName(u"IndexLand"_s);
            }
            table.Open();
        };
        const QString shown = lookup ? u"Land"_s : u"Num"_s;
        TTable other;
        configured(other);

        // The writer: a lookup list's second cursor, the stamp page's detail cursor or the
        // overview's cursor over all stamps.
        std::unique_ptr<TTable> writing;
        if (lookup) {
            writing = openTable(countryDef());
        } else {
            writing = std::make_unique<TTable>();
            writing->setDatabaseName(m_dir->path());
            writing->setTableName(stampDef().fileName);
            if (writer == u"detail"_s) {
                writing->setMasterSource(&countrySource);
                writing->setMasterFields(u"Land"_s);
                writing->setIndexName(u"IndexLand"_s);
            }
            writing->Open();
        }
        // The record that is changed or deleted: Danmark's "AFA" stamp, or the country Danmark.
        const QString targetField = lookup ? u"Land"_s : u"Katalog"_s;
        QVERIFY(writing->Locate(shown, lookup ? u"Danmark"_s : u"3"_s));
        const QString targetShown = writing->FieldByName(shown)->AsString();
        // Each record as the reader shows it: its key and the field that is changed.
        const auto rows = [&](TTable &table) {
            QStringList values;
            for (table.First(); !table.Eof(); table.Next())
                values.append(table.FieldByName(shown)->AsString() + u'/' +
                              table.FieldByName(targetField)->AsString());
            return values;
        };

        // The reader stands on the target when it is deleted, else on a record left alone.
        const QStringList before = rows(other);
        const QString survivor = lookup ? u"Åland"_s : u"1"_s; // Danmark's Facit stamp
        const QString standOn = operation == u"delete"_s ? targetShown : survivor;
        QVERIFY(other.Locate(shown, standOn));
        const int standAt = other.RecNo();

        if (operation == u"insert"_s) {
            writing->Append();
            if (lookup) {
                writing->FieldByName(u"Land"_s)->setAsString(u"Belgien"_s);
            } else {
                if (writer == u"all"_s)
                    writing->FieldByName(u"Land"_s)->setAsString(u"Danmark"_s);
                writing->FieldByName(u"Katalog"_s)->setAsString(u"Bolaffi"_s);
            }
            writing->Post();
        } else if (operation == u"post"_s) {
            writing->Edit();
            writing->FieldByName(targetField)->setAsString(lookup ? u"Østrig"_s : u"Zumstein"_s);
            writing->Post();
        } else {
            writing->Delete();
        }

        TTable fresh;
        configured(fresh);
        const QStringList expected = rows(fresh);
        QVERIFY(expected != before);
        QCOMPARE(other.RecordCount(), fresh.RecordCount());
        // What stands on the reader now, then every record in order.
        const QString current = other.FieldByName(shown)->AsString();
        if (operation == u"delete"_s)
            QCOMPARE(current,
                     column(fresh, shown).value(std::min(standAt - 1, fresh.RecordCount() - 1)));
        else
            QCOMPARE(current, survivor);
        QCOMPARE(rows(other), expected);
    }

    void aPendingEditOutlivesAnotherCursorsChanges()
    {
        auto one = openTable(stampDef());
        auto other = openTable(stampDef());
        addStamp(*one, u"A"_s, u"AFA"_s);
        addStamp(*one, u"A"_s, u"Facit"_s);
        QCOMPARE(other->RecordCount(), 2);

        // A new record while the other cursor types: both are there when it posts.
        other->Last();
        other->Edit();
        other->FieldByName(u"Katalog"_s)->setAsString(u"Michel"_s);
        addStamp(*one, u"A"_s, u"Bolaffi"_s);
        QCOMPARE(other->State(), TDataSetState::Edit);
        QCOMPARE(other->FieldByName(u"Katalog"_s)->AsString(), u"Michel"_s);
        other->Post();
        QCOMPARE(column(*other, u"Katalog"_s), (QStringList{u"AFA"_s, u"Michel"_s, u"Bolaffi"_s}));

        // The record being edited is deleted elsewhere: the post says so and keeps the edit.
        other->First();
        other->Edit();
        other->FieldByName(u"Katalog"_s)->setAsString(u"Lost"_s);
        one->First();
        one->Delete();
        try {
            other->Post();
            QFAIL("a post of a deleted record succeeded");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains(u"no longer exists"_s), qPrintable(error.message()));
        }
        QCOMPARE(other->State(), TDataSetState::Edit);
        QCOMPARE(other->FieldByName(u"Katalog"_s)->AsString(), u"Lost"_s);
        other->Cancel();
        QCOMPARE(other->RecordCount(), 2);
        QCOMPARE(column(*other, u"Katalog"_s), (QStringList{u"Michel"_s, u"Bolaffi"_s}));
    }

    void dataSourceEvents()
    {
        auto stamps = openTable(stampDef());
        addStamp(*stamps, u"A"_s);
        addStamp(*stamps, u"B"_s);
        TDataSource source;
        source.setDataSet(stamps.get());
        RecordingLink link;
        link.setDataSource(&source);
        int changes = 0;
        source.OnDataChange = [&](TDataSource &, TField *) { ++changes; };

        stamps->First();
        QCOMPARE(changes, 1);
        stamps->Edit();
        stamps->FieldByName(u"Katalog"_s)->setAsString(u"AFA"_s);
        QCOMPARE(changes, 2);
        stamps->Post();
        QCOMPARE(changes, 3);
        stamps->setFilter(u"Land = 'A'"_s);
        stamps->setFiltered(true);
        QCOMPARE(changes, 4);
        stamps->setFiltered(false);

        // A walk with controls disabled tells nobody until the end, then once.
        link.events.clear();
        changes = 0;
        stamps->DisableControls();
        for (stamps->First(); !stamps->Eof(); stamps->Next())
            ;
        QCOMPARE(changes, 0);
        QVERIFY(link.events.empty());
        stamps->EnableControls();
        QCOMPARE(changes, 1);
        QCOMPARE(link.events, std::vector<TDataEvent>{TDataEvent::DataSetChanged});
    }

    void eventHandlersRunInsideTheOperation()
    {
        auto stamps = openTable(stampDef());
        QStringList calls;
        stamps->AfterInsert = [&](TTable &table) {
            calls << u"AfterInsert"_s;
            table.FieldByName(u"Land"_s)->setAsString(u"Danmark"_s);
        };
        stamps->BeforePost = [&](TTable &table) {
            calls << u"BeforePost:"_s + table.FieldByName(u"Katalog"_s)->AsString();
            if (table.FieldByName(u"Katalog"_s)->AsString() == u"refuse")
                throw EDatabaseError(u"refused"_s);
        };
        stamps->AfterPost = [&](TTable &table) {
            calls << u"AfterPost:"_s + table.FieldByName(u"Num"_s)->AsString();
        };
        stamps->Insert();
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"Danmark"_s);
        // What the insert handler filled in is no change of the user's.
        QVERIFY(!stamps->Modified());
        stamps->FieldByName(u"Katalog"_s)->setAsString(u"refuse"_s);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, stamps->Post());
        // A refusal in BeforePost keeps the record in insert with what was typed.
        QCOMPARE(stamps->State(), TDataSetState::Insert);
        QCOMPARE(stamps->RecordCount(), 0);
        stamps->FieldByName(u"Katalog"_s)->setAsString(u"AFA"_s);
        stamps->Post();
        QCOMPARE(calls, (QStringList{u"AfterInsert"_s, u"BeforePost:refuse"_s, u"BeforePost:AFA"_s,
                                     u"AfterPost:1"_s}));
        QCOMPARE(stamps->FieldByName(u"Land"_s)->AsString(), u"Danmark"_s);
        // A new record nobody typed into is dropped when the cursor leaves it.
        stamps->Insert();
        stamps->CheckBrowseMode();
        QCOMPARE(stamps->State(), TDataSetState::Browse);
        QCOMPARE(stamps->RecordCount(), 1);
    }

    void keyViolationKeepsTheInsert()
    {
        auto countries = openTable(countryDef());
        addCountry(*countries, u"Danmark"_s);
        countries->Append();
        countries->FieldByName(u"Land"_s)->setAsString(u"Danmark"_s);
        try {
            countries->Post();
            QFAIL("a second Danmark should have been refused");
        } catch (const EDatabaseError &error) {
            QVERIFY(error.message().contains(u"Tmb_Land.db"_s));
        }
        QCOMPARE(countries->State(), TDataSetState::Insert);
        countries->FieldByName(u"Land"_s)->setAsString(u"Norge"_s);
        countries->Post();
        QCOMPARE(countries->RecordCount(), 2);
    }

    void badFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << u"does not exist"_s;
        QTest::newRow("zero bytes") << QByteArray("", 0) << u"no table"_s;
        QTest::newRow("random bytes") << QByteArray(4096, 'x') << u"not a table file"_s;
    }

    void badFilesAreRefusedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = QDir(m_dir->path()).filePath(u"Tmb_Kata.db"_s);
        if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QByteArray before = TableFiles::digest(path);
        TTable table;
        table.setDatabaseName(m_dir->path());
        table.setTableName(u"Tmb_Kata.db"_s);
        try {
            table.Open();
            QFAIL("the file should have been refused");
        } catch (const EDatabaseError &error) {
            QVERIFY2(error.message().contains(u"Tmb_Kata.db"_s), qPrintable(error.message()));
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
        QVERIFY(!table.Active());
        QCOMPARE(TableFiles::digest(path), before);
        QCOMPARE(QFileInfo::exists(path), !content.isNull());
    }

    void aMissingFieldIsNamed()
    {
        TTable stamps;
        stamps.setDatabaseName(m_dir->path());
        stamps.setTableName(stampDef().fileName);
        stamps.addField(u"Land"_s, TFieldType::String, 30);
        stamps.addField(u"Serie"_s, TFieldType::String, 30);
        try {
            stamps.Open();
            QFAIL("the file has no Serie");
        } catch (const EDatabaseError &error) {
            QVERIFY(error.message().contains(u"Tmb_Mark.DB"_s));
            QVERIFY(error.message().contains(u"Serie"_s));
        }
        QVERIFY(!stamps.Active());
    }
};

QTEST_GUILESS_MAIN(TestStore)

#include "tst_store.moc"
