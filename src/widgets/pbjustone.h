#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

// Keeps the program to one running copy per user. All of its work happens in the
// constructor: the first copy listens on a local socket named after the application title
// and the user; a later start reaches it there, asks it to the front and is to end before it
// opens a table or shows a window. A lock file makes copies started at the same instant take
// turns, and a socket left behind by a copy that crashed is taken over.
class TPBJustOne : public QObject
{
    Q_OBJECT
public:
    explicit TPBJustOne(QObject *owner = nullptr);
    ~TPBJustOne() override;

    // Another copy runs and has been asked to the front; this one has a quit request queued.
    bool AnotherCopyRuns() const { return m_anotherCopyRuns; }
    // Where the copies of a program of this title meet; empty for an empty title, which lets
    // every copy run.
    static QString ServerName(const QString &title);

Q_SIGNALS:
    // A later start has brought this copy to the front.
    void BroughtToFront();

private:
    void check();
    void acceptRequests();
    void readRequest(QLocalSocket *socket);
    QWidget *mainWindow() const;

    QString m_title;
    QLocalServer *m_server = nullptr;
    bool m_anotherCopyRuns = false;
};
