#include "reportpreview.h"

#include "handler.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QPointer<TReportPreview> g_openPreview;

// Screen pixels per millimetre at zoom 1: the paper at its real size on a 96 dpi screen.
constexpr double kPixelsPerMm = 96 / 25.4;

} // namespace

class TReportPreview::PageView : public QWidget
{
public:
    explicit PageView(TReportPreview &preview) : m_preview(preview) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_preview.m_document.pageCount() == 0) {
            painter.fillRect(rect(), Qt::gray);
            return;
        }
        m_preview.m_document.paint(m_preview.m_page, painter);
    }

private:
    TReportPreview &m_preview;
};

TReportPreview::TReportPreview(Report::Document document, QWidget *parent)
    : QDialog(parent), m_document(std::move(document))
{
    setWindowTitle(m_document.title());
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *tools = new QHBoxLayout;
    const auto button = [&](const QString &text, const QString &tip, auto action) {
        auto *tool = new QToolButton(this);
        tool->setText(text);
        tool->setToolTip(tip);
        connectHandler(tool, &QToolButton::clicked, this, action);
        tools->addWidget(tool);
        return tool;
    };
    button(u"|◀"_s, u"Første side"_s, [this] { showPage(0); });
    button(u"◀"_s, u"Forrige side"_s, [this] { showPage(m_page - 1); });
    m_pageBox = new QSpinBox(this);
    m_pageBox->setRange(1, std::max(1, m_document.pageCount()));
    tools->addWidget(m_pageBox);
    m_pageCount = new QLabel(u"af %1"_s.arg(m_document.pageCount()), this);
    tools->addWidget(m_pageCount);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { showPage(page - 1); });
    button(u"▶"_s, u"Næste side"_s, [this] { showPage(m_page + 1); });
    button(u"▶|"_s, u"Sidste side"_s, [this] { showPage(m_document.pageCount() - 1); });
    tools->addSpacing(16);
    button(u"−"_s, u"Formindsk"_s, [this] { setZoom(m_zoom / 1.25); });
    button(u"+"_s, u"Forstør"_s, [this] { setZoom(m_zoom * 1.25); });
    button(u"100 %"_s, u"Naturlig størrelse"_s, [this] { setZoom(1.0); });
    tools->addSpacing(16);
    button(u"Udskriv..."_s, u"Udskriv på en printer"_s, [this] { printWithDialog(); });
    tools->addStretch();

    m_view = new PageView(*this);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setWidget(m_view);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_scroll);
    resize(1180, 900);
    updatePageView();
}

TReportPreview::~TReportPreview() = default;

void TReportPreview::showPage(int page)
{
    if (m_document.pageCount() == 0)
        return;
    m_page = std::clamp(page, 0, m_document.pageCount() - 1);
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setValue(m_page + 1);
    m_view->update();
}

void TReportPreview::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 4.0);
    updatePageView();
}

void TReportPreview::updatePageView()
{
    const QSizeF paper = m_document.layout().page;
    m_view->resize(int(paper.width() * kPixelsPerMm * m_zoom),
                   int(paper.height() * kPixelsPerMm * m_zoom));
    m_view->update();
}

void TReportPreview::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(m_document.title());
    printer.setFromTo(1, std::max(1, m_document.pageCount()));
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, std::max(1, m_document.pageCount()));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (printer.printRange() == QPrinter::AllPages)
        printer.setFromTo(0, 0);
    m_document.print(printer);
}

TReportPreview *TReportPreview::openPreview()
{
    return g_openPreview.data();
}

void TReportPreview::preview(Report::Document document, QWidget *parent)
{
    if (g_openPreview) {
        g_openPreview->raise();
        g_openPreview->activateWindow();
        return;
    }
    TReportPreview window(std::move(document), parent);
    g_openPreview = &window;
    QEventLoop loop;
    connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
}
