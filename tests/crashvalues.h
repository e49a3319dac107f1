#pragma once

#include <QString>
#include <QVariant>

// A stored value as the crash child reports it and the suite compares it: money to 17
// digits, so that a double compares exactly.
inline QString crashValueText(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}
