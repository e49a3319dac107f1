#pragma once

#include <QString>

// The five languages of the main window. The numbers are the language source's active
// language index, which the configuration stores as `Sprog`.
enum class Language
{
    Dansk = -1, // the designed texts
    English = 0,
    Norsk = 1,
    Svensk = 2,
    Deutsch = 3,
};

// In the order of the language menu, which is not the order of the indexes.
inline constexpr Language kLanguageMenuOrder[] = {
    Language::Dansk, Language::English, Language::Svensk, Language::Norsk, Language::Deutsch};

constexpr int languageIndex(Language language)
{
    return int(language);
}

// Every text the main window chooses by language: one row per language.
struct LanguageTexts
{
    QString name; // the language's own name: the menu item and the hidden label Sproget
    QString helpPath;
    QString caption; // the window's title
    QString firstRun;
    QString noCountry;
    // The status text on entering the stamp page, before it is replaced.
    QString (*stampPageStatus)(int count);
    // The "Dataplacering" message: the introduction before the folder, then the sentences.
    QString dataIntroduction;
    QString dataImportance;
    QString dataHeading;
    QString dataClosing;
    // The backup command: the folder dialog's title, and what was saved where (%1 the
    // folder, %2 stamps, %3 countries, %4 pictures).
    QString backupFolderTitle;
    QString backupDone;
};

// The texts of the language whose index this is; Danish for an index that names none.
const LanguageTexts &languageTexts(int index);
