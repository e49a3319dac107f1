#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text order and comparison as a Danish collector expects them, the same on every machine
// whatever its locale: letter case is ignored, accented letters sort with their base letter,
// and Æ, Ø, Å follow Z (Ä with Æ, Ö with Ø, Ü with Y).
namespace Collation {

// A byte string whose memcmp order is the Danish text order. Texts that differ only in
// letter case get equal keys, so a tie-break decides between them.
QByteArray sortKey(QStringView text);

// Whole-value equality ignoring letter case for every letter (æ/Æ, ø/Ø, å/Å, ä/Ä, ü/Ü ...).
bool equalsIgnoringCase(QStringView a, QStringView b);

} // namespace Collation
