#include "StandInLog.h"

#include <QFile>

// The log holds, for each call, NUL-terminated fields: program, working folder, the number of
// arguments, then the arguments.
QList<TStandInCall> ReadStandInLog(const QString& logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = log.readAll().split('\0');
    QList<TStandInCall> calls;
    qsizetype at = 0;
    while (at + 3 <= fields.size() - 1) {
        TStandInCall call{QString::fromUtf8(fields[at]), QString::fromUtf8(fields[at + 1]), {}};
        const qsizetype count = fields[at + 2].toLongLong();
        at += 3;
        for (qsizetype i = 0; i < count; ++i)
            call.Arguments << QString::fromUtf8(fields[at + i]);
        at += count;
        calls << call;
    }
    return calls;
}
