#pragma once

#include "messages.h"

#include <QList>
#include <QStringList>
#include <QVariant>

// Stands in for the user at every message box and file dialog: records each request and
// answers it from a queue (an empty answer when the queue has run out).
class MessageRecorder
{
public:
    MessageRecorder()
    {
        Messages::setHook([this](const Messages::Request &request) {
            requests.append(request);
            return answers.isEmpty() ? QVariant() : answers.takeFirst();
        });
    }
    ~MessageRecorder() { Messages::setHook({}); }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    // A test that provokes an error report says so; any other error report fails the test
    // when it ends.
    void expectErrors() { m_errorsExpected = true; }
    QString unexpectedErrors() const
    {
        QStringList errors;
        if (!m_errorsExpected)
            for (const Messages::Request &request : requests)
                if (request.kind == Messages::Request::Kind::Error)
                    errors.append(request.text);
        return errors.isEmpty() ? QString()
                                : QStringLiteral("unexpected error report: ") +
                                      errors.join(QStringLiteral("; "));
    }

    QList<Messages::Request> requests;
    QVariantList answers;

private:
    bool m_errorsExpected = false;
};

// The offscreen platform reports what it cannot do for a window (pass on size hints, raise
// it); the notices say nothing about the program.
inline void quietOffscreen(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.contains(QLatin1String("does not support raise")))
        return;
    qt_message_output(type, context, message);
}
