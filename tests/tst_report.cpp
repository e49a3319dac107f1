#include "dbnavigator.h"
#include "mainwindowfixture.h"
#include "qrlistform.h"
#include "report.h"
#include "reportpreview.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Runs the print command and takes the report from its preview, which is then closed.
Report::Document printFrom(TMainForm &window)
{
    Report::Document document;
    QTimer::singleShot(0, [&] {
        if (TReportPreview *preview = TReportPreview::openPreview()) {
            document = preview->document();
            preview->close();
        }
    });
    window.Udskrivning1Click();
    return document;
}

QString textOf(const Report::Document &document, int page, const QString &name)
{
    for (const Report::PlacedText &text : document.texts(page))
        if (text.name == name)
            return text.text;
    return u"(none)"_s;
}

QStringList bandsOf(const Report::Document &document, int page)
{
    QStringList names;
    for (const auto &[name, rect] : document.bands(page))
        names.append(name);
    return names;
}

void addStamps(int count)
{
    TDM dm;
    dm.OpenTables();
    for (int i = 0; i < count; ++i) {
        dm.FrimTable->Append();
        dm.FrimTableKatalog->setAsString(u"Facit"_s);
        dm.FrimTable->Post();
    }
}

// Every word of a PDF with its box, as pdftotext reads them back.
struct PrintedWord
{
    QString text;
    QRectF box;
};

std::vector<PrintedWord> wordsOf(const QString &pdfFile)
{
    QProcess reader;
    reader.start(u"pdftotext"_s, {u"-bbox-layout"_s, pdfFile, u"-"_s});
    if (!reader.waitForFinished(30000))
        return {};
    const QString html = QString::fromUtf8(reader.readAllStandardOutput());
    static const QRegularExpression word(
        uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    std::vector<PrintedWord> words;
    for (const QRegularExpressionMatch &match : word.globalMatch(html)) {
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        words.push_back({match.captured(5), QRectF(topLeft, bottomRight)});
    }
    return words;
}

} // namespace

