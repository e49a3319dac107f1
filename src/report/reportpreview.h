#pragma once

#include "report.h"

#include <QDialog>

class QLabel;
class QScrollArea;
class QSpinBox;

// Shows the pages of a laid-out report one at a time, with page navigation, zoom and
// printing on a printer the user chooses. Only the page on screen is painted, so a report
// of thousands of pages opens at once.
class TReportPreview : public QDialog
{
    Q_OBJECT
public:
    explicit TReportPreview(Report::Document document, QWidget *parent = nullptr);
    ~TReportPreview() override;

    const Report::Document &document() const { return m_document; }
    int currentPage() const { return m_page; } // from 0
    void showPage(int page);
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    void printWithDialog();

    // Shows the document without blocking the other windows and returns once the preview is
    // closed. While one preview is open, a second call brings it to the front and returns.
    static void preview(Report::Document document, QWidget *parent);
    static TReportPreview *openPreview();

private:
    class PageView;
    void updatePageView();

    Report::Document m_document;
    int m_page = 0;
    double m_zoom = 1.0;
    PageView *m_view;
    QScrollArea *m_scroll;
    QSpinBox *m_pageBox;
    QLabel *m_pageCount;
};
