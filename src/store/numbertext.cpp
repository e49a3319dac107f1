#include "numbertext.h"

#include <QLocale>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace NumberText {

QString formatGeneral(double value)
{
    if (value == 0)
        return u"0"_s;
    QString text = QString::number(value, 'g', 15);
    const QString point = QLocale().decimalPoint();
    if (point != u".")
        text.replace(u'.', point);
    text.replace(u"e+"_s, u"E"_s);
    text.replace(u"e-"_s, u"E-"_s);
    return text;
}

bool parseDecimal(const QString &text, double &value)
{
    QString plain = text.trimmed();
    if (plain.isEmpty())
        return false;
    const QString point = QLocale().decimalPoint();
    if (point != u".") {
        if (plain.contains(u'.'))
            return false;
        plain.replace(point, u"."_s);
    }
    // Only sign, digits, one decimal point and an exponent; no grouping, no hex, no "inf".
    qsizetype i = 0;
    if (i < plain.size() && (plain[i] == u'-' || plain[i] == u'+'))
        ++i;
    qsizetype digits = 0;
    while (i < plain.size() && plain[i].isDigit() && plain[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < plain.size() && plain[i] == u'.') {
        ++i;
        while (i < plain.size() && plain[i].isDigit() && plain[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < plain.size() && (plain[i] == u'e' || plain[i] == u'E')) {
        ++i;
        if (i < plain.size() && (plain[i] == u'-' || plain[i] == u'+'))
            ++i;
        qsizetype exponentDigits = 0;
        while (i < plain.size() && plain[i].isDigit() && plain[i].unicode() < 128) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    if (i != plain.size())
        return false;
    bool ok = false;
    value = QLocale::c().toDouble(plain, &ok);
    return ok && std::isfinite(value);
}

bool parseInteger(const QString &text, qint64 &value)
{
    const QString plain = text.trimmed();
    qsizetype i = 0;
    if (i < plain.size() && (plain[i] == u'-' || plain[i] == u'+'))
        ++i;
    if (i == plain.size())
        return false;
    for (qsizetype j = i; j < plain.size(); ++j)
        if (!plain[j].isDigit() || plain[j].unicode() >= 128)
            return false;
    bool ok = false;
    value = plain.toLongLong(&ok);
    return ok;
}

double roundCurrency(double value)
{
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    return std::nearbyint(value * 10000.0) / 10000.0;
}

QString formatGrouped(double value, int decimals, int width)
{
    if (!std::isfinite(value))
        return QString::number(value).rightJustified(width);
    // The digits as the value reads (15 significant), so that the stored 1.005, a hair
    // below 1.005 in binary, rounds up as a reader expects.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::abs(value));
    QByteArray digits = QByteArray(1, buffer[0]) + QByteArray(buffer + 2, 14);
    int integerDigits = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
    if (integerDigits < 1) {
        digits.prepend(QByteArray(1 - integerDigits, '0'));
        integerDigits = 1;
    }
    const int kept = integerDigits + decimals;
    if (digits.size() <= kept)
        digits.append(QByteArray(kept + 1 - digits.size(), '0'));
    const bool roundUp = digits.at(kept) >= '5';
    digits.truncate(kept);
    for (int i = kept - 1; roundUp && i >= 0; --i) {
        if (digits[i] == '9') {
            digits[i] = '0';
            if (i == 0) {
                digits.prepend('1');
                ++integerDigits;
            }
            continue;
        }
        ++digits[i];
        break;
    }
    QByteArray integerPart = digits.left(integerDigits);
    while (integerPart.size() > 1 && integerPart.startsWith('0'))
        integerPart.remove(0, 1);
    const QLocale locale;
    QString text;
    for (int i = 0; i < integerPart.size(); ++i) {
        if (i > 0 && (integerPart.size() - i) % 3 == 0)
            text += locale.groupSeparator();
        text += QLatin1Char(integerPart.at(i));
    }
    if (decimals > 0)
        text += locale.decimalPoint() + QString::fromLatin1(digits.mid(integerDigits));
    // A value that rounds to nothing shows no sign.
    if (value < 0 && digits.count('0') != digits.size())
        text.prepend(u'-');
    return text.rightJustified(width);
}

} // namespace NumberText
