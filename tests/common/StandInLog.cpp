#include "StandInLog.h"

#include <QFile>

// The log holds, for each call, NUL-terminated fields: program, working folder, process id,
// process group, input file number, the number of arguments and the arguments, the number of
// environment entries and the entries.
QList<TStandInCall> ReadStandInLog(const QString& logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = log.readAll().split('\0');
    QList<TStandInCall> calls;
    qsizetype at = 0;
    const auto next = [&] { return QString::fromUtf8(fields.value(at++)); };
    while (at + 6 <= fields.size() - 1) {
        TStandInCall call;
        call.Program = next();
        call.WorkingFolder = next();
        call.ProcessId = next().toLongLong();
        call.ProcessGroup = next().toLongLong();
        call.InputFileNumber = next().toULongLong();
        for (qsizetype count = next().toLongLong(); count > 0; --count)
            call.Arguments << next();
        for (qsizetype count = next().toLongLong(); count > 0; --count) {
            const QString entry = next();
            call.Environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        }
        calls << call;
    }
    return calls;
}
