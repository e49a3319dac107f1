#pragma once

#include <QString>

// How the program writes and reads numbers: the field's display and edit texts, the
// totals, the stamp's total and the printed list, all with the user's regional settings.
namespace NumberText {
// General format: at most 15 significant digits, the locale's decimal separator, no grouping.
QString formatGeneral(double value);
// Strict parse of a number typed with the locale's decimal separator; false if it is none.
bool parseDecimal(const QString &text, double &value);
bool parseInteger(const QString &text, qint64 &value);
// Rounds to four decimals with halves to even, as a currency value is held.
double roundCurrency(double value);
// Fixed decimals with halves rounded away from zero, the integer part grouped in threes with
// the locale's separators, right-aligned in at least `width` characters: "%8.2n".
QString formatGrouped(double value, int decimals, int width);
} // namespace NumberText
