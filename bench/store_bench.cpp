// Measures the table engine on a 100,000-stamp collection, side by side with raw SQLite
// statements on the same files.

#include "backup.h"
#include "benchsupport.h"
#include "collectiongenerator.h"
#include "databaseerror.h"
#include "dm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Timing
{
    double median = 0;
    double fastest = 0;
};

// Runs `prepare` untimed before each run of `work`.
Timing measure(int repeat, const std::function<void()> &work,
               const std::function<void()> &prepare = {})
{
    std::vector<double> runs;
    for (int i = 0; i < repeat; ++i) {
        if (prepare)
            prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        runs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(runs.begin(), runs.end());
    return {runs[runs.size() / 2], runs.front()};
}

class Raw
{
public:
    Raw(const QString &path, int flags)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) !=
            SQLITE_OK)
            throw EDatabaseError(u"raw SQLite: %1 cannot be opened"_s.arg(path));
    }
    ~Raw() { sqlite3_close(m_db); }
    // Steps every row; reads column `read` as a double when it is not negative.
    double stepAll(const char *sql, int read = -1, const QByteArray &text = {})
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (!text.isNull())
            sqlite3_bind_text(stmt, 1, text.constData(), int(text.size()), SQLITE_STATIC);
        double sum = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            sum += read >= 0 ? sqlite3_column_double(stmt, read) : sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return sum;
    }
    void exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw EDatabaseError(u"raw SQLite: %1: %2"_s.arg(
                QString::fromUtf8(sql), QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    // The first row's text and number, e.g. a name and its count.
    std::pair<QString, int> firstRow(const char *sql)
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        std::pair<QString, int> row;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            row = {QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))),
                   sqlite3_column_int(stmt, 1)};
        sqlite3_finalize(stmt);
        return row;
    }
    int columnIndex(const char *sql, const char *column)
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        int index = -1;
        for (int i = 0; stmt && i < sqlite3_column_count(stmt); ++i)
            if (qstricmp(sqlite3_column_name(stmt, i), column) == 0)
                index = i;
        sqlite3_finalize(stmt);
        return index;
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

void report(const char *operation, Timing ours, double raw, double goalRatio, double goalMs)
{
    const bool ratioOk = raw <= 0 || goalRatio <= 0 || ours.median <= goalRatio * raw;
    const bool timeOk = ours.median <= goalMs;
    char rawText[32] = "-";
    char ratioText[32] = "-";
    if (raw > 0) {
        std::snprintf(rawText, sizeof rawText, "%.2f", raw);
        std::snprintf(ratioText, sizeof ratioText, "%.2fx", ours.median / raw);
    }
    char goal[48];
    if (goalRatio > 0)
        std::snprintf(goal, sizeof goal, "<= %.0fx raw, <= %.0f ms", goalRatio, goalMs);
    else
        std::snprintf(goal, sizeof goal, "<= %g ms", goalMs);
    std::printf("%-44s %9.2f %9.2f %9s %9s  %-24s %s\n", operation, ours.median, ours.fastest,
                rawText, ratioText, goal, ratioOk && timeOk ? "ok" : "MISSED");
}

