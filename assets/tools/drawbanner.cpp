// Draws the splash window's banner, splash/banner.bmp (578 × 85, 24 bits): a perforated
// stamp with the maker's name on a transparent-key background. Its outline, every pixel that
// is not the key colour, becomes the splash's "FormShape" value, splash/formshape.bin: the
// rectangles of the outline, row bands ordered by top and then left.
// Run: albumino_draw_banner <assets folder>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor kKey(0xff, 0x00, 0xff);
const QColor kPaper(0xf4, 0xf1, 0xe8);
const QColor kInk(0x8b, 0x1a, 0x1a);
const QColor kBlue(0x1e, 0x4d, 0x8c);
// The paper's edge, right and bottom exclusive; the rows below it are cut off by the
// window, which is 80 pixels high.
const QRect kPaperRect(11, 13, 552, 62);
constexpr qreal kHole = 3.0;
constexpr qreal kPitch = 9.2;

// The paper with round bites along every edge.
QPainterPath perforatedPaper()
{
    const QRectF paper(kPaperRect);
    QPainterPath path;
    path.addRect(paper);
    QPainterPath holes;
    for (qreal x = paper.left() + kPitch / 2; x < paper.right(); x += kPitch) {
        holes.addEllipse(QPointF(x, paper.top()), kHole, kHole);
        holes.addEllipse(QPointF(x, paper.bottom()), kHole, kHole);
    }
    for (qreal y = paper.top() + kPitch / 2; y < paper.bottom(); y += kPitch) {
        holes.addEllipse(QPointF(paper.left(), y), kHole, kHole);
        holes.addEllipse(QPointF(paper.right(), y), kHole, kHole);
    }
    return path.subtracted(holes);
}

