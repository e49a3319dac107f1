#pragma once

#include "messages.h"

#include <QList>
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

    QList<Messages::Request> requests;
    QVariantList answers;
};

// The offscreen platform reports every window's size hints it cannot pass on; the notice says
// nothing about the program.
inline void quietOffscreen(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    qt_message_output(type, context, message);
}
