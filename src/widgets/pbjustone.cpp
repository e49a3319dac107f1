#include "pbjustone.h"

#include "handler.h"
#include "windowpresence.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kWaitMs = 2000;

QString userName()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return QDir::home().dirName();
}

// A name that is safe as a file or pipe name; letter case is kept, so titles that differ
// only in case stay apart.
QString safeName(const QString &text)
{
    QString name = text;
    for (QChar &c : name)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'_' && c != u'.')
            c = u'_';
    return name;
}

QString meetingName(const QString &title)
{
    return safeName(title + u'-' + userName());
}

// The user's private runtime folder keeps other users from taking the name first.
QString meetingFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

TPBJustOne::TPBJustOne(QObject *owner)
    : QObject(owner), m_title(QGuiApplication::applicationDisplayName())
{
    check();
}

TPBJustOne::~TPBJustOne() = default;

QString TPBJustOne::ServerName(const QString &title)
{
    if (title.isEmpty())
        return {};
    const QString name = meetingName(title);
#ifdef Q_OS_WIN
    // Pipe names live in the session's own namespace.
    return name;
#else
    return QDir(meetingFolder()).filePath(name);
#endif
}

void TPBJustOne::check()
{
    const QString name = ServerName(m_title);
    if (name.isEmpty())
        return;
    // Held from looking for a running copy until listening, so that of two copies started
    // at once the later one finds the earlier. A lock left by a crashed copy is stale at
    // once; one that cannot be taken leaves the check unordered.
    QLockFile lock(QDir(meetingFolder()).filePath(meetingName(m_title) + u".lock"_s));
    lock.tryLock(kWaitMs);

    QLocalSocket other;
    other.connectToServer(name);
    if (other.waitForConnected(kWaitMs)) {
        other.write(m_title.toUtf8() + '\n');
        other.waitForBytesWritten(kWaitMs);
        other.disconnectFromServer();
        m_anotherCopyRuns = true;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
        return;
    }
    // Nobody answers: whatever socket is left there belongs to a copy that has gone.
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        // This copy runs unguarded rather than not at all.
        delete m_server;
        m_server = nullptr;
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &TPBJustOne::acceptRequests);
}

void TPBJustOne::acceptRequests()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void TPBJustOne::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine())
        return;
    // Only a copy of the very same title is answered.
    const bool sameTitle = socket->readLine().chopped(1) == m_title.toUtf8();
    socket->disconnectFromServer();
    if (!sameTitle)
        return;
    runHandler([this] {
        if (QWidget *window = mainWindow())
            WindowPresence::BringToFront(*window);
        Q_EMIT BroughtToFront();
    });
}

QWidget *TPBJustOne::mainWindow() const
{
    if (auto *owner = qobject_cast<QWidget *>(parent()))
        return owner->window();
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowType() == Qt::Window)
            return window;
    return nullptr;
}
