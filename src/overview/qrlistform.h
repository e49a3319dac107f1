#pragma once

#include "report.h"

class TTable;
class QWidget;

// The printed list of the overview's stamps: title, column headings, one line per stamp and
// a footer with the totals and the page number, on A4 landscape. Its texts are the same in
// every language.
class TQRListForm
{
public:
    TQRListForm();

    Report::Layout &layout() { return m_layout; }
    // The caption of a label that the print command fills in (QRLabel17, 20, 22).
    void setCaption(const QString &label, const QString &text);

    // Lays the report out over the table, from its first record to its last.
    Report::Document generate(TTable &stamps) const;
    // Shows the report in the preview; returns once the preview is closed.
    void Preview(TTable &stamps, QWidget *parent) const;

private:
    Report::Layout m_layout;
};
