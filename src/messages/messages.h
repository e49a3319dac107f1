#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QWidget;

// Every message box and the file-open dialog go through here, so that tests can answer and
// record them without a modal loop.
namespace Messages {

struct Request
{
    enum class Kind
    {
        Plain,
        Information,
        Error,
        Confirmation,
        OpenFile,
        ChooseFolder,
        OpenDocument
    };
    Kind kind;
    QString caption;
    QString text; // the message, or the open dialog's title
    QStringList buttons;
    QString filter; // open dialog only
};

// A hook answers instead of the user: true/false for a confirmation, a file path (empty:
// cancelled) for the open dialog; the answer is ignored for the other kinds.
using Hook = std::function<QVariant(const Request &)>;
void setHook(Hook hook);

// No icon, "OK", the application title as caption.
void showPlain(const QString &text);
// Caption "Information", "OK".
void showInformation(const QString &text);
// The application's default error report: "." is added unless the text ends in "." or a
// character of lower code; error icon, "OK", the application title.
void showError(const QString &text);
QString errorReportText(const QString &text);
// "Slet denne post?", caption "Bekræft", "OK" and "Annuller". True for OK.
bool confirmDelete();
// Filter in the "Description (*.ext)|*.ext" form; returns the chosen path or empty.
QString chooseOpenFile(QWidget *parent, const QString &title, const QString &filter);
// A folder the user chooses, starting in `start`; empty when cancelled (the request's text is
// the dialog's title, its filter the starting folder).
QString chooseFolder(QWidget *parent, const QString &title, const QString &start);
// Hands a file path or web address to the desktop, which opens it with its own program; the
// result is not reported (the request's text is the path or address).
void openDocument(const QString &pathOrAddress);

} // namespace Messages
