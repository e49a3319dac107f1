// libFuzzer entry for the language files: any bytes are read as a file, written back and read
// again, and taken as a value and as a comma text. Each round trip must give back what it
// started from.

#include "qlanguagefile.h"
#include "windows1252.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Each section name's entries, in the order of the names. A name written again reads the same
// block, so it is read once: files of repeated headers would otherwise be slow to fuzz.
QList<QStringList> entriesOf(const TQLanguageFile &file)
{
    QList<QStringList> sections;
    QSet<QString> seen;
    for (const QString &name : file.SectionNames()) {
        if (seen.contains(name))
            continue;
        seen.insert(name);
        const QStringList entries = file.ReadSection(name);
        for (const QString &entry : entries) {
            // A key holds no "=": the first one ends it.
            const qsizetype equals = entry.indexOf(u'=');
            check(equals > 0);
            const QString text = entry.mid(equals + 1);
            check(file.ReadValue(name, entry.left(equals), QString()) == text);
        }
        sections.append(entries);
    }
    return sections;
}

void checkValue(const QString &text)
{
    check(TQLanguageFile::DecodeValue(TQLanguageFile::EncodeValue(text)) == text);
}

// The reader stops at a NUL, so only lists without one can come back whole.
void checkCommaText(const QStringList &items)
{
    check(CommaText::read(CommaText::write(items)) == items);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const TQLanguageFile file = TQLanguageFile::fromBytes(bytes);
    const QList<QStringList> sections = entriesOf(file);
    const QByteArray written = file.toBytes();
    const TQLanguageFile reread = TQLanguageFile::fromBytes(written);
    check(reread.SectionNames() == file.SectionNames());
    check(entriesOf(reread) == sections);
    check(reread.toBytes() == written);
    for (const QStringList &entries : sections)
        for (const QString &entry : entries)
            checkCommaText(CommaText::read(entry.mid(entry.indexOf(u'=') + 1)));

    // Every byte has its own character, so the code page gives the bytes back.
    const QString text = Windows1252::toUnicode(bytes);
    check(Windows1252::fromUnicode(text) == bytes);

    const QString decoded = TQLanguageFile::DecodeValue(text);
    if (!text.startsWith(u'"'))
        check(decoded == text);
    checkValue(decoded);
    checkValue(text);
    const qsizetype quote = text.indexOf(u'"');
    const qsizetype equals = text.indexOf(u'=');
    for (const qsizetype start : {quote, equals + 1, text.size() / 2})
        if (start >= 0)
            checkValue(TQLanguageFile::DecodeValue(text.mid(start)));
    checkValue(TQLanguageFile::DecodeValue(text.left(text.size() / 2)));

    checkCommaText(CommaText::read(text));
    QString withoutNul = text;
    withoutNul.remove(QChar(0));
    checkCommaText(withoutNul.split(u'\n'));
    return 0;
}
