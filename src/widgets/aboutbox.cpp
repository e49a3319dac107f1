#include "aboutbox.h"

#include "ui_aboutwnd.h"

#include "handler.h"
#include "messages.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

TAboutBox::TAboutBox(QObject *owner) : QObject(owner) {}

QString TAboutBox::defaultUrl()
{
    // The maker has no public site yet: an address under a reserved example domain.
    return u"http://www.morvane.example/albumino/"_s;
}

void TAboutBox::Execute()
{
    TAboutWnd window(*this, qobject_cast<QWidget *>(parent()));
    window.exec();
}

TAboutWnd::TAboutWnd(const TAboutBox &box, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAboutWnd>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(windowTitle().replace(u"%s"_s, box.AppName));
    m_ui->lblAppName->setText(m_ui->lblAppName->text().replace(u"%s"_s, box.AppName));
    m_ui->lblUrl->setText(box.Url);
    m_ui->lblUrl->setToolTip(box.Url);
    for (QLabel *label : {m_ui->lblAppName, m_ui->lblUrl})
        label->adjustSize();

    // The picture column takes the picture's width, and its height where that is larger.
    QLabel *picture = m_ui->imgApp;
    int designWidth = picture->width();
    int designHeight = picture->height();
    if (!box.Picture.isNull()) {
        picture->setPixmap(box.Picture);
        picture->resize(box.Picture.width(), std::max(picture->height(), box.Picture.height()));
    } else {
        picture->resize(0, 0);
        designWidth = 0;
        designHeight = 0;
        m_ui->bvlOuter->hide();
    }
    const int wider = picture->width() - designWidth;
    const int taller = picture->height() - designHeight;
    resize(width() + wider, height() + taller);
    // Anchored right: move with the right edge; the separator stretches and, like the
    // buttons, keeps to the bottom.
    for (QWidget *right : std::initializer_list<QWidget *>{m_ui->lblAppName, m_ui->lblVersionInfo,
                                                           m_ui->lblVersion, m_ui->lblUrl})
        right->move(right->x() + wider, right->y());
    for (QWidget *button : std::initializer_list<QWidget *>{m_ui->btnOk, m_ui->btnSysInfo})
        button->move(button->x() + wider, button->y() + taller);
    m_ui->bvlSep->setGeometry(m_ui->bvlSep->x(), m_ui->bvlSep->y() + taller,
                              m_ui->bvlSep->width() + wider, m_ui->bvlSep->height());
    m_ui->bvlOuter->resize(picture->width() + 2, m_ui->bvlOuter->height());
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // OK is the default button and, as Escape does, closes with the cancel result.
    connect(m_ui->btnOk, &QPushButton::clicked, this, &QDialog::reject);
    connectHandler(m_ui->btnSysInfo, &QPushButton::clicked, this, [this] { btnSysInfoClick(); });
    m_ui->lblUrl->installEventFilter(this);
    FormCreate();
}

TAboutWnd::~TAboutWnd() = default;

QString TAboutWnd::GetVersionString()
{
    const QStringList parts = QCoreApplication::applicationVersion().split(u'.');
    if (parts.size() != 4)
        return {};
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 0xffff)
            return {};
    }
    return u"%1.%2 (%3: %4.%5)"_s.arg(numbers[0])
        .arg(numbers[1])
        .arg(u"Build"_s)
        .arg(numbers[2])
        .arg(numbers[3]);
}

void TAboutWnd::FormCreate()
{
    const QString version = GetVersionString();
    m_ui->lblVersion->setText(version);
    m_ui->lblVersion->adjustSize();
    m_ui->lblVersionInfo->setVisible(!version.isEmpty());
    // "Version:" takes the width of its text; the version keeps a space's distance from it.
    QLabel *caption = m_ui->lblVersionInfo;
    caption->adjustSize();
    const int after =
        caption->x() + caption->width() + caption->fontMetrics().horizontalAdvance(u' ');
    if (m_ui->lblVersion->x() < after)
        m_ui->lblVersion->move(after, m_ui->lblVersion->y());
}

const QStringList &TAboutWnd::systemInformationPrograms()
{
    static const QStringList programs{u"hardinfo"_s, u"kinfocenter"_s, u"gnome-system-monitor"_s,
                                      u"xfce4-taskmanager"_s, u"lxtask"_s};
    return programs;
}

void TAboutWnd::btnSysInfoClick()
{
    for (const QString &program : systemInformationPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return;
    }
    Messages::showError(u"Could not execute system information!"_s);
}

void TAboutWnd::lblUrlClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Messages::openDocument(m_ui->lblUrl->toolTip());
    QApplication::restoreOverrideCursor();
}

bool TAboutWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lblUrl && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        runHandler([this] { lblUrlClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