int run(int repeat, const QString &folder)
{
    if (!QDir::setCurrent(folder))
        throw EDatabaseError(
            u"%1: no such collection folder"_s.arg(QDir::toNativeSeparators(folder)));
    const QString stampFile = u"Data/Tmb_Mark.DB"_s;
    TDM dm;
    dm.ConfigTable->Open();
    dm.OpenTables();
    Raw raw(stampFile, SQLITE_OPEN_READONLY);
    Raw rawWriter(stampFile, SQLITE_OPEN_READWRITE);
    rawWriter.exec("PRAGMA synchronous = FULL");
    const int stamps = dm.FrimAllTable->RecordCount();
    // Picked from the data, so that any collection folder can be measured.
    const auto [catalogue, catalogueStamps] =
        raw.firstRow("SELECT Katalog, COUNT(*) AS n FROM Tmb_Mark GROUP BY Katalog "
                     "ORDER BY ABS(n - 1000) LIMIT 1");
    const auto [country, countryStamps] = raw.firstRow(
        "SELECT Land, COUNT(*) AS n FROM Tmb_Mark GROUP BY Land ORDER BY n DESC LIMIT 1");
    std::printf("%d stamps, %d countries, %d series; %d runs each, times in ms\n", stamps,
                dm.LandTable->RecordCount(), dm.SerieTable->RecordCount(), repeat);
    std::printf("filter on catalogue \"%s\" (%d stamps); posts in \"%s\" (%d stamps)\n\n",
                qPrintable(catalogue), catalogueStamps, qPrintable(country), countryStamps);
    std::printf("%-44s %9s %9s %9s %9s  %-24s\n", "operation", "median", "fastest", "raw", "ratio",
                "goal");

    const Timing open = measure(
        repeat, [&] { dm.FrimAllTable->Open(); }, [&] { dm.FrimAllTable->Close(); });
    const Timing rawOpen =
        measure(repeat, [&] { raw.stepAll("SELECT Num FROM Tmb_Mark ORDER BY Num"); });
    report("open FrimAllTable", open, rawOpen.median, 3, 60);

    double total = 0;
    const Timing walk = measure(repeat, [&] {
        TTable &table = *dm.FrimAllTable;
        TField *ialt = table.FieldByName(u"Ialt"_s);
        table.First();
        table.DisableControls();
        total = 0;
        for (int i = table.RecordCount(); i > 0; --i) {
            total += ialt->AsCurrency();
            table.Next();
        }
        table.EnableControls();
    });
    double rawTotal = 0;
    const int ialtColumn = raw.columnIndex("SELECT * FROM Tmb_Mark", "Ialt");
    const Timing rawWalk = measure(
        repeat, [&] { rawTotal = raw.stepAll("SELECT * FROM Tmb_Mark ORDER BY Num", ialtColumn); });
    report("walk all records reading Ialt", walk, rawWalk.median, 4, 200);
    if (std::abs(total - rawTotal) > 1)
        std::printf("  (the sums differ: %.2f against %.2f)\n", total, rawTotal);

    const QString filter = u"Katalog = '%1'"_s.arg(QString(catalogue).replace(u"'"_s, u"''"_s));
    const Timing filtering = measure(
        repeat,
        [&] {
            dm.FrimAllTable->setFilter(filter);
            dm.FrimAllTable->setFiltered(true);
        },
        [&] {
            dm.FrimAllTable->setFiltered(false);
            dm.FrimAllTable->setFilter(QString());
        });
    const int filtered = dm.FrimAllTable->RecordCount();
    dm.FrimAllTable->setFiltered(false);
    const Timing rawFilter = measure(repeat, [&] {
        raw.stepAll("SELECT Num FROM Tmb_Mark WHERE Katalog = ? ORDER BY Num", -1,
                    catalogue.toUtf8());
    });
    char filterLine[64];
    std::snprintf(filterLine, sizeof filterLine, "filter on a catalogue (%d stamps)", filtered);
    report(filterLine, filtering, rawFilter.median, 3, 40);

    const Timing ordering = measure(
        repeat, [&] { dm.FrimAllTable->setIndexName(u"IndexKatalog"_s); },
        [&] { dm.FrimAllTable->setIndexName(QString()); });
    const Timing rawOrdering =
        measure(repeat, [&] { raw.stepAll("SELECT Num FROM Tmb_Mark ORDER BY Katalog, Num"); });
    report("IndexName = IndexKatalog", ordering, rawOrdering.median, 3, 100);
    dm.FrimAllTable->setIndexName(QString());

    if (!dm.LandTable->Locate(u"Land"_s, country))
        std::printf("  (the country list has no \"%s\")\n", qPrintable(country));
    int round = 0;
    const Timing post = measure(repeat, [&] {
        dm.FrimTable->Edit();
        dm.FrimTable->FieldByName(u"Notater"_s)->setAsString(u"Gennemset %1"_s.arg(++round));
        // The save's rules reopen the overview's cursor and look up the six pick lists.
        dm.FrimTable->Post();
    });
    const qint64 num = dm.FrimTable->FieldByName(u"Num"_s)->AsInteger();
    int rawRound = 0;
    const Timing rawPost = measure(repeat, [&] {
        // A new text each run: an update to the same value commits without writing or syncing.
        const QByteArray note = "Gennemset " + QByteArray::number(++rawRound);
        rawWriter.exec("BEGIN");
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(rawWriter.handle(), "UPDATE Tmb_Mark SET Notater = ? WHERE Num = ?", -1,
                           &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, note.constData(), int(note.size()), SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 2, num);
        if (sqlite3_step(stmt) != SQLITE_DONE || sqlite3_changes(rawWriter.handle()) != 1)
            std::printf("  (the raw update failed: %s)\n", sqlite3_errmsg(rawWriter.handle()));
        sqlite3_finalize(stmt);
        rawWriter.exec("COMMIT");
    });
    report("post a stamp with its rules", post, rawPost.median, 0, 60);

    // The other cursors follow a change: the overview in catalogue order while the stamp
    // page deletes, and the stamp page while the overview's grid saves.
    dm.FrimAllTable->setIndexName(u"IndexKatalog"_s);
    const Timing removal = measure(repeat, [&] { dm.FrimTable->Delete(); });
    std::vector<qint64> doomed;
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(rawWriter.handle(),
                           "SELECT Num FROM Tmb_Mark WHERE Land <> ? ORDER BY Num DESC LIMIT ?", -1,
                           &stmt, nullptr);
        const QByteArray land = country.toUtf8();
        sqlite3_bind_text(stmt, 1, land.constData(), int(land.size()), SQLITE_STATIC);
        sqlite3_bind_int(stmt, 2, repeat);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            doomed.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
    }
    const Timing rawRemoval = measure(repeat, [&] {
        const QByteArray sql = "DELETE FROM Tmb_Mark WHERE Num = " +
                               QByteArray::number(doomed.empty() ? 0 : doomed.back());
        if (!doomed.empty())
            doomed.pop_back();
        rawWriter.exec("BEGIN");
        rawWriter.exec(sql.constData());
        rawWriter.exec("COMMIT");
    });
    report("delete on the stamp page, overview current", removal, rawRemoval.median, 0, 60);

    dm.FrimAllTable->Locate(u"Land"_s, country);
    const Timing overviewPost = measure(repeat, [&] {
        dm.FrimAllTable->Edit();
        dm.FrimAllTable->FieldByName(u"Notater"_s)->setAsString(u"Set %1"_s.arg(++round));
        dm.FrimAllTable->Post();
    });
    report("post in the overview, stamp page current", overviewPost, rawPost.median, 0, 60);
    dm.FrimAllTable->setIndexName(QString());

    dm.SerieTable->Last();
    dm.SerieTable->Prior();
    const QString wanted = dm.SerieTable->FieldByName(u"Serie"_s)->AsString().toUpper();
    bool found = false;
    const Timing locate = measure(
        repeat,
        [&] { found = dm.SerieTable->Locate(u"Serie"_s, wanted, TLocateOption::CaseInsensitive); },
        [&] { dm.SerieTable->First(); });
    char locateLine[80];
    std::snprintf(locateLine, sizeof locateLine, "Locate ignoring case (%d entries)%s",
                  dm.SerieTable->RecordCount(), found ? "" : " NOT FOUND");
    report(locateLine, locate, 0, 0, 1);

    // A backup of the whole collection with 1,000 pictures, as a close makes it: the first
    // copies every picture, a later one links the unchanged ones; beside `cp -r`.
    {
        const QString pictures = QDir::current().filePath(u"Billeder"_s);
        QDir().mkpath(pictures);
        const QByteArray picture(60 * 1024, 'x');
        for (int i = 1; i <= 1000; ++i) {
            QFile file(QDir(pictures).filePath(u"%1.jpg"_s.arg(i)));
            if (file.open(QIODevice::WriteOnly))
                file.write(picture);
        }
        const QString into = QDir::current().filePath(u"Sikkerhedskopier"_s);
        QDateTime made = QDateTime::currentDateTime();
        const Timing first = measure(
            1, [&] { Backup::write(u"Data"_s, pictures, into, true, made); },
            [&] { made = made.addSecs(60); });
        const Timing later = measure(
            3, [&] { Backup::write(u"Data"_s, pictures, into, true, made); },
            [&] { made = made.addSecs(60); });
        const Timing copy = measure(1, [&] {
            QDir().mkpath(u"cp-copy"_s);
            QProcess::execute(u"cp"_s, {u"-r"_s, u"Data"_s, pictures, u"cp-copy/"_s});
        });
        report("backup, first (copies 1,000 pictures)", first, copy.median, 0, 1000);
        report("backup, later (links unchanged pictures)", later, copy.median, 0, 1000);
    }

    const long peak = peakMemoryMegabytes();
    std::printf("\npeak memory of the process: %ld MB (goal <= 150 MB) %s\n", peak,
                peak <= 150 ? "ok" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    int repeat = 15;
    const qsizetype repeatAt = arguments.indexOf(u"--repeat"_s);
    if (repeatAt >= 0 && repeatAt + 1 < arguments.size()) {
        repeat = std::max(1, arguments.at(repeatAt + 1).toInt());
        arguments.remove(repeatAt, 2);
    }
    try {
        if (!arguments.isEmpty())
            return run(repeat, QDir(arguments.first()).absolutePath());
        QTemporaryDir folder;
        CollectionSize size;
        size.seriesListSize = 1000;
        const auto start = std::chrono::steady_clock::now();
        generateCollection(QDir(folder.path()).filePath(u"Data"_s), size);
        std::printf(
            "generated in %.1f s\n",
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        return run(repeat, folder.path());
    } catch (const EDatabaseError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
