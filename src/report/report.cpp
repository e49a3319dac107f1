#include "report.h"

#include "field.h"
#include "numbertext.h"
#include "table.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <cmath>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace Report {

namespace {

constexpr double kMillimetresPerPoint = 25.4 / 72;

QFont qtFont(const Font &font, double points)
{
    QFont qt(font.family);
    qt.setPointSizeF(points);
    qt.setBold(font.bold);
    return qt;
}

// Text widths for the page model: measured at 72 dots per inch, where a dot is a point.
double textWidthMm(const Font &font, const QString &text)
{
    static QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(72 / 0.0254));
        image.setDotsPerMeterY(qRound(72 / 0.0254));
        return image;
    }();
    return QFontMetricsF(qtFont(font, font.points), &reference).horizontalAdvance(text) *
           kMillimetresPerPoint;
}

bool isData(const Printable &printable)
{
    return printable.kind == Printable::Kind::Field ||
           printable.kind == Printable::Kind::Expression;
}

// The box a printable takes in its band, in millimetres from the band's top left corner.
QRectF boxOf(const Printable &printable, const QString &text, double bandWidth)
{
    const double width = printable.autoWidth ? textWidthMm(printable.font, text) : printable.width;
    double left = printable.left;
    if (printable.anchor == Printable::Anchor::BandCentre)
        left = (bandWidth - width) / 2;
    else if (printable.anchor == Printable::Anchor::RightEdge)
        left = printable.left + printable.width - width;
    return {left, printable.top, width, printable.height};
}

} // namespace

Printable *Layout::printable(const QString &name)
{
    for (Band &band : bands)
        for (Printable &printable : band.printables)
            if (printable.name == name)
                return &printable;
    return nullptr;
}

const Band *Layout::band(Band::Kind kind) const
{
    for (const Band &band : bands)
        if (band.kind == kind)
            return &band;
    return nullptr;
}

Document::Document(Layout layout) : m_layout(std::move(layout)) {}

QString Document::textOf(const Printable &printable, const PlacedBand &band, size_t &data,
                         int page) const
{
    switch (printable.kind) {
    case Printable::Kind::Label:
        return printable.text;
    case Printable::Kind::ReportTitle:
        return m_layout.title;
    case Printable::Kind::PageNumber:
        return u"Side "_s + QString::number(page + 1);
    case Printable::Kind::Field:
    case Printable::Kind::Expression:
        return data < band.data.size() ? band.data[data++] : QString();
    }
    return {};
}

std::vector<PlacedText> Document::texts(int page) const
{
    std::vector<PlacedText> placed;
    for (const PlacedBand &band : m_pages.at(size_t(page)).bands) {
        const Band &layout = m_layout.bands[size_t(band.band)];
        size_t data = 0;
        for (const Printable &printable : layout.printables) {
            const QString text = textOf(printable, band, data, page);
            const QRectF box = boxOf(printable, text, m_layout.bandWidth())
                                   .translated(m_layout.leftMargin, band.top);
            placed.push_back({printable.name, text, box});
        }
    }
    return placed;
}

std::vector<std::pair<QString, QRectF>> Document::bands(int page) const
{
    std::vector<std::pair<QString, QRectF>> placed;
    for (const PlacedBand &band : m_pages.at(size_t(page)).bands) {
        const Band &layout = m_layout.bands[size_t(band.band)];
        placed.emplace_back(layout.name, QRectF(m_layout.leftMargin, band.top, m_layout.bandWidth(),
                                                layout.height));
    }
    return placed;
}

