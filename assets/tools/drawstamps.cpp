// Draws the stamp pictures of the start page's collage (perforated edges, a framed motif
// and a face value, each exactly the size of its picture control, saved with 256 colours)
// the placeholder shown for a stamp without a picture, Ingen.jpg, and the about window's
// picture, about.jpg.
// Run: albumino_draw_stamps <assets folder>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Stamp
{
    const char *name;
    int width;
    int height;
    QColor colour;
    const char16_t *country;
    const char16_t *value;
};

const Stamp kStamps[] = {
    {"Image9", 90, 104, QColor(0xb2, 0x22, 0x22), u"DANMARK", u"25"},
    {"Image1", 150, 128, QColor(0x1e, 0x4d, 0x8c), u"NORGE", u"60"},
    {"Image2", 159, 94, QColor(0x2e, 0x7d, 0x32), u"SVERIGE", u"40"},
    {"Image3", 100, 116, QColor(0x6a, 0x1b, 0x9a), u"ISLAND", u"10"},
    {"Image4", 86, 100, QColor(0xef, 0x6c, 0x00), u"FØROYAR", u"5"},
    {"Image5", 90, 104, QColor(0x00, 0x69, 0x7c), u"SUOMI", u"30"},
    {"Image6", 90, 105, QColor(0x8d, 0x6e, 0x63), u"GRØNLAND", u"15"},
    {"Image7", 150, 88, QColor(0xc6, 0x28, 0x28), u"HELVETIA", u"90"},
    {"Image8", 90, 106, QColor(0x28, 0x35, 0x93), u"ÅLAND", u"2"},
    {"Image10", 122, 122, QColor(0x55, 0x8b, 0x2f), u"DANMARK", u"100"},
    {"Image11", 150, 109, QColor(0x4e, 0x34, 0x2e), u"ÖSTERREICH", u"50"},
    {"Image12", 151, 88, QColor(0xad, 0x14, 0x57), u"POSTES", u"20"},
    {"Image13", 137, 118, QColor(0x00, 0x83, 0x8f), u"NORGE", u"75"},
};

// The paper of a stamp with round bites along every edge, on a dark album page.
void drawPerforatedPaper(QPainter &painter, const QSizeF &size, qreal hole)
{
    QPainterPath paper;
    paper.addRect(QRectF(QPointF(0, 0), size));
    for (qreal x = hole; x < size.width(); x += 2.6 * hole) {
        paper.addEllipse(QPointF(x, 0), hole, hole);
        paper.addEllipse(QPointF(x, size.height()), hole, hole);
    }
    for (qreal y = hole; y < size.height(); y += 2.6 * hole) {
        paper.addEllipse(QPointF(0, y), hole, hole);
        paper.addEllipse(QPointF(size.width(), y), hole, hole);
    }
    paper.setFillRule(Qt::OddEvenFill);
    painter.fillRect(QRectF(QPointF(0, 0), size), QColor(0x30, 0x30, 0x30));
    painter.fillPath(paper, QColor(0xf4, 0xf1, 0xe8));
}

QImage drawStamp(const Stamp &stamp, int seed)
{
    QImage image(stamp.width, stamp.height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal hole = 3.0;
    drawPerforatedPaper(painter, image.size(), hole);

    const QRectF field(hole * 2.5, hole * 2.5, stamp.width - hole * 5, stamp.height - hole * 5);
    QLinearGradient sky(field.topLeft(), field.bottomLeft());
    sky.setColorAt(0, stamp.colour.lighter(160));
    sky.setColorAt(1, stamp.colour);
    painter.fillRect(field, sky);
    // A simple motif: hills and a sun, different for every stamp.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    const qreal sun = field.height() / 6 + seed % 5;
    painter.drawEllipse(QPointF(field.left() + field.width() * (0.25 + 0.05 * (seed % 6)),
                                field.top() + field.height() * 0.35),
                        sun, sun);
    QPainterPath hills;
    hills.moveTo(field.bottomLeft());
    for (int i = 0; i <= 4; ++i)
        hills.quadTo(field.left() + field.width() * (i + 0.5) / 5,
                     field.bottom() - field.height() * (0.25 + 0.1 * ((seed + i) % 3)),
                     field.left() + field.width() * (i + 1) / 5,
                     field.bottom() - field.height() * 0.2);
    hills.lineTo(field.bottomRight());
    hills.closeSubpath();
    painter.setBrush(stamp.colour.darker(160));
    painter.drawPath(hills);
    painter.setPen(QPen(stamp.colour.darker(200), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(field.adjusted(1, 1, -1, -1));

    QFont font(u"Liberation Sans"_s);
    font.setBold(true);
    font.setPixelSize(qMax(8, int(field.height() / 8)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(field.adjusted(3, 2, -3, -2), Qt::AlignTop | Qt::AlignHCenter,
                     QString::fromUtf16(stamp.country));
    font.setPixelSize(qMax(10, int(field.height() / 4)));
    painter.setFont(font);
    painter.drawText(field.adjusted(3, 2, -4, -2), Qt::AlignBottom | Qt::AlignRight,
                     QString::fromUtf16(stamp.value));
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8);
}

// An empty stamp, its motif only outlined, with the words "no picture".
QImage drawPlaceholder()
{
    QImage image(321, 186, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal hole = 5.0;
    drawPerforatedPaper(painter, image.size(), hole);
    const QRectF field(hole * 3, hole * 3, image.width() - hole * 6, image.height() - hole * 6);
    painter.setPen(QPen(QColor(0x9e, 0x9a, 0x8e), 2, Qt::DashLine));
    painter.drawRect(field);
    QFont font(u"Liberation Sans"_s);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(QColor(0x6d, 0x69, 0x5f));
    painter.drawText(field, Qt::AlignCenter, u"Intet billede"_s);
    painter.end();
    return image;
}

// The about window's picture: three small stamps in a vertical strip, 60 × 200.
QImage drawAboutPicture()
{
    QImage strip(60, 200, QImage::Format_RGB32);
    strip.fill(QColor(0x30, 0x30, 0x30));
    QPainter painter(&strip);
    const Stamp stamps[] = {
        {"", 54, 62, QColor(0xb2, 0x22, 0x22), u"DANMARK", u"8"},
        {"", 54, 62, QColor(0x1e, 0x4d, 0x8c), u"NORGE", u"7"},
        {"", 54, 62, QColor(0x2e, 0x7d, 0x32), u"SVERIGE", u"0"},
    };
    int top = 4;
    for (int i = 0; i < 3; ++i, top += 65)
        painter.drawImage(3, top,
                          drawStamp(stamps[i], i + 20).convertToFormat(QImage::Format_RGB32));
    painter.end();
    return strip;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: albumino_draw_stamps <assets folder>\n");
        return 2;
    }
    const QDir assets(QString::fromLocal8Bit(argv[1]));
    const QDir folder(assets.filePath(u"collage"_s));
    int seed = 0;
    for (const Stamp &stamp : kStamps) {
        const QString path = folder.filePath(QString::fromLatin1(stamp.name) + u".png"_s);
        if (!drawStamp(stamp, seed++).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString about = assets.filePath(u"about.jpg"_s);
    if (!drawAboutPicture().save(about, "JPG", 92)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(about));
        return 1;
    }
    const QString placeholder = assets.filePath(u"Ingen.jpg"_s);
    if (!drawPlaceholder().save(placeholder, "JPG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(placeholder));
        return 1;
    }
    return 0;
}
