// Measures the collection report on a 100,000-stamp collection: laying out every page, the
// peak memory that takes, painting one page, and the time from the print command until the
// first page shows in the preview. Offscreen unless QT_QPA_PLATFORM says otherwise.

#include "benchsupport.h"
#include "collectiongenerator.h"
#include "dm.h"
#include "qrlistform.h"
#include "reportpreview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

void report(const char *operation, double value, double goal, const char *unit)
{
    std::printf("%-46s %9.1f %s  goal <= %g %s %s\n", operation, value, unit, goal, unit,
                value <= goal ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString collection = arguments.isEmpty() ? folder.path() : arguments.first();
    if (arguments.isEmpty())
        generateCollection(QDir(collection).filePath(u"Data"_s), CollectionSize{});
    QDir::setCurrent(collection);
    TDM dm;
    dm.OpenTables();
    TQRListForm form;
    form.setCaption(u"QRLabel17"_s, u"Alle lande"_s);
    const long before = peakMemoryMegabytes();

    std::vector<double> layouts;
    int pages = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const Report::Document document = form.generate(*dm.FrimAllTable);
        layouts.push_back(timer.nsecsElapsed() / 1e6);
        pages = document.pageCount();
    }
    const long afterLayout = peakMemoryMegabytes();

    std::vector<double> paints;
    {
        const Report::Document document = form.generate(*dm.FrimAllTable);
        // A page at 150 dots per inch, as a preview at high zoom or a draft printer draws it.
        QImage page(1754, 1240, QImage::Format_RGB32);
        page.setDotsPerMeterX(qRound(150 / 0.0254));
        page.setDotsPerMeterY(qRound(150 / 0.0254));
        for (int run = 0; run < 15; ++run) {
            QElapsedTimer timer;
            timer.start();
            QPainter painter(&page);
            document.paint(run * 97 % pages, painter);
            painter.end();
            paints.push_back(timer.nsecsElapsed() / 1e6);
        }
    } // the command below lays out its own report

    // The command: lay out, open the preview, first page painted.
    double firstPage = 0;
    QElapsedTimer command;
    QTimer::singleShot(0, [&] {
        if (TReportPreview *preview = TReportPreview::openPreview()) {
            QApplication::processEvents();
            firstPage = command.nsecsElapsed() / 1e6;
            preview->close();
        }
    });
    command.start();
    form.Preview(*dm.FrimAllTable, nullptr);

    std::printf("%d stamps, %d pages; medians in ms\n", dm.FrimAllTable->RecordCount(), pages);
    report("lay out the whole report", median(layouts), 3000, "ms");
    std::printf("%-46s %9ld MB (before %ld MB, after %ld MB)\n", "peak memory while laying out",
                afterLayout, before, afterLayout);
    report("paint one page (150 dpi)", median(paints), 20, "ms");
    report("print command until the first page shows", firstPage, 3500, "ms");
    std::printf("peak memory of the process: %ld MB (goal <= 300 MB) %s\n", peakMemoryMegabytes(),
                peakMemoryMegabytes() <= 300 ? "ok" : "MISSED");
    return 0;
}
