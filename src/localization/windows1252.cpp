#include "windows1252.h"

namespace Windows1252 {

namespace {

// 0x80..0x9F; 0 marks the five unused bytes, which read as the C1 control of that code.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QString toUnicode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        const char16_t mapped = code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : 0;
        text.append(QChar(mapped ? mapped : char16_t(code)));
    }
    return text;
}

QByteArray fromUnicode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes.append(char(code));
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i)
            if (kHighControls[i] == code || (kHighControls[i] == 0 && code == 0x80 + i))
                byte = char(0x80 + i);
        bytes.append(byte);
    }
    return bytes;
}

} // namespace Windows1252