void Document::paint(int page, QPainter &painter) const
{
    const QPaintDevice *device = painter.device();
    const double xScale = device->width() / m_layout.page.width(); // device pixels per mm
    const double yScale = device->height() / m_layout.page.height();
    const auto toDevice = [&](const QRectF &mm) {
        return QRectF(mm.x() * xScale, mm.y() * yScale, mm.width() * xScale, mm.height() * yScale);
    };
    // Point sizes at the page's scale, whatever the device's own resolution.
    const double fontScale = yScale * 25.4 / device->logicalDpiY();

    painter.save();
    painter.fillRect(QRectF(0, 0, device->width(), device->height()), Qt::white);
    for (const PlacedBand &band : m_pages.at(size_t(page)).bands) {
        const Band &layout = m_layout.bands[size_t(band.band)];
        const QRectF bandRect =
            toDevice(QRectF(m_layout.leftMargin, band.top, m_layout.bandWidth(), layout.height));
        painter.fillRect(bandRect, layout.background);
        if (layout.frame) {
            painter.setPen(QPen(Qt::black, std::max(1.0, 0.2 * xScale)));
            painter.drawRect(bandRect);
        }
        size_t data = 0;
        for (const Printable &printable : layout.printables) {
            const QString text = textOf(printable, band, data, page);
            const QFont font = qtFont(printable.font, printable.font.points * fontScale);
            QRectF box = toDevice(boxOf(printable, text, m_layout.bandWidth())
                                      .translated(m_layout.leftMargin, band.top));
            if (printable.white)
                painter.fillRect(box, Qt::white);
            if (text.isEmpty())
                continue;
            painter.setFont(font);
            painter.setPen(printable.font.colour);
            const Qt::Alignment horizontal =
                printable.alignment == Alignment::Centre  ? Qt::AlignHCenter
                : printable.alignment == Alignment::Right ? Qt::AlignRight
                                                          : Qt::AlignLeft;
            if (printable.autoWidth) {
                // A box that follows its text: measured on this device, placed by its anchor.
                const double width = QFontMetricsF(font, device).horizontalAdvance(text);
                if (printable.anchor == Printable::Anchor::BandCentre)
                    box = QRectF(bandRect.center().x() - width / 2, box.y(), width, box.height());
                else if (printable.anchor == Printable::Anchor::RightEdge)
                    box = QRectF(box.right() - width, box.y(), width, box.height());
                else
                    box.setWidth(width);
                painter.drawText(box, int(horizontal | Qt::AlignTop) | Qt::TextDontClip, text);
                continue;
            }
            // A fixed box: the text wraps inside it, and lines that do not fit whole are left
            // out.
            QTextLayout lines(text, font, const_cast<QPaintDevice *>(device));
            QTextOption option(horizontal);
            option.setWrapMode(printable.wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
            lines.setTextOption(option);
            lines.beginLayout();
            double height = 0;
            int fitting = 0;
            for (QTextLine line = lines.createLine(); line.isValid(); line = lines.createLine()) {
                line.setLineWidth(box.width());
                if (height + line.height() > box.height() + 0.5 && height > 0)
                    break;
                line.setPosition(QPointF(0, height));
                height += line.height();
                ++fitting;
            }
            lines.endLayout();
            // Only the lines that fit are drawn: the one that did not is still in the layout,
            // at the top of the box.
            painter.save();
            painter.setClipRect(box);
            for (int i = 0; i < fitting; ++i)
                lines.lineAt(i).draw(&painter, box.topLeft());
            painter.restore();
        }
    }
    painter.restore();
}

void Document::print(QPrinter &printer) const
{
    if (m_pages.empty())
        return;
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("The printer cannot be started.");
    const int first = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int last =
        printer.toPage() > 0 ? std::min(printer.toPage(), pageCount()) - 1 : pageCount() - 1;
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    bool firstSheet = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = first; page <= last; ++page) {
            if (!firstSheet)
                printer.newPage();
            firstSheet = false;
            paint(page, painter);
        }
    }
    painter.end();
}

