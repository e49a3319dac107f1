// Measures the main window on a 100,000-stamp collection: start-up until the window is
// shown and the event loop is idle, showing the overview grid, and jumping to its last row.
// Runs on whatever Qt platform is set (offscreen by default).

#include "ui_mainform.h"

#include "benchsupport.h"
#include "collectiongenerator.h"
#include "dm.h"
#include "mainform.h"
#include "messages.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Milliseconds of each of `repeat` runs of `work`, the event loop run to idle after each.
template <typename Work> std::vector<double> timeRuns(int repeat, Work work)
{
    std::vector<double> times;
    for (int run = 0; run < repeat; ++run) {
        QElapsedTimer timer;
        timer.start();
        work(run);
        waitUntilIdle();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return times;
}

// The least SQLite needs for the overview's total: every Ialt in key order, summed.
double rawTotal(const QString &stampFile)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(stampFile).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT Ialt FROM Tmb_Mark ORDER BY Num", -1, &stmt, nullptr);
    double sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        sum += sqlite3_column_double(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return sum;
}

void report(const char *operation, double ms, double goalMs, double raw = 0, double ratio = 0)
{
    const bool ok = ms <= goalMs && (raw == 0 || ms <= ratio * raw);
    if (raw > 0)
        std::printf("%-46s %8.1f  raw %6.1f  %5.2fx  goal <= %gx raw, <= %g ms %s\n", operation, ms,
                    raw, ms / raw, ratio, goalMs, ok ? "ok" : "MISSED");
    else
        std::printf("%-46s %8.1f  goal <= %g ms %s\n", operation, ms, goalMs, ok ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QElapsedTimer launch;
    launch.start();
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QString collection = arguments.isEmpty() ? folder.path() : arguments.first();
    if (arguments.isEmpty()) {
        generateCollection(QDir(collection).filePath(u"Data"_s), CollectionSize{});
        launch.restart();
    }
    QDir::setCurrent(collection);
    Messages::setHook([](const Messages::Request &) { return QVariant(); }); // first-run box

    const int repeat = 9;
    std::vector<double> starts, overviews, lastRows;
    for (int run = 0; run < repeat; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            TMainForm window;
            TDM dm;
            window.setDataModule(&dm);
            window.show();
            waitUntilIdle();
            starts.push_back(timer.nsecsElapsed() / 1e6);
            if (run == 0)
                std::printf("first start, application object included: %.1f ms\n",
                            launch.nsecsElapsed() / 1e6);

            QTabWidget *pages = window.ui().PageControl1;
            timer.restart();
            pages->setCurrentWidget(window.ui().TabSheet3);
            waitUntilIdle();
            overviews.push_back(timer.nsecsElapsed() / 1e6);

            // The total leaves the overview on its last row; the jump starts from the first.
            dm.FrimAllTable->First();
            waitUntilIdle();
            timer.restart();
            dm.FrimAllTable->Last();
            waitUntilIdle();
            lastRows.push_back(timer.nsecsElapsed() / 1e6);
            if (window.ui().DBGrid1->currentIndex().row() != dm.FrimAllTable->RecordCount() - 1)
                std::printf("  (the grid did not follow to the last row)\n");
            window.close();
        }
    }

    // The totals, a selection and a save, in one window on the overview page.
    std::vector<double> totals, rawTotals, selections, saves;
    {
        TMainForm window;
        TDM dm;
        window.setDataModule(&dm);
        window.show();
        window.ui().PageControl1->setCurrentWidget(window.ui().TabSheet3);
        waitUntilIdle();
        totals = timeRuns(repeat, [&](int) { window.BeregnAll(); });
        rawTotals = timeRuns(repeat, [&](int) { rawTotal(u"Data/Tmb_Mark.DB"_s); });
        // Alternating between two catalogues, so that every run filters anew.
        selections = timeRuns(repeat, [&](int run) {
            window.ui().DBLookupComboBox7->choose(run % 2 ? u"AFA"_s : u"Facit"_s);
        });
        if (!window.ui().DBLookupComboBox7->choose(u"Facit"_s))
            std::printf("  (the catalogue list has no \"Facit\")\n");
        std::printf("the selection lists %d stamps of \"Facit\"\n", dm.FrimAllTable->RecordCount());

        // Saved with the overview showing every stamp, the dearest case of its reopening.
        window.ui().RadioButton1->click();
        window.ui().PageControl1->setCurrentWidget(window.ui().TabSheet2);
        waitUntilIdle();
        TDBEdit *motif = window.ui().DBEdit7;
        saves = timeRuns(repeat, [&](int run) {
            motif->setFocus();
            motif->selectAll();
            QTest::keyClicks(motif, u"Skib %1"_s.arg(run));
            window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        });
        if (dm.FrimTable->State() != TDataSetState::Browse)
            std::printf("  (the stamp was not saved)\n");
        window.close();
    }

    const long peak = peakMemoryMegabytes();
    std::printf("main window, %d runs, medians in ms\n", repeat);
    report("start-up until shown and idle", median(starts), 1000);
    report("show the overview grid (with its total)", median(overviews), 100);
    report("jump to the grid's last row", median(lastRows), 100);
    report("BeregnAll over every stamp", median(totals), 200, median(rawTotals), 4);
    report("choose a 1,000-stamp catalogue", median(selections), 60);
    report("save a changed stamp with its rules", median(saves), 60);
    std::printf("peak memory of the process: %ld MB (goal <= 150 MB) %s\n", peak,
                peak <= 150 ? "ok" : "MISSED");
    return 0;
}
