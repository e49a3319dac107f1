#include "qlanguagesource.h"

#include "qformlocalizer.h"
#include "qlanguagefile.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct CharSet
{
    const char *name;
    int code;
};

const CharSet kCharSets[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

const QString kGeneralSettings = u"General Settings"_s;

} // namespace

// --- settings ---------------------------------------------------------------------------

TQLanguageSettings::TQLanguageSettings(TQCustomLanguageSource *source)
    : QObject(source), m_source(source)
{
    if (!source)
        throw EQLocalError("Language source must be specified!");
}

int TQLanguageSettings::charSetCode(const QString &name)
{
    const QString upper = name.toUpper();
    for (const CharSet &charSet : kCharSets)
        if (upper == QLatin1String(charSet.name))
            return charSet.code;
    return -1;
}

QString TQLanguageSettings::charSetName(int code)
{
    for (const CharSet &charSet : kCharSets)
        if (charSet.code == code)
            return QString::fromLatin1(charSet.name);
    return u"DEFAULT_CHARSET"_s;
}

QString TQLanguageSettings::readGeneral(const QString &ident, const QString &defaultValue) const
{
    const QString section = m_source->GetCurrentSection();
    m_source->SetCurrentSection(kGeneralSettings);
    QString text;
    try {
        text = m_source->ReadValue(ident, defaultValue);
    } catch (...) {
        m_source->SetCurrentSection(section);
        throw;
    }
    m_source->SetCurrentSection(section);
    return text;
}

void TQLanguageSettings::writeGeneral(const QString &ident, const QString &value)
{
    const QString section = m_source->GetCurrentSection();
    m_source->SetCurrentSection(kGeneralSettings);
    try {
        m_source->WriteValue(ident, value);
    } catch (...) {
        m_source->SetCurrentSection(section);
        throw;
    }
    m_source->SetCurrentSection(section);
}

int TQLanguageSettings::GetBiDiMode() const
{
    if (m_source->ActiveLanguage() == -1)
        return m_biDiMode;
    bool number = false;
    const int mode = readGeneral(u"BiDiMode"_s, u"0"_s).toInt(&number);
    return number && mode >= bdLeftToRight && mode <= bdRightToLeftReadingOnly ? mode
                                                                               : bdLeftToRight;
}

int TQLanguageSettings::GetFontCharSet() const
{
    if (m_source->ActiveLanguage() == -1)
        return m_fontCharSet;
    const int code = charSetCode(readGeneral(u"FontCharSet"_s, u"DEFAULT_CHARSET"_s));
    return code < 0 ? DEFAULT_CHARSET : code;
}

void TQLanguageSettings::SetBiDiMode(int mode)
{
    if (m_source->Loading())
        return;
    if (m_source->ActiveLanguage() == -1 || m_source->ReadOnly())
        m_biDiMode = mode;
    else
        writeGeneral(u"BiDiMode"_s, QString::number(mode));
}

void TQLanguageSettings::SetFontCharSet(int charSet)
{
    if (m_source->Loading())
        return;
    if (m_source->ActiveLanguage() == -1 || m_source->ReadOnly())
        m_fontCharSet = charSet;
    else
        writeGeneral(u"FontCharSet"_s, charSetName(charSet));
}

// --- the source ---------------------------------------------------------------------------

TQCustomLanguageSource::TQCustomLanguageSource(QObject *parent)
    : QObject(parent), m_settings(new TQLanguageSettings(this))
{}

TQCustomLanguageSource::~TQCustomLanguageSource()
{
    // The attached localizers hear of it through the destroyed signal.
    if (m_activeLanguage >= 0)
        CloseLanguage();
}

void TQCustomLanguageSource::checkIndex(int index) const
{
    if (index < -1 || index > m_languages.size() - 1)
        throw EQLocalError(u"Index out of bounds (%1)"_s.arg(index));
}

void TQCustomLanguageSource::checkWritable() const
{
    if (ReadOnly())
        throw EQLocalError("Cannot write to source file (ReadOnly = True)!");
}

void TQCustomLanguageSource::SetActiveLanguage(int index)
{
    if (m_loading) {
        m_pendingIndex = index;
        m_notificationsArmed = false;
        return;
    }
    checkIndex(index);
    if (index == m_activeLanguage) {
        m_notificationsArmed = true;
        return;
    }
    if (m_activeLanguage >= 0)
        CloseLanguage();
    if (m_notificationsArmed) {
        bool allow = true;
        LanguageChanging(index, allow);
        if (!allow)
            return;
    }
    m_activeLanguage = index;
    if (index >= 0)
        OpenLanguage();
    LocalizeAll();
    if (m_notificationsArmed)
        LanguageChanged();
    m_notificationsArmed = true;
}