Document layOut(const Layout &layout, TTable &table)
{
    Document document(layout);
    if (table.IsEmpty() && !layout.printIfEmpty)
        return document;
    const auto indexOf = [&](Band::Kind kind) {
        for (size_t i = 0; i < layout.bands.size(); ++i)
            if (layout.bands[i].kind == kind)
                return int(i);
        return -1;
    };
    const int title = indexOf(Band::Kind::Title);
    const int header = indexOf(Band::Kind::ColumnHeader);
    const int detail = indexOf(Band::Kind::Detail);
    const int footer = indexOf(Band::Kind::PageFooter);
    const double footerTop = layout.page.height() - layout.bottomMargin -
                             (footer >= 0 ? layout.bands[size_t(footer)].height : 0);

    // The fields of the detail band, looked up once.
    struct Source
    {
        const TField *field;
        const TField *value;
        const Printable *printable;
    };
    std::vector<Source> sources;
    if (detail >= 0)
        for (const Printable &printable : layout.bands[size_t(detail)].printables)
            if (isData(printable))
                sources.push_back({table.FieldByName(printable.field),
                                   printable.kind == Printable::Kind::Expression
                                       ? table.FieldByName(printable.valueField)
                                       : nullptr,
                                   &printable});

    double y = 0;
    const auto place = [&](int band, std::vector<QString> data = {}) {
        document.m_pages.back().bands.push_back({band, y, std::move(data)});
        y += layout.bands[size_t(band)].height;
    };
    const auto startPage = [&] {
        document.m_pages.emplace_back();
        y = layout.topMargin;
        if (title >= 0 && document.m_pages.size() == 1)
            place(title);
        if (header >= 0)
            place(header);
    };
    const auto endPage = [&] {
        if (footer >= 0) {
            y = footerTop;
            place(footer);
        }
    };

    table.DisableControls();
    try {
        startPage();
        const double detailHeight = detail >= 0 ? layout.bands[size_t(detail)].height : 0;
        for (table.First(); !table.Eof(); table.Next()) {
            if (detail < 0)
                continue;
            if (y + detailHeight > footerTop + 1e-6) {
                endPage();
                startPage();
            }
            std::vector<QString> data;
            data.reserve(sources.size());
            for (const Source &source : sources) {
                if (!source.value) {
                    data.push_back(source.field->AsString());
                    continue;
                }
                // Empty fields count as 0.
                data.push_back(formatMask(source.field->AsFloat() * source.value->AsFloat(),
                                          source.printable->mask));
            }
            place(detail, std::move(data));
        }
        endPage();
    } catch (...) {
        table.EnableControls();
        throw;
    }
    table.EnableControls();
    return document;
}

QString formatMask(double value, const QString &mask)
{
    const qsizetype firstDigit = [&] {
        for (qsizetype i = 0; i < mask.size(); ++i)
            if (mask[i] == u'#' || mask[i] == u'0')
                return i;
        return mask.size();
    }();
    const QString prefix = mask.left(firstDigit);
    const QString pattern = mask.mid(firstDigit);
    const qsizetype point = pattern.indexOf(u'.');
    const QString integerPattern = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    const int forcedDigits = int(integerPattern.count(u'0'));
    const bool grouped = integerPattern.contains(u',');

    // Rounded half away from zero on the value's decimal digits, then split.
    QString digits = NumberText::formatGrouped(std::abs(value), decimals, 0);
    const QLocale locale;
    digits.remove(locale.groupSeparator());
    const qsizetype separator = decimals > 0 ? digits.indexOf(locale.decimalPoint()) : -1;
    QString integer = separator < 0 ? digits : digits.left(separator);
    const QString fraction = separator < 0 ? QString() : digits.mid(separator + 1);
    while (integer.startsWith(u'0') && integer.size() > forcedDigits)
        integer.remove(0, 1);
    while (integer.size() < forcedDigits)
        integer.prepend(u'0');
    // A value that rounds to nothing shows no sign.
    const QString allDigits = integer + fraction;
    const bool negative = value < 0 && allDigits.count(u'0') != allDigits.size();
    if (grouped)
        for (qsizetype at = integer.size() - 3; at > 0; at -= 3)
            integer.insert(at, locale.groupSeparator());
    QString text = integer;
    if (decimals > 0)
        text += locale.decimalPoint() + fraction;
    return prefix + (negative ? u"-"_s : QString()) + text;
}

} // namespace Report
