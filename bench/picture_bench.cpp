// Measures a stamp's picture: decoding a 1600 × 1200 colour JPEG with JpegImage::decode, and
// decoding and showing it full size in a label inside a scroll area, as the stamp page does.
// Runs on whatever Qt platform is set (offscreen by default).

#include "benchsupport.h"
#include "jpegimage.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Without a goal the figure is only a part of another one.
void report(const char *operation, double ms, double goalMs = 0)
{
    if (goalMs > 0)
        std::printf("%-46s %8.1f  goal <= %g ms %s\n", operation, ms, goalMs,
                    ms <= goalMs ? "ok" : "MISSED");
    else
        std::printf("%-46s %8.1f\n", operation, ms);
}

// Smooth gradients, a few soft shapes and grain: about as hard to compress as a scanned stamp.
QByteArray photoLikeJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(1234);
    std::normal_distribution<double> grain(0, 6);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double n = grain(random);
            const int r = int(128 + 100 * std::sin(x / 170.0) + n);
            const int g = int(40 + 160.0 * y / height + 30 * std::cos((x + y) / 90.0) + n);
            const int b = int(200 - 120.0 * x / width + n);
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        painter.setPen(QPen(QColor::fromHsv(i * 9 % 360, 160, 200, 160), 1 + i % 5));
        painter.setBrush(QColor::fromHsv(i * 37 % 360, 90, 230, 60));
        painter.drawEllipse(QPoint(int(random() % width), int(random() % height)),
                            int(20 + random() % 200), int(20 + random() % 150));
    }
    painter.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 90))
        std::printf("  (Qt could not write the JPEG)\n");
    return data;
}

// Counts the label's paint events, to make sure that each run really paints the picture.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const QByteArray jpeg = photoLikeJpeg(1600, 1200);
    std::printf("the picture: 1600 x 1200, quality 90, %lld KB\n",
                static_cast<long long>(jpeg.size() / 1024));

    QScrollArea scrollBox;
    auto *label = new QLabel;
    scrollBox.setWidget(label);
    scrollBox.resize(800, 600);
    scrollBox.show();
    PaintCounter counter;
    label->installEventFilter(&counter);
    waitUntilIdle();

    const int repeat = 15;
    std::vector<double> decodes, shows;
    for (int run = 0; run < repeat; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QImage image = JpegImage::decode(jpeg);
        decodes.push_back(timer.nsecsElapsed() / 1e6);
        if (image.size() != QSize(1600, 1200))
            std::printf("  (the picture decoded as %d x %d)\n", image.width(), image.height());
    }
    for (int run = 0; run < repeat; ++run) {
        // A blank label between runs, so that each run shows a picture anew.
        label->clear();
        waitUntilIdle();
        const int paintsBefore = counter.paints;
        QElapsedTimer timer;
        timer.start();
        const QImage image = JpegImage::decode(jpeg);
        label->setPixmap(QPixmap::fromImage(image));
        label->resize(image.size());
        waitUntilIdle();
        shows.push_back(timer.nsecsElapsed() / 1e6);
        if (counter.paints == paintsBefore)
            std::printf("  (the picture was not painted)\n");
    }

    std::printf("stamp picture, %d runs, medians in ms\n", repeat);
    report("decode and show it in the scroll box", median(shows), 30);
    report("  of which decoding alone", median(decodes));
    return 0;
}
