#pragma once

#include <QByteArray>
#include <QFile>

// The most resident memory this process has had, in MB (-1 where /proc cannot tell).
inline long peakMemoryMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong() / 1024;
    return -1;
}
