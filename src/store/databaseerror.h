#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one exception family of the table engine. Every message names the table file and,
// where it applies, the field, so the default error report tells the user what is wrong.
class EDatabaseError : public std::exception
{
public:
    explicit EDatabaseError(const QString &message) : m_message(message), m_utf8(message.toUtf8())
    {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A filter text that the filter language cannot read, or that names an unknown field.
class EFilterError : public EDatabaseError
{
public:
    using EDatabaseError::EDatabaseError;
};

// A value that its field cannot take: no number, out of range, too long, read-only.
class EFieldValueError : public EDatabaseError
{
public:
    using EDatabaseError::EDatabaseError;
};
