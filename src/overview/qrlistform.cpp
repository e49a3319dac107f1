#include "qrlistform.h"

#include "reportpreview.h"

using namespace Qt::Literals::StringLiterals;
using namespace Report;

namespace {

Printable label(const QString &name, const QString &text, double left, double top, double height)
{
    Printable printable;
    printable.name = name;
    printable.text = text;
    printable.left = left;
    printable.top = top;
    printable.height = height;
    printable.autoWidth = true;
    return printable;
}

// A detail line's white box of fixed size, left-aligned, wrapping inside itself.
Printable box(const QString &name, Printable::Kind kind, const QString &field, double left,
              double width)
{
    Printable printable;
    printable.name = name;
    printable.kind = kind;
    printable.field = field;
    printable.left = left;
    printable.top = 0.8;
    printable.width = width;
    printable.height = 4.5;
    printable.wordWrap = true;
    printable.white = true;
    return printable;
}

Printable expression(const QString &name, const QString &count, const QString &value, double left,
                     double width)
{
    Printable printable = box(name, Printable::Kind::Expression, count, left, width);
    printable.valueField = value;
    printable.mask = u"kr ###,###.#0"_s;
    return printable;
}

} // namespace

TQRListForm::TQRListForm()
{
    m_layout.title = u"Albumino"_s;

    Band title{u"TitleBand1"_s, Band::Kind::Title, 17.73, Qt::white, false, {}};
    Printable reportTitle = label(u"QRSysData1"_s, {}, 121.7, 1.1, 8.7);
    reportTitle.kind = Printable::Kind::ReportTitle;
    reportTitle.anchor = Printable::Anchor::BandCentre;
    reportTitle.alignment = Alignment::Centre;
    reportTitle.width = 43.7;
    reportTitle.font = {u"Arial"_s, 20, true, QColor(0x00, 0x00, 0x80)};
    Printable country = label(u"QRLabel17"_s, u"QRLabel17"_s, 105.3, 10.6, 5.3);
    country.autoWidth = false;
    country.width = 76.5;
    country.anchor = Printable::Anchor::BandCentre;
    country.alignment = Alignment::Centre;
    country.wordWrap = true;
    country.font = {u"Arial"_s, 12, true, Qt::black};
    title.printables = {reportTitle, country};

    Band header{
        u"ColumnHeaderBand1"_s, Band::Kind::ColumnHeader, 6.09, QColor(0xc0, 0xc0, 0xc0), true, {}};
    Band detail{u"DetailBand1"_s, Band::Kind::Detail, 6.35, Qt::white, false, {}};
    struct Column
    {
        const char16_t *heading;
        const char16_t *headingText;
        double headingLeft;
        const char16_t *printable;
        const char16_t *field;
        double left;
        double width;
    };
    const Column columns[] = {
        {u"QRLabel1", u"Katalog", 2.1, u"QRDBText1", u"Katalog", 2.1, 18.0},
        {u"QRLabel2", u"Katalognr.", 22.0, u"QRDBText2", u"Katalognr", 22.0, 15.6},
        {u"QRLabel4", u"Pålyd.", 38.6, u"QRDBText3", u"Paalydende", 38.6, 11.4},
        {u"QRLabel3", u"Serie", 51.3, u"QRDBText4", u"Serie", 51.6, 9.0},
        {u"QRLabel6", u"Extra+", 61.9, u"QRDBText5", u"Ekstra", 61.9, 11.4},
        {u"QRLabel5", u"Farve", 74.9, u"QRDBText6", u"Farve", 75.1, 13.2},
        {u"QRLabel8", u"Udgivet", 90.0, u"QRDBText7", u"Udgivet", 90.0, 15.6},
        {u"QRLabel7", u"Art", 108.0, u"QRDBText8", u"Art", 107.7, 16.1},
        {u"QRLabel10", u"Anskaffet", 125.9, u"QRDBText9", u"Anskaffet", 125.9, 18.0},
        {u"QRLabel9", u"Type", 146.1, u"QRDBText10", u"Type", 146.1, 12.7},
        {u"QRLabel12", u"Takning", 160.9, u"QRDBText11", u"Takning", 160.9, 14.6},
        {u"QRLabel11", u"Kvalitet", 177.0, u"QRDBText12", u"Kvalitet", 177.0, 16.1},
        {u"QRLabel14", u"Årstal", 194.7, u"QRDBText13", u"Aarstal", 194.7, 9.3},
        {u"QRLabel13", u"Ubrugt", 205.8, u"QRDBText14", u"Ubrugt", 205.8, 6.6},
        {u"QRLabel15", u"Stemplet", 232.8, u"QRDBText16", u"Stemplet", 232.8, 6.6},
        {u"QRLabel16", u"Ustemplet", 259.8, u"QRDBText18", u"Ustemplet", 259.8, 6.6},
    };
    for (const Column &column : columns) {
        header.printables.push_back(label(QString::fromUtf16(column.heading),
                                          QString::fromUtf16(column.headingText),
                                          column.headingLeft, 0.8, 4.5));
        detail.printables.push_back(box(QString::fromUtf16(column.printable),
                                        Printable::Kind::Field, QString::fromUtf16(column.field),
                                        column.left, column.width));
        // Each value column stands right of its count column, under the count's heading.
        const QString field = QString::fromUtf16(column.field);
        if (field == u"Ubrugt"_s)
            detail.printables.push_back(
                expression(u"QRExpr7"_s, u"Ubrugt"_s, u"VaerdiUbrugt"_s, 213.3, 19.1));
        else if (field == u"Stemplet"_s)
            detail.printables.push_back(
                expression(u"QRExpr8"_s, u"Stemplet"_s, u"VaerdiStemplet"_s, 240.2, 19.1));
        else if (field == u"Ustemplet"_s) {
            Printable last =
                expression(u"QRExpr9"_s, u"Ustemplet"_s, u"VaerdiUstemplet"_s, 267.2, 44.7);
            last.autoWidth = true;
            detail.printables.push_back(last);
        }
    }

    Band footer{u"PageFooterBand1"_s, Band::Kind::PageFooter, 6.35, Qt::white, false, {}};
    Printable count = label(u"QRLabel20"_s, u"QRLabel20"_s, 19.8, 1.1, 4.5);
    count.autoWidth = false;
    count.width = 17.2;
    Printable valueCaption = label(u"QRLabel21"_s, u"Værdi i alt:"_s, 41.0, 1.1, 4.5);
    valueCaption.autoWidth = false;
    valueCaption.width = 17.2;
    Printable value = label(u"QRLabel22"_s, u"QRLabel22"_s, 59.3, 1.1, 4.5);
    value.autoWidth = false;
    value.width = 23.5;
    Printable page = label(u"QRSysData2"_s, {}, 263.0, 1.1, 4.5);
    page.kind = Printable::Kind::PageNumber;
    page.width = 20.1; // the right edge at 283.1
    page.anchor = Printable::Anchor::RightEdge;
    page.alignment = Alignment::Right;
    footer.printables = {label(u"QRLabel19"_s, u"Antal i alt:"_s, 2.9, 1.1, 4.5), count,
                         valueCaption, value, page};

    m_layout.bands = {title, header, detail, footer};
}

void TQRListForm::setCaption(const QString &label, const QString &text)
{
    if (Printable *printable = m_layout.printable(label))
        printable->text = text;
}

Document TQRListForm::generate(TTable &stamps) const
{
    return layOut(m_layout, stamps);
}

void TQRListForm::Preview(TTable &stamps, QWidget *parent) const
{
    TReportPreview::preview(generate(stamps), parent);
}
