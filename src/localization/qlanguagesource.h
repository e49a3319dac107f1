#pragma once

#include <QObject>

#include <stdexcept>

// Errors of the localization components, with fixed English messages.
class EQLocalError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Holds the active language: -1 for the original Danish texts, 0 English, 1 Norsk,
// 2 Svensk, 3 Deutsch.
class TQLanguageSource : public QObject
{
    Q_OBJECT
public:
    explicit TQLanguageSource(QObject *parent = nullptr) : QObject(parent) {}

    int ActiveLanguage() const { return m_activeLanguage; }
    // Refuses an index outside -1..3 with "Index out of bounds (n)"; the language stays.
    void SetActiveLanguage(int index);

private:
    int m_activeLanguage = -1;
};