// A small stamp on the stamp: sky, sun and hills in a frame.
void drawMotif(QPainter &painter, const QRectF &field)
{
    QLinearGradient sky(field.topLeft(), field.bottomLeft());
    sky.setColorAt(0, kBlue.lighter(170));
    sky.setColorAt(1, kBlue);
    painter.fillRect(field, sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xe0, 0x82));
    painter.drawEllipse(QPointF(field.left() + field.width() * 0.68, field.top() + 13), 6, 6);
    QPainterPath hills;
    hills.moveTo(field.bottomLeft());
    hills.quadTo(field.left() + 12, field.bottom() - 22, field.left() + 24, field.bottom() - 12);
    hills.quadTo(field.left() + 34, field.bottom() - 26, field.right(), field.bottom() - 10);
    hills.lineTo(field.bottomRight());
    hills.closeSubpath();
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    painter.drawPath(hills);
    painter.setPen(QPen(kBlue.darker(180), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(field.adjusted(0.5, 0.5, -0.5, -0.5));
}

// A round postmark with wavy cancel lines running out to the left.
void drawPostmark(QPainter &painter, const QPointF &centre)
{
    const QColor ink(0x33, 0x33, 0x55, 150);
    painter.setPen(QPen(ink, 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 22, 22);
    painter.drawEllipse(centre, 15, 15);
    QFont font(u"Liberation Sans"_s);
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRectF(centre.x() - 15, centre.y() - 6, 30, 12), Qt::AlignCenter, u"2026"_s);
    painter.setPen(QPen(ink, 1.4));
    for (int line = -1; line <= 1; ++line) {
        QPainterPath wave;
        const qreal y = centre.y() + line * 8;
        wave.moveTo(centre.x() - 22 - 70, y);
        for (int i = 0; i < 7; ++i)
            wave.quadTo(centre.x() - 92 + i * 10 + 5, y + (i % 2 ? 3 : -3),
                        centre.x() - 92 + (i + 1) * 10, y);
        painter.drawPath(wave);
    }
}

QImage drawBanner()
{
    QImage banner(578, 85, QImage::Format_RGB32);
    banner.fill(kKey);
    QPainter painter(&banner);
    // The paper's edge is not smoothed: its pixels are the outline.
    const QPainterPath paper = perforatedPaper();
    painter.fillPath(paper, kPaper);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(paper);

    const QRectF inner = QRectF(kPaperRect).adjusted(7, 7, -7, -7);
    painter.setPen(QPen(kInk, 1.0));
    painter.drawRect(inner);
    drawMotif(painter, QRectF(inner.left() + 5, inner.top() + 4, 40, inner.height() - 8));

    QFont title(u"Liberation Serif"_s);
    title.setPixelSize(26);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(kInk);
    painter.drawText(QRectF(inner.left() + 56, inner.top() + 2, 330, 30),
                     Qt::AlignLeft | Qt::AlignVCenter, u"Morvane Software"_s);
    QFont subtitle(u"Liberation Sans"_s);
    subtitle.setPixelSize(12);
    painter.setFont(subtitle);
    painter.setPen(QColor(0x5d, 0x4a, 0x3a));
    painter.drawText(QRectF(inner.left() + 57, inner.top() + 30, 330, 16),
                     Qt::AlignLeft | Qt::AlignVCenter, u"Albumino · din frimærkesamling i orden"_s);
    drawPostmark(painter, QPointF(inner.right() - 34, inner.center().y()));

    painter.end();
    return banner;
}

// Each row's runs of pixels that are not the key colour; rows alike in a row make one band.
QList<QRect> outline(const QImage &banner)
{
    QList<QRect> rects;
    QList<QRect> band;
    QList<std::pair<int, int>> bandRuns;
    for (int y = 0; y < banner.height(); ++y) {
        QList<std::pair<int, int>> runs;
        for (int x = 0; x < banner.width(); ++x) {
            if (banner.pixelColor(x, y) == kKey)
                continue;
            const int left = x;
            while (x + 1 < banner.width() && banner.pixelColor(x + 1, y) != kKey)
                ++x;
            runs.append({left, x});
        }
        if (!runs.isEmpty() && runs == bandRuns) {
            for (QRect &rect : band)
                rect.setBottom(y);
            continue;
        }
        rects += band;
        band.clear();
        bandRuns = runs;
        for (const auto &[left, right] : runs)
            band.append(QRect(QPoint(left, y), QPoint(right, y)));
    }
    return rects + band;
}

void appendInt32(QByteArray &bytes, qint32 value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

// The "FormShape" value: the length of the region block, then the block, a Win32 RGNDATA:
// its 32-byte header (size, type 1 for rectangles, count, bytes of the rectangles, bounding
// rectangle) and the rectangles as left, top, right, bottom, right and bottom exclusive.
QByteArray formShape(const QList<QRect> &rects)
{
    QRect bounds;
    for (const QRect &rect : rects)
        bounds |= rect;
    const qint32 rectBytes = qint32(rects.size()) * 16;
    QByteArray payload;
    for (qint32 value : {32 + rectBytes, 32, 1, qint32(rects.size()), rectBytes})
        appendInt32(payload, value);
    for (const QRect &rect : QList<QRect>{bounds} + rects)
        for (int value : {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1})
            appendInt32(payload, value);
    return payload;
}

bool save(const QByteArray &bytes, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: albumino_draw_banner <assets folder>\n");
        return 2;
    }
    const QDir folder(QDir(QString::fromLocal8Bit(argv[1])).filePath(u"splash"_s));
    const QImage banner = drawBanner();
    const QList<QRect> rects = outline(banner);
    const QByteArray payload = formShape(rects);
    const QString bannerPath = folder.filePath(u"banner.bmp"_s);
    if (!QDir().mkpath(folder.path()) || !banner.save(bannerPath, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(bannerPath));
        return 1;
    }
    const QString shapePath = folder.filePath(u"formshape.bin"_s);
    if (!save(payload, shapePath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(shapePath));
        return 1;
    }
    std::printf("%lld rectangles, %lld bytes\n", qlonglong(rects.size()),
                qlonglong(payload.size()));
    return 0;
}
