// Measures the main window on a 100,000-stamp collection: start-up until the window is
// shown and the event loop is idle, showing the overview grid, and jumping to its last row.
// Runs on whatever Qt platform is set (offscreen by default).

#include "ui_mainform.h"

#include "collectiongenerator.h"
#include "dm.h"
#include "mainform.h"
#include "messages.h"
#include "peakmemory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs the event loop until it has nothing left to do.
void waitUntilIdle()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

            timer.restart();
            dm.FrimAllTable->Last();
            waitUntilIdle();
            lastRows.push_back(timer.nsecsElapsed() / 1e6);
            if (window.ui().DBGrid1->currentIndex().row() != dm.FrimAllTable->RecordCount() - 1)
                std::printf("  (the grid did not follow to the last row)\n");
            window.close();
        }
    }
    const long peak = peakMemoryMegabytes();
    std::printf("main window, %d runs, medians in ms\n", repeat);
    std::printf("%-46s %8.1f  goal <= 1000 ms %s\n", "start-up until shown and idle",
                median(starts), median(starts) <= 1000 ? "ok" : "MISSED");
    std::printf("%-46s %8.1f  goal <= 100 ms  %s\n", "show the overview grid", median(overviews),
                median(overviews) <= 100 ? "ok" : "MISSED");
    std::printf("%-46s %8.1f  goal <= 100 ms  %s\n", "jump to the grid's last row",
                median(lastRows), median(lastRows) <= 100 ? "ok" : "MISSED");
    std::printf("peak memory of the process: %ld MB (goal <= 150 MB) %s\n", peak,
                peak <= 150 ? "ok" : "MISSED");
    return 0;
}
