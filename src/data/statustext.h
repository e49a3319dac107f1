#pragma once

#include <QString>

// The status bar's texts that report how many stamps were found.
namespace StatusText {

QString danish(int count);
QString english(int count);
QString german(int count);
// No count: the program's maker.
QString plain();

} // namespace StatusText
