#include "qlanguagefile.h"

#include "qlanguagesource.h"
#include "windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isBlank(QChar character)
{
    return character.unicode() <= 32;
}

// Removes the characters of codes 0 to 32 from both ends.
QString trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// The key of a held line: the text before its first "=", or nothing for a line without one.
bool keyOf(const QString &line, QStringView &key)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return false;
    key = QStringView(line).left(equals);
    return true;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TQLanguageFile::TQLanguageFile(const QString &fileName) : m_fileName(fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQLocalError(
            u"Cannot open file \"%1\". %2"_s.arg(fileName, file.errorString()).toStdString());
    parse(file.readAll());
}

TQLanguageFile TQLanguageFile::fromBytes(QByteArrayView bytes)
{
    TQLanguageFile file;
    file.parse(bytes);
    return file;
}

void TQLanguageFile::parse(QByteArrayView bytes)
{
    // A NUL byte ends the text.
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = Windows1252::toUnicode(nul >= 0 ? bytes.first(nul) : bytes);
    Block *current = nullptr;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = trimmed(QStringView(text).mid(start, end - start));
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        start = end + 1;
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            m_blocks.push_back({trimmed(QStringView(line).mid(1, line.size() - 2)), {}});
            current = &m_blocks.back();
            continue;
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            current->lines.append(line);
        else
            current->lines.append(trimmed(QStringView(line).left(equals)) + u'=' +
                                  trimmed(QStringView(line).mid(equals + 1)));
    }
}

const TQLanguageFile::Block *TQLanguageFile::findBlock(const QString &name) const
{
    for (auto block = m_blocks.rbegin(); block != m_blocks.rend(); ++block)
        if (sameName(block->name, name))
            return &*block;
    return nullptr;
}

QString TQLanguageFile::EncodeValue(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    quoted = u'"' + quoted + u'"';
    QString encoded;
    bool previousPrintable = true;
    for (const QChar character : std::as_const(quoted)) {
        const bool printable = character.unicode() >= 32;
        if (printable) {
            if (!previousPrintable)
                encoded += u'"';
            encoded += character;
        } else {
            if (previousPrintable)
                encoded += u'"';
            encoded += u'#' + QString::number(character.unicode());
        }
        previousPrintable = printable;
    }
    return encoded;
}

QString TQLanguageFile::DecodeValue(const QString &raw)
{
    if (!raw.startsWith(u'"') || raw.size() == 1)
        return raw;
    QString text;
    qsizetype at = 0;
    const qsizetype size = raw.size();
    while (at < size && raw[at] == u'"') {
        // A quoted run; "" inside stands for one quote.
        ++at;
        while (at < size) {
            if (raw[at] == u'"') {
                if (at + 1 < size && raw[at + 1] == u'"') {
                    text += u'"';
                    at += 2;
                    continue;
                }
                ++at;
                break;
            }
            text += raw[at++];
        }
        if (at >= size || raw[at] != u'#')
            break;
        // An escape group up to the quote that opens the next run.
        qsizetype next = raw.indexOf(u'"', at);
        if (next < 0)
            next = size;
        for (const QStringView piece : QStringView(raw).mid(at, next - at).split(u'#')) {
            bool whole = !piece.isEmpty();
            for (const QChar digit : piece)
                whole = whole && digit >= u'0' && digit <= u'9';
            const uint code = whole && piece.size() <= 3 ? piece.toUInt() : 256;
            if (code <= 255)
                text += QChar(char16_t(code));
        }
        at = next;
    }
    return text;
}

QString TQLanguageFile::ReadValue(const QString &section, const QString &ident,
                                  const QString &defaultValue) const
{
    if (ident.isEmpty())
        return defaultValue;
    QString raw = defaultValue;
    if (const Block *block = findBlock(section)) {
        for (auto line = block->lines.crbegin(); line != block->lines.crend(); ++line) {
            QStringView key;
            if (keyOf(*line, key) && sameName(key, ident)) {
                raw = line->mid(key.size() + 1);
                break;
            }
        }
    }
    return DecodeValue(raw);
}

