#include "convert/RunProcess.h"

#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <limits>

namespace {
// In QProcess's terms: -1 waits for ever.
int RemainingMilliseconds(const QDeadlineTimer& deadline)
{
    if (deadline.isForever())
        return -1;
    return int(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max()));
}
} // namespace

QString RunProcess(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, QDeadlineTimer deadline)
{
    if (program.isEmpty())
        return {};
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A program that reads its input must see its end rather than wait for us.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1))
        return {};
    if (!process.waitForFinished(RemainingMilliseconds(deadline))) {
        process.kill();
        process.waitForFinished(-1);
    }
    return QString::fromUtf8(process.readAll());
}
