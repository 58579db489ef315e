#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whether a process is still running; one that has ended but was not yet reaped by its parent
// counts as ended. Linux.
inline bool IsRunning(qint64 process)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fields = status.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) != "Z";
}