void TQCustomLanguageSource::Loaded()
{
    m_loading = false;
    if (m_pendingIndex >= -1 && m_pendingIndex < m_languages.size())
        SetActiveLanguage(m_pendingIndex);
}

void TQCustomLanguageSource::setLanguages(const QStringList &languages)
{
    m_languages = languages;
    SetActiveLanguage(-1);
}

void TQCustomLanguageSource::RegisterLocalizer(TQCustomLocalizer *localizer)
{
    if (!localizer || m_localizers.contains(localizer))
        return;
    m_localizers.append(localizer);
    if (m_activeLanguage >= 0)
        localizer->Localize();
}

void TQCustomLanguageSource::UnregisterLocalizer(TQCustomLocalizer *localizer)
{
    m_localizers.removeAll(localizer);
}

void TQCustomLanguageSource::LocalizeAll()
{
    // A localizer may unregister while it localizes: walk a copy.
    const QList<TQCustomLocalizer *> localizers = m_localizers;
    for (TQCustomLocalizer *localizer : localizers)
        localizer->Localize();
}

QString TQCustomLanguageSource::GetLanguageFileName(int index) const
{
    checkIndex(index);
    if (index == -1)
        return {};
    const QString name = m_languages.at(index).section(u'=', 0, 0);
    for (const QString &line : m_languages) {
        if (line.section(u'=', 0, 0) != name)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        return equals < 0 ? QString() : line.mid(equals + 1);
    }
    return {};
}

void TQCustomLanguageSource::LanguageChanging(int newIndex, bool &allow)
{
    const QList<TQCustomLocalizer *> localizers = m_localizers;
    for (TQCustomLocalizer *localizer : localizers) {
        bool ignored = true;
        localizer->LanguageChanging(newIndex, ignored);
    }
    if (OnLanguageChanging)
        OnLanguageChanging(this, newIndex, allow);
}

void TQCustomLanguageSource::LanguageChanged()
{
    const QList<TQCustomLocalizer *> localizers = m_localizers;
    for (TQCustomLocalizer *localizer : localizers)
        localizer->LanguageChanged();
    if (OnLanguageChanged)
        OnLanguageChanged(this);
}

QString TQCustomLanguageSource::ReadValue(const QString &, const QString &defaultValue)
{
    return defaultValue;
}

void TQCustomLanguageSource::WriteValue(const QString &, const QString &)
{
    checkWritable();
}

void TQCustomLanguageSource::ReadSection(QStringList &list)
{
    list.clear();
}

void TQCustomLanguageSource::WriteSection(const QStringList &)
{
    checkWritable();
}

void TQCustomLanguageSource::ClearSection()
{
    checkWritable();
}

void TQCustomLanguageSource::ClearAll()
{
    checkWritable();
}

// --- the file source -------------------------------------------------------------------------

TQLanguageSource::TQLanguageSource(QObject *parent) : TQFileLanguageSource(parent) {}

TQLanguageSource::~TQLanguageSource() = default;

void TQLanguageSource::OpenLanguage()
{
    CloseLanguage();
    if (ActiveLanguage() >= 0)
        m_file = std::make_unique<TQLanguageFile>(GetLanguageFileName(ActiveLanguage()));
}

void TQLanguageSource::CloseLanguage()
{
    m_file.reset();
}

QString TQLanguageSource::ReadValue(const QString &ident, const QString &defaultValue)
{
    if (!m_file || ident.isEmpty())
        return defaultValue;
    return m_file->ReadValue(CurrentSection(), ident, defaultValue);
}

void TQLanguageSource::WriteValue(const QString &ident, const QString &value)
{
    checkWritable();
    if (m_file && !ident.isEmpty())
        m_file->WriteValue(CurrentSection(), ident, value);
}

void TQLanguageSource::ReadSection(QStringList &list)
{
    list.clear();
    if (m_file)
        list = m_file->ReadSection(CurrentSection());
    if (SortSections)
        list.sort(Qt::CaseInsensitive);
}

void TQLanguageSource::WriteSection(const QStringList &list)
{
    checkWritable();
    if (!m_file)
        return;
    QStringList entries = list;
    if (SortSections)
        entries.sort(Qt::CaseInsensitive);
    for (const QString &entry : std::as_const(entries)) {
        const qsizetype equals = entry.indexOf(u'=');
        WriteValue(equals < 0 ? entry : entry.left(equals),
                   equals < 0 ? QString() : entry.mid(equals + 1));
    }
}

void TQLanguageSource::ClearSection()
{
    checkWritable();
    if (m_file && !CurrentSection().isEmpty())
        m_file->ClearSection(CurrentSection());
}

void TQLanguageSource::ClearAll()
{
    checkWritable();
    if (m_file)
        m_file->ClearAll();
}
