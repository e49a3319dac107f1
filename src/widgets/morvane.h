#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

#include <memory>

namespace Ui {
class TMorvane;
}
class QAction;
class QEventLoop;
class QMenu;
class TFormShaper;

// The splash window: the maker's banner, cut to the banner's own outline, in the middle of
// the screen while the program starts. It destroys itself once it loses the activation, and
// at the latest when the main window it is told of is shown; nothing refers to it after that.
class TMorvane : public QWidget
{
    Q_OBJECT
public:
    explicit TMorvane(QWidget *parent = nullptr);
    ~TMorvane() override;

    Ui::TMorvane &ui() const { return *m_ui; }
    TFormShaper *FormShaper1() const { return m_formShaper; }
    QMenu *PopupMenu1() const { return m_popupMenu; }
    QAction *Luk1() const { return m_luk; }

    // Shows the window and returns when it has been painted on the screen, so that it stands
    // there while start-up goes on without an event loop.
    void ShowAndPaint();
    // The splash goes when this window is shown, should it still be there.
    void DestroyWhenShown(QWidget *mainWindow);

    void FormCreate();
    void FormDeactivate();
    void Luk1Click();

    // The banner and its outline as the window stores them.
    static QImage Banner();
    static QByteArray StoredShape();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::TMorvane> m_ui;
    TFormShaper *m_formShaper;
    QMenu *m_popupMenu;
    QAction *m_luk;
    QEventLoop *m_waitingForPaint = nullptr;
    bool m_painted = false;
};
