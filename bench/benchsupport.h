#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <vector>

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

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until it has nothing left to do.
inline void waitUntilIdle()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}
