#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class TQCustomLocalizer;
class TQCustomLanguageSource;
class TQLanguageFile;

// Errors of the localization components, with fixed English messages.
class EQLocalError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    explicit EQLocalError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// (sender, new language index, allow): an answer of false refuses the change.
using TQLangChangingEvent = std::function<void(QObject *, int, bool &)>;
using TQNotifyEvent = std::function<void(QObject *)>;

// Reading direction of a language, as the files number it.
enum TBiDiMode
{
    bdLeftToRight = 0,
    bdRightToLeft = 1,
    bdRightToLeftNoAlign = 2,
    bdRightToLeftReadingOnly = 3,
};

// The character-set codes a language file may name.
inline constexpr int DEFAULT_CHARSET = 1;

// The active language's font character set and reading direction: from the language file's
// "General Settings" while a language is active, else the values stored here.
class TQLanguageSettings : public QObject
{
    Q_OBJECT
public:
    explicit TQLanguageSettings(TQCustomLanguageSource *source);

    int BiDiMode() const { return GetBiDiMode(); }
    int FontCharSet() const { return GetFontCharSet(); }
    void setBiDiMode(int mode) { SetBiDiMode(mode); }
    void setFontCharSet(int charSet) { SetFontCharSet(charSet); }

    // "RUSSIAN_CHARSET" and the like; -1 / "DEFAULT_CHARSET" when unknown.
    static int charSetCode(const QString &name);
    static QString charSetName(int code);

protected:
    virtual int GetBiDiMode() const;
    virtual int GetFontCharSet() const;
    virtual void SetBiDiMode(int mode);
    virtual void SetFontCharSet(int charSet);

private:
    QString readGeneral(const QString &ident, const QString &defaultValue) const;
    void writeGeneral(const QString &ident, const QString &value);

    TQCustomLanguageSource *const m_source;
    int m_biDiMode = bdLeftToRight;
    int m_fontCharSet = DEFAULT_CHARSET;
};

// Knows the languages, holds the active one and tells the registered localizers when it
// changes. -1 is always the original texts; 0.. are the lines of Languages ("Name=file").
// On its own it has no storage: it is read-only and its reads give their default.
class TQCustomLanguageSource : public QObject
{
    Q_OBJECT
public:
    explicit TQCustomLanguageSource(QObject *parent = nullptr);
    ~TQCustomLanguageSource() override;

    int ActiveLanguage() const { return m_activeLanguage; }
    void SetActiveLanguage(int index);
    int PendingIndex() const { return m_pendingIndex; }
    const QList<TQCustomLocalizer *> &Localizers() const { return m_localizers; }
    const QString &OriginalName() const { return m_originalName; }
    void setOriginalName(const QString &name) { m_originalName = name; }
    const QStringList &Languages() const { return m_languages; }
    // Replaces the list and returns to the original texts.
    void setLanguages(const QStringList &languages);
    bool NotificationsArmed() const { return m_notificationsArmed; }
    const QString &CurrentSection() const { return m_currentSection; }
    TQLanguageSettings *ActiveSettings() const { return m_settings; }

    TQLangChangingEvent OnLanguageChanging;
    TQNotifyEvent OnLanguageChanged;

    void RegisterLocalizer(TQCustomLocalizer *localizer);
    void UnregisterLocalizer(TQCustomLocalizer *localizer);
    void LocalizeAll();
    // The file of language `index` ("" for -1); the same range check as SetActiveLanguage.
    QString GetLanguageFileName(int index) const;

    // The window that owns the source is being built: values given to ActiveLanguage wait
    // in PendingIndex until Loaded, which then sets them once and arms the notifications.
    void BeginLoading() { m_loading = true; }
    void Loaded();
    bool Loading() const { return m_loading; }

    virtual void LanguageChanging(int newIndex, bool &allow);
    virtual void LanguageChanged();
    virtual void OpenLanguage() {}
    virtual void CloseLanguage() {}
    virtual QString GetCurrentSection() const { return m_currentSection; }
    virtual bool ReadOnly() const { return true; }
    virtual void SetCurrentSection(const QString &name) { m_currentSection = name; }
    virtual QString ReadValue(const QString &ident, const QString &defaultValue);
    virtual void WriteValue(const QString &ident, const QString &value);
    virtual void ReadSection(QStringList &list);
    virtual void WriteSection(const QStringList &list);
    virtual void ClearSection();
    virtual void ClearAll();

protected:
    // Throws "Cannot write to source file (ReadOnly = True)!" for a read-only source.
    void checkWritable() const;
    void checkIndex(int index) const;

private:
    int m_activeLanguage = -1;
    int m_pendingIndex = -1;
    QList<TQCustomLocalizer *> m_localizers;
    QString m_originalName = QStringLiteral("Original");
    QStringList m_languages;
    bool m_notificationsArmed = false;
    bool m_loading = false;
    QString m_currentSection;
    TQLanguageSettings *m_settings;
};

class TQFileLanguageSource : public TQCustomLanguageSource
{
    Q_OBJECT
public:
    using TQCustomLanguageSource::TQCustomLanguageSource;

    // The extension language files carry; never added to a name, which carries its own.
    QString DefaultFileExt = QStringLiteral("lng");
};

// The source the program uses: the active language's file, read whole into memory when the
// language becomes active, relative names against the working folder.
class TQLanguageSource : public TQFileLanguageSource
{
    Q_OBJECT
public:
    explicit TQLanguageSource(QObject *parent = nullptr);
    ~TQLanguageSource() override;

    const TQLanguageFile *LanguageFile() const { return m_file.get(); }
    bool SortSections = false;

    void OpenLanguage() override;
    void CloseLanguage() override;
    bool ReadOnly() const override { return false; }
    QString ReadValue(const QString &ident, const QString &defaultValue) override;
    void WriteValue(const QString &ident, const QString &value) override;
    void ReadSection(QStringList &list) override;
    void WriteSection(const QStringList &list) override;
    void ClearSection() override;
    void ClearAll() override;

private:
    std::unique_ptr<TQLanguageFile> m_file;
};
