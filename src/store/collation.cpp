#include "collation.h"

namespace {

// Primary weights: everything that is not a letter or digit sorts before digits, digits
// before letters, letters a..z, then the three Danish letters.
constexpr quint32 kDigitBase = 0x100;
constexpr quint32 kLetterBase = 0x200;
constexpr quint32 kAe = kLetterBase + 26;
constexpr quint32 kOe = kLetterBase + 27;
constexpr quint32 kAa = kLetterBase + 28;
constexpr quint32 kOtherBase = 0x1000;

QChar baseLetter(QChar folded)
{
    const QString decomposed = folded.decomposition();
    if (!decomposed.isEmpty() && folded.decompositionTag() == QChar::Canonical)
        return decomposed.at(0);
    return folded;
}

quint32 primaryWeight(QChar ch)
{
    const QChar folded = ch.toCaseFolded();
    switch (folded.unicode()) {
    case u'æ':
    case u'ä':
        return kAe;
    case u'ø':
    case u'ö':
        return kOe;
    case u'å':
        return kAa;
    case u'ü':
    case u'ÿ':
        return kLetterBase + (u'y' - u'a');
    case u'ß':
        return kLetterBase + (u's' - u'a');
    default:
        break;
    }
    const QChar base = baseLetter(folded);
    const char16_t code = base.unicode();
    if (code >= u'a' && code <= u'z')
        return kLetterBase + (code - u'a');
    if (code >= u'0' && code <= u'9')
        return kDigitBase + (code - u'0');
    if (base.isLetterOrNumber())
        return kOtherBase + code; // other scripts after the Latin letters, by code
    return code < kDigitBase ? code + 1 : kDigitBase - 1; // punctuation and blanks first
}

void appendWeight(QByteArray &key, quint32 weight)
{
    key.append(char((weight >> 16) & 0xFF));
    key.append(char((weight >> 8) & 0xFF));
    key.append(char(weight & 0xFF));
}

} // namespace

namespace Collation {

QByteArray sortKey(QStringView text)
{
    QByteArray key;
    key.reserve(text.size() * 6 + 3);
    for (QChar ch : text)
        appendWeight(key, primaryWeight(ch));
    // Secondary level: accents decide between texts with equal letters, so that the order
    // is total up to letter case.
    appendWeight(key, 0);
    for (QChar ch : text)
        appendWeight(key, ch.toCaseFolded().unicode());
    return key;
}

bool equalsIgnoringCase(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace Collation