QStringList TQLanguageFile::ReadSection(const QString &section) const
{
    QStringList entries;
    const Block *block = findBlock(section);
    if (!block)
        return entries;
    QStringList keys;
    for (const QString &line : block->lines) {
        QStringView key;
        if (!keyOf(line, key))
            continue;
        bool known = false;
        for (const QString &seen : std::as_const(keys))
            known = known || sameName(seen, key);
        if (!known)
            keys.append(key.toString());
    }
    for (const QString &key : std::as_const(keys)) {
        const QString text = ReadValue(section, key, QString());
        if (!text.isEmpty())
            entries.append(key + u'=' + text);
    }
    return entries;
}

void TQLanguageFile::WriteValue(const QString &section, const QString &ident, const QString &value)
{
    if (ident.isEmpty())
        return;
    auto block = std::find_if(m_blocks.rbegin(), m_blocks.rend(), [&](const Block &candidate) {
        return sameName(candidate.name, section);
    });
    Block *target = nullptr;
    if (block == m_blocks.rend()) {
        m_blocks.push_back({section, {}});
        target = &m_blocks.back();
    } else {
        target = &*block;
    }
    const QString line = ident + u'=' + EncodeValue(value);
    bool replaced = false;
    for (qsizetype i = target->lines.size() - 1; i >= 0 && !replaced; --i) {
        QStringView key;
        if (keyOf(target->lines[i], key) && sameName(key, ident)) {
            target->lines[i] = line;
            replaced = true;
        }
    }
    if (!replaced)
        target->lines.append(line);
    rewrite();
}

void TQLanguageFile::ClearSection(const QString &section)
{
    for (auto block = m_blocks.rbegin(); block != m_blocks.rend(); ++block) {
        if (sameName(block->name, section)) {
            m_blocks.erase(std::next(block).base());
            rewrite();
            return;
        }
    }
}

QStringList TQLanguageFile::SectionNames() const
{
    QStringList names;
    for (const Block &block : m_blocks)
        names.append(block.name);
    return names;
}

QByteArray TQLanguageFile::toBytes() const
{
    QString text;
    for (const Block &block : m_blocks) {
        text += u'[' + block.name + u"]\r\n"_s;
        for (const QString &line : block.lines)
            text += line + u"\r\n"_s;
        text += u"\r\n"_s;
    }
    return Windows1252::fromUnicode(text);
}

void TQLanguageFile::rewrite() const
{
    if (m_fileName.isEmpty())
        return;
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toBytes()) < 0 || !file.commit())
        throw EQLocalError(
            u"Cannot write file \"%1\". %2"_s.arg(m_fileName, file.errorString()).toStdString());
}

namespace CommaText {

QStringList read(const QString &text)
{
    QStringList items;
    const qsizetype size = text.indexOf(QChar(0)) >= 0 ? text.indexOf(QChar(0)) : text.size();
    const auto skipBlanks = [&](qsizetype &at) {
        while (at < size && text[at].unicode() >= 1 && text[at].unicode() <= 32)
            ++at;
    };
    qsizetype at = 0;
    skipBlanks(at);
    while (at < size) {
        QString item;
        if (text[at] == u'"') {
            ++at;
            while (at < size) {
                if (text[at] == u'"') {
                    if (at + 1 < size && text[at + 1] == u'"') {
                        item += u'"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                item += text[at++];
            }
        } else {
            const qsizetype begin = at;
            while (at < size && text[at].unicode() > 32 && text[at] != u',')
                ++at;
            item = text.mid(begin, at - begin);
        }
        items.append(item);
        skipBlanks(at);
        if (at < size && text[at] == u',') {
            if (at + 1 == size)
                items.append(QString());
            ++at;
            skipBlanks(at);
        }
    }
    return items;
}

QString write(const QStringList &items)
{
    if (items.size() == 1 && items.first().isEmpty())
        return u"\"\""_s;
    QStringList written;
    for (const QString &item : items) {
        bool quote = false;
        for (const QChar character : item)
            quote = quote || character.unicode() <= 32 || character == u'"' || character == u',';
        written.append(quote ? u'"' + QString(item).replace(u'"', u"\"\""_s) + u'"' : item);
    }
    return written.join(u',');
}

} // namespace CommaText
