#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class TTable;

// A banded list report over one table, laid out in millimetres: a title band once at the top
// of the first page, a column header band at the top of every page, one detail band per
// record, a page footer band at the bottom of every page. Laying out reads the table once
// into a page model; painting draws any page of that model on any device.
namespace Report {

enum class Alignment
{
    Left,
    Centre,
    Right,
};

struct Font
{
    QString family = QStringLiteral("Arial");
    double points = 10;
    bool bold = false;
    QColor colour = Qt::black;
};

struct Printable
{
    enum class Kind
    {
        Label,      // fixed text
        Field,      // the field's text of the current record
        Expression, // count field × currency field, formatted by a mask
        ReportTitle,
        PageNumber, // "Side " and the page number
    };
    enum class Anchor
    {
        Left,       // at `left`
        BandCentre, // the box centred on the band
        RightEdge,  // its right edge at `left` + `width`
    };
    QString name;
    Kind kind = Kind::Label;
    QString text;       // a label's caption
    QString field;      // a field, or an expression's count field
    QString valueField; // an expression's currency field
    QString mask;       // an expression's display mask
    double left = 0, top = 0, width = 0, height = 0;
    bool autoWidth = false; // the width follows the text
    Anchor anchor = Anchor::Left;
    Alignment alignment = Alignment::Left;
    bool wordWrap = false;
    bool white = false; // a white box rather than transparent
    Font font;
};

struct Band
{
    enum class Kind
    {
        Title,
        ColumnHeader,
        Detail,
        PageFooter,
    };
    QString name;
    Kind kind;
    double height;
    QColor background = Qt::white;
    bool frame = false;
    std::vector<Printable> printables;
};

struct Layout
{
    QSizeF page{297, 210}; // A4 landscape
    double topMargin = 10, bottomMargin = 10, leftMargin = 5, rightMargin = 5;
    QString title;
    bool printIfEmpty = false;
    std::vector<Band> bands;

    Printable *printable(const QString &name);
    const Band *band(Band::Kind kind) const;
    double bandWidth() const { return page.width() - leftMargin - rightMargin; }
};

// One printable as placed on a page.
struct PlacedText
{
    QString name;
    QString text;
    QRectF rect; // millimetres from the page's top left corner
};

// The pages of a report, once laid out: independent of the table.
class Document
{
public:
    Document() = default;
    explicit Document(Layout layout);

    const Layout &layout() const { return m_layout; }
    int pageCount() const { return int(m_pages.size()); }
    QString title() const { return m_layout.title; }
    // Every printable of a page, band by band from the top.
    std::vector<PlacedText> texts(int page) const;
    // The bands of a page with their rectangles, from the top.
    std::vector<std::pair<QString, QRectF>> bands(int page) const;

    // Draws page `page` (from 0) to fill the painter's device, which stands for a page of
    // the report's paper.
    void paint(int page, QPainter &painter) const;
    // Prints the pages in the printer's page range (all when none), with its copies.
    void print(QPrinter &printer) const;

private:
    friend Document layOut(const Layout &layout, TTable &table);
    struct PlacedBand
    {
        int band;                  // index in the layout
        double top;                // millimetres from the page's top
        std::vector<QString> data; // a detail's field and expression texts, in order
    };
    struct Page
    {
        std::vector<PlacedBand> bands;
    };
    QString textOf(const Printable &printable, const PlacedBand &band, size_t &data,
                   int page) const;

    Layout m_layout;
    std::vector<Page> m_pages;
};

// Walks the table from its first record to its last (it stays on the last), with its bound
// controls suspended.
Document layOut(const Layout &layout, TTable &table);

// "kr ###,###.#0": literal text, then the integer part grouped with the locale's separator
// (as many forced digits as the mask has 0s before the point), the locale's decimal
// separator and the mask's decimals, rounded half away from zero.
QString formatMask(double value, const QString &mask);

} // namespace Report
