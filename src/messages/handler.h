#pragma once

#include "messages.h"

#include <QObject>

#include <exception>
#include <utility>

// The one error path of the program: every event handler runs through runHandler, so an
// error ends the handler, is shown in the default error report, and never crosses the
// event loop.
template <typename Handler> bool runHandler(Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception &error) {
        // The table engine's errors, like every other, carry their message as UTF-8.
        Messages::showError(QString::fromUtf8(error.what()));
    } catch (...) {
        Messages::showError(QStringLiteral("Unknown error"));
    }
    return false;
}

// Connects a signal to a handler through runHandler.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectHandler(Sender *sender, Signal signal, QObject *context,
                                       Handler handler)
{
    return QObject::connect(sender, signal, context,
                            [handler = std::move(handler)](auto &&...) { runHandler(handler); });
}