class TestReport : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void masks_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands") << 1234.5 << u"kr 1.234,50"_s;
        QTest::newRow("below one: no digit") << 0.5 << u"kr ,50"_s;
        QTest::newRow("zero") << 0.0 << u"kr ,00"_s;
        QTest::newRow("a million") << 1000000.0 << u"kr 1.000.000,00"_s;
        QTest::newRow("half away from zero") << 2.675 << u"kr 2,68"_s;
        QTest::newRow("negative") << -0.5 << u"kr -,50"_s;
    }

    void masks()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Report::formatMask(value, u"kr ###,###.#0"_s), text);
    }

    void pagesHoldTheirRows_data()
    {
        QTest::addColumn<int>("stamps");
        QTest::addColumn<int>("pages");
        // 25 rows fit under the title on the first page, 27 on every later one.
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("five") << 5 << 1;
        QTest::newRow("a full first page") << 25 << 1;
        QTest::newRow("one more") << 26 << 2;
        QTest::newRow("two full pages") << 52 << 2;
        QTest::newRow("three pages") << 53 << 3;
    }

    void pagesHoldTheirRows()
    {
        QFETCH(int, stamps);
        QFETCH(int, pages);
        makeCollection(768, 1024, -1, stamps > 0);
        if (stamps > 5)
            addStamps(stamps - 5);
        Program program;
        const Report::Document document = printFrom(program.window);
        QCOMPARE(document.pageCount(), pages);
        if (pages == 0)
            return;
        QCOMPARE(bandsOf(document, 0).first(), u"TitleBand1"_s);
        QCOMPARE(bandsOf(document, 0).count(u"DetailBand1"_s), std::min(stamps, 25));
        for (int page = 0; page < pages; ++page) {
            const QStringList bands = bandsOf(document, page);
            QCOMPARE(bands.contains(u"TitleBand1"_s), page == 0);
            QCOMPARE(bands.at(page == 0 ? 1 : 0), u"ColumnHeaderBand1"_s);
            QCOMPARE(bands.last(), u"PageFooterBand1"_s);
            QCOMPARE(textOf(document, page, u"QRSysData2"_s), u"Side %1"_s.arg(page + 1));
            // The footer sits at the page's bottom margin.
            QCOMPARE(document.bands(page).back().second.bottom(), 200.0);
            if (page > 0 && page < pages - 1)
                QCOMPARE(bands.count(u"DetailBand1"_s), 27);
        }
        // The walk leaves the overview on its last stamp.
        QCOMPARE(program.dm.FrimAllTable->RecNo(), stamps);
    }

    void aStampDeletedOnTheStampPageIsNotPrinted()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet2);
        m_messages->answers = {true};
        window.ui().DBNavigator1->button(TNavigateBtn::Delete)->click();
        choosePage(window, window.ui().TabSheet3);
        const Report::Document document = printFrom(window);
        QCOMPARE(bandsOf(document, 0).count(u"DetailBand1"_s), 4);
        QCOMPARE(textOf(document, 0, u"QRLabel20"_s), u"4"_s);
        // Every printed line is a stamp's: none without its catalogue.
        int catalogues = 0;
        for (const Report::PlacedText &text : document.texts(0))
            if (text.name == u"QRDBText1"_s) {
                QVERIFY(text.text.startsWith(u"AFA"_s));
                ++catalogues;
            }
        QCOMPARE(catalogues, 4);
    }

    void theCommandFillsTitleAndFooter()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet3);
        Report::Document document = printFrom(window);
        QCOMPARE(textOf(document, 0, u"QRSysData1"_s), u"Albumino"_s);
        QCOMPARE(textOf(document, 0, u"QRLabel17"_s), u"Alle lande"_s);
        QCOMPARE(textOf(document, 0, u"QRLabel20"_s), u"5"_s);
        QCOMPARE(textOf(document, 0, u"QRLabel22"_s), u"   13,75"_s);
        // After a selection the country line names the stamp page's country.
        QVERIFY(window.ui().DBLookupComboBox7->choose(u"AFA 0"_s));
        document = printFrom(window);
        QCOMPARE(document.texts(0).size(), 2 + 16 + 2 * 19 + 5);
        QCOMPARE(textOf(document, 0, u"QRLabel17"_s), u"Côte d'Ivoire"_s);
        QCOMPARE(textOf(document, 0, u"QRLabel20"_s), u"2"_s);
        // From the stamp page: its totals as they stand, the overview in front afterwards.
        choosePage(window, window.ui().TabSheet2);
        document = printFrom(window);
        QCOMPARE(textOf(document, 0, u"QRLabel22"_s), u"   12,50"_s);
        QCOMPARE(window.ui().PageControl1->currentWidget(), window.ui().TabSheet3);
    }

    void detailColumns()
    {
        makeCollection(768, 1024, -1);
        {
            TDM dm;
            dm.OpenTables();
            // Saved through the overview, which leaves an empty count empty.
            dm.FrimAllTable->First();
            dm.FrimAllTable->Edit();
            dm.FrimAllTable->FieldByName(u"Ubrugt"_s)->Clear();
            dm.FrimAllTable->FieldByName(u"Ekstra"_s)->setAsString(u"+10 øre"_s);
            dm.FrimAllTable->Post();
        }
        Program program;
        const Report::Document document = printFrom(program.window);
        const std::vector<Report::PlacedText> texts =
            program.window.isVisible() ? document.texts(0) : std::vector<Report::PlacedText>{};
        const auto find = [&](const QString &name) {
            for (const Report::PlacedText &text : texts)
                if (text.name == name)
                    return text;
            return Report::PlacedText{};
        };
        QCOMPARE(find(u"QRDBText14"_s).text, QString()); // the empty count
        QCOMPARE(find(u"QRExpr7"_s).text, u"kr ,00"_s);
        QCOMPARE(find(u"QRDBText5"_s).text, u"+10 øre"_s);
        QCOMPARE(find(u"QRDBText5"_s).rect.left(), find(u"QRLabel6"_s).rect.left());
        QCOMPARE(find(u"QRLabel6"_s).text, u"Extra+"_s);
        // The second stamp: 2 unused copies at 1,25.
        int expression = 0;
        for (const Report::PlacedText &text : texts)
            if (text.name == u"QRExpr7"_s && ++expression == 2)
                QCOMPARE(text.text, u"kr 2,50"_s);
    }

    void aSecondPrintCommandLeavesThePreview()
    {
        makeCollection(768, 1024, -1);
        Program program;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            TReportPreview *first = TReportPreview::openPreview();
            QVERIFY(first);
            first->showPage(0);
            program.window.Udskrivning1Click(); // returns at once
            QCOMPARE(TReportPreview::openPreview(), first);
            QCOMPARE(first->document().pageCount(), 1);
            QVERIFY(first->isVisible());
            checked = true;
            first->close();
        });
        program.window.Udskrivning1Click();
        QVERIFY(checked);
        QVERIFY(!TReportPreview::openPreview());
    }

    void aReportPrintsToPdf()
    {
        makeCollection(768, 1024, -1);
        Program program;
        const Report::Document document = printFrom(program.window);
        QPdfWriter pdf(u"list.pdf"_s);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF());
        pdf.setResolution(300);
        {
            QPainter painter(&pdf);
            document.paint(0, painter);
        }
        QProcess text;
        text.start(u"pdftotext"_s, {u"-layout"_s, u"list.pdf"_s, u"-"_s});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString &expected : {u"Albumino"_s, u"Alle lande"_s, u"Katalognr."_s, u"AFA 3"_s,
                                        u"Side 1"_s, u"kr 5,00"_s})
            QVERIFY2(printed.contains(expected), qPrintable(expected + u"\n"_s + printed));
    }

    void longTextsKeepToTheirBoxes()
    {
        // Texts longer than their columns wrap; a second line has no room in the row and
        // must not be printed over the first.
        makeCollection(768, 1024, -1);
        {
            TDM dm;
            dm.OpenTables();
            dm.FrimTable->Append();
            dm.FrimTableKatalog->setAsString(u"Facit Special"_s);
            dm.FrimTableSerie->setAsString(u"Fyrtårn (nytryk)"_s);
            dm.FrimTable->FieldByName(u"Paalydende"_s)->setAsString(u"1 krona"_s);
            dm.FrimTable->FieldByName(u"Motiv"_s)->setAsString(u"Skibe og fyrtårne"_s);
            dm.FrimTable->FieldByName(u"Anskaffet"_s)->setAsString(u"Auktion 12"_s);
            dm.FrimTable->FieldByName(u"Takning"_s)->setAsString(u"Kamtakket 12 3/4"_s);
            dm.FrimTable->Post();
        }
        Program program;
        const Report::Document document = printFrom(program.window);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(u"long.pdf"_s);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        document.print(printer);
        const std::vector<PrintedWord> words = wordsOf(u"long.pdf"_s);
        QVERIFY(!words.empty());
        const auto printed = [&](const QString &text) {
            return std::any_of(words.begin(), words.end(),
                               [&](const PrintedWord &word) { return word.text == text; });
        };
        QVERIFY(printed(u"Fyrtårn"_s));
        QVERIFY(printed(u"Side"_s));
        for (size_t i = 0; i < words.size(); ++i)
            for (size_t j = i + 1; j < words.size(); ++j) {
                const QRectF overlap = words[i].box.intersected(words[j].box);
                QVERIFY2(overlap.width() < 0.5 || overlap.height() < 0.5,
                         qPrintable(words[i].text + u" overlaps "_s + words[j].text));
            }
    }
};

QTEST_MAIN(TestReport)

#include "tst_report.moc"
