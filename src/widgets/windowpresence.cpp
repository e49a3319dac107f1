#include "windowpresence.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QWidget>

namespace {

// The main window stays active only while no modal window of the program blocks it.
class ModalActivationRelay : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (event->type() == QEvent::WindowActivate && modal && blocks(*modal, watched)) {
            // Not inside the activation that is still being handled.
            QMetaObject::invokeMethod(
                modal,
                [modal] {
                    modal->raise();
                    modal->activateWindow();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool blocks(const QWidget &modal, const QObject *window)
    {
        if (modal.window() == window)
            return false;
        if (modal.windowModality() == Qt::ApplicationModal)
            return true;
        const QWidget *parent = modal.parentWidget();
        return parent && parent->window() == window;
    }
};

void restore(QWidget &window)
{
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
}

} // namespace

namespace WindowPresence {

QFont SystemFont()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

void ApplySystemFont(QWidget &window)
{
    window.setFont(SystemFont());
}

void HideApplicationButton(QWidget &mainWindow)
{
    const Qt::WindowFlags flags = mainWindow.windowFlags();
    if ((flags & Qt::WindowType_Mask) != Qt::Window)
        mainWindow.setWindowFlags((flags & ~Qt::WindowType_Mask) | Qt::Window);
    const QString relayName = QStringLiteral("ModalActivationRelay");
    if (mainWindow.findChild<QObject *>(relayName, Qt::FindDirectChildrenOnly))
        return;
    auto *relay = new ModalActivationRelay(&mainWindow);
    relay->setObjectName(relayName);
    mainWindow.installEventFilter(relay);
}

void BringToFront(QWidget &mainWindow)
{
    QWidget *popup = QApplication::activeModalWidget();
    if (!popup)
        popup = &mainWindow;
    restore(mainWindow);
    mainWindow.raise();
    restore(*popup);
    popup->raise();
    popup->activateWindow();
}

} // namespace WindowPresence
