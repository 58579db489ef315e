#include "convert/RunProcess.h"

#include <QFileInfo>
#include <QProcess>

QString RunProcess(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment)
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
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAll());
}
