#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The language files' code page, converted by our own table: the bytes 0x80 to 0x9F carry
// typographic characters, the rest equal Latin-1.
namespace Windows1252 {

QString toUnicode(QByteArrayView bytes);
// Characters outside the code page become "?".
QByteArray fromUnicode(const QString &text);

} // namespace Windows1252
