#include "messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace Messages {

namespace {

Hook &hook()
{
    static Hook installed;
    return installed;
}

QWidget *activeParent()
{
    return QApplication::activeWindow();
}

// The program's messages break their lines with LF followed by CR; Qt would break at each of
// the two, so the pair is shown as one break.
QString shownText(QString text)
{
    return text.replace(u"\n\r"_s, u"\n"_s);
}

void showBox(QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, shownText(text), QMessageBox::Ok, activeParent());
    box.button(QMessageBox::Ok)->setText(u"OK"_s);
    box.exec();
}

} // namespace

void setHook(Hook installed)
{
    hook() = std::move(installed);
}

void showPlain(const QString &text)
{
    const Request request{
        Request::Kind::Plain, QApplication::applicationDisplayName(), text, {u"OK"_s}, {}};
    if (hook()) {
        hook()(request);
        return;
    }
    showBox(QMessageBox::NoIcon, request.caption, text);
}

void showInformation(const QString &text)
{
    const Request request{Request::Kind::Information, u"Information"_s, text, {u"OK"_s}, {}};
    if (hook()) {
        hook()(request);
        return;
    }
    showBox(QMessageBox::Information, request.caption, text);
}

QString errorReportText(const QString &text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

void showError(const QString &text)
{
    const Request request{Request::Kind::Error,
                          QApplication::applicationDisplayName(),
                          errorReportText(text),
                          {u"OK"_s},
                          {}};
    if (hook()) {
        hook()(request);
        return;
    }
    showBox(QMessageBox::Critical, request.caption, request.text);
}

bool confirmDelete()
{
    const Request request{Request::Kind::Confirmation,
                          u"Bekræft"_s,
                          u"Slet denne post?"_s,
                          {u"OK"_s, u"Annuller"_s},
                          {}};
    if (hook())
        return hook()(request).toBool();
    QMessageBox box(QMessageBox::Question, request.caption, request.text,
                    QMessageBox::Ok | QMessageBox::Cancel, activeParent());
    box.button(QMessageBox::Ok)->setText(u"OK"_s);
    box.button(QMessageBox::Cancel)->setText(u"Annuller"_s);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QString chooseOpenFile(QWidget *parent, const QString &title, const QString &filter)
{
    const Request request{Request::Kind::OpenFile, title, title, {}, filter};
    if (hook())
        return hook()(request).toString();
    // "Billeder (*.jpg)|*.jpg" shows as "Billeder (*.jpg)".
    QStringList shown;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i < parts.size(); i += 2)
        shown.append(parts.at(i));
    return QFileDialog::getOpenFileName(parent, title, QString(), shown.join(u";;"_s));
}

QString chooseFolder(QWidget *parent, const QString &title, const QString &start)
{
    const Request request{Request::Kind::ChooseFolder, title, title, {}, start};
    if (hook())
        return hook()(request).toString();
    return QFileDialog::getExistingDirectory(parent, title, start);
}

void openDocument(const QString &pathOrAddress)
{
    const Request request{Request::Kind::OpenDocument, {}, pathOrAddress, {}, {}};
    if (hook()) {
        hook()(request);
        return;
    }
    const QUrl url =
        pathOrAddress.contains(u"://"_s) ? QUrl(pathOrAddress) : QUrl::fromLocalFile(pathOrAddress);
    QDesktopServices::openUrl(url);
}

} // namespace Messages
