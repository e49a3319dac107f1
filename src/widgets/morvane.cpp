#include "morvane.h"

#include "ui_morvane.h"

#include "formshaper.h"
#include "handler.h"

#include <QAction>
#include <QBuffer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

// The resources live in a static library: registering them by hand keeps the linker from
// dropping them. Outside any namespace, as Q_INIT_RESOURCE needs.
static void initSplashResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(splash);
        return true;
    }();
    Q_UNUSED(registered);
}

TMorvane::TMorvane(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_ui(std::make_unique<Ui::TMorvane>())
{
    initSplashResources();
    m_ui->setupUi(this);
    setFixedSize(580, 80);
    // Closing the splash never ends the program; "Luk" hides it and it goes.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose);
    // The hint shows also while another window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    m_formShaper = new TFormShaper(this);
    m_formShaper->setObjectName(u"FormShaper1"_s);
    // As the stored layout gives them: inactive, then the shape.
    m_formShaper->SetActive(false);
    QByteArray shape = StoredShape();
    QBuffer stream(&shape);
    stream.open(QIODevice::ReadOnly);
    m_formShaper->ReadShape(stream);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    m_luk = m_popupMenu->addAction(u"Luk"_s);
    m_luk->setObjectName(u"Luk1"_s);
    connectHandler(m_luk, &QAction::triggered, this, [this] { Luk1Click(); });
    connect(m_ui->Image1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_popupMenu->popup(m_ui->Image1->mapToGlobal(at)); });

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

TMorvane::~TMorvane() = default;

void TMorvane::ShowAndPaint()
{
    show();
    if (m_painted)
        return;
    QPointer<TMorvane> self(this);
    QEventLoop wait;
    m_waitingForPaint = &wait;
    // A window system that never shows the splash must not hold up the start.
    QTimer::singleShot(1000, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (self)
        m_waitingForPaint = nullptr;
}

void TMorvane::DestroyWhenShown(QWidget *mainWindow)
{
    mainWindow->installEventFilter(this);
}

void TMorvane::FormCreate()
{
    // Shaped from the start, although the stored layout says inactive.
    m_formShaper->SetActive(true);
}

void TMorvane::FormDeactivate()
{
    // Later, not inside the deactivation's own call chain.
    deleteLater();
}

void TMorvane::Luk1Click()
{
    close();
}

QImage TMorvane::Banner()
{
    initSplashResources();
    return QImage(u":/splash/banner.bmp"_s);
}

QByteArray TMorvane::StoredShape()
{
    initSplashResources();
    QFile file(u":/splash/FormShape"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TMorvane::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowDeactivate) {
        runHandler([this] { FormDeactivate(); });
    } else if (event->type() == QEvent::Paint) {
        m_painted = true;
        if (m_waitingForPaint)
            m_waitingForPaint->quit();
    }
    return handled;
}

bool TMorvane::eventFilter(QObject *watched, QEvent *event)
{
    // Off the screen before the main window's first showing can open a message; destroyed
    // afterwards, as closing does.
    if (event->type() == QEvent::Show)
        close();
    return QWidget::eventFilter(watched, event);
}
