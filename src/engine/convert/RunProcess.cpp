#include "convert/RunProcess.h"

#include "convert/ProcessPlatform.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace {
// A program that prints without end must not fill our memory; a reason needs its first lines.
constexpr qsizetype MaxPrintedBytes = 1024 * 1024;
// How often a waiting runner looks at its stop request and its time limit.
constexpr int PollMilliseconds = 50;

QProcessEnvironment Environment(const QHash<QString, QString>& added)
{
    // Not QProcessEnvironment(InheritFromParent): once anything is inserted into that one, it
    // holds nothing else.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto variable = added.begin(); variable != added.end(); ++variable)
        environment.insert(variable.key(), variable.value());
    return environment;
}

void Keep(QByteArray& printed, const QByteArray& more)
{
    printed += more.left(MaxPrintedBytes - printed.size());
}

QString FirstLines(const QString& printed, const QString& program)
{
    constexpr qsizetype MaxLines = 3;
    QStringList lines;
    for (const QString& line : printed.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
        if (lines.size() == MaxLines)
            break;
    }
    return lines.isEmpty() ? program + u" printed blank lines"_s : lines.join(u'\n');
}

QString Duration(std::chrono::milliseconds limit)
{
    using namespace std::chrono;
    const auto plural = [](qint64 count, const QString& unit) -> QString {
        return QString::number(count) + u' ' + unit + (count == 1 ? u""_s : u"s"_s);
    };
    if (limit >= minutes(1) && limit % minutes(1) == milliseconds(0))
        return plural(duration_cast<minutes>(limit).count(), u"minute"_s);
    if (limit % seconds(1) == milliseconds(0))
        return plural(duration_cast<seconds>(limit).count(), u"second"_s);
    return plural(limit.count(), u"millisecond"_s);
}

void Configure(QProcess& process, const QString& program, const QStringList& arguments,
               const TProgramSettings& settings)
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(settings.WorkingFolder.isEmpty() ? QFileInfo(program).absolutePath()
                                                                 : settings.WorkingFolder);
    process.setProcessEnvironment(Environment(settings.AddedVariables));
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A program that reads its input must see its end rather than wait for us.
    process.setStandardInputFile(QProcess::nullDevice());
}

// Waits for the program to end, collecting what it prints; ends it with its group on a stop
// request or at the deadline, and then says so.
std::optional<TProgramEnd> WaitForEnd(QProcess& process, TChildProcess& child,
                                      const TProgramSettings& settings, QByteArray& printed)
{
    const QDeadlineTimer deadline = settings.TimeLimit ? QDeadlineTimer(*settings.TimeLimit)
                                                       : QDeadlineTimer(QDeadlineTimer::Forever);
    std::optional<TProgramEnd> endedByUs;
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(PollMilliseconds)) {
        Keep(printed, process.readAll());
        if (process.state() == QProcess::NotRunning)
            break;
        if (settings.Stop.IsStopRequested())
            endedByUs = TProgramEnd::Stopped;
        else if (deadline.hasExpired())
            endedByUs = TProgramEnd::TimedOut;
        else
            continue;
        child.KillGroup();
        process.waitForFinished(-1);
        break;
    }
    Keep(printed, process.readAll());
    return endedByUs;
}
} // namespace

bool TProgramResult::ExitedWithStatusZero() const
{
    return End == TProgramEnd::Exited && Code == 0;
}

bool TProgramResult::IsClean() const
{
    return ExitedWithStatusZero() && Printed.isEmpty();
}

QString TProgramResult::FailureReason() const
{
    switch (End) {
    case TProgramEnd::Stopped:
        return Interrupted().Reason;
    case TProgramEnd::TimedOut:
        return u"stopped after "_s + Duration(TimeLimit);
    case TProgramEnd::NotStarted:
        return u"could not start "_s + Program + u": "_s + StartError;
    case TProgramEnd::Exited:
    case TProgramEnd::Crashed:
        break;
    }
    if (!Printed.isEmpty())
        return FirstLines(Printed, Program);
    if (End == TProgramEnd::Crashed)
        return u"%1 was stopped by signal %2"_s.arg(Program).arg(Code);
    if (Code != 0)
        return u"%1 ended with status %2"_s.arg(Program).arg(Code);
    return {};
}

TFailure TProgramResult::Failure() const
{
    if (End == TProgramEnd::Stopped)
        return Interrupted();
    return Failed(FailureReason());
}

TProgramResult RunProgram(const QString& program, const QStringList& arguments,
                          const TProgramSettings& settings)
{
    TProgramResult result;
    result.Program = QFileInfo(program).completeBaseName();
    result.TimeLimit = settings.TimeLimit.value_or(std::chrono::milliseconds(0));
    if (settings.Stop.IsStopRequested()) {
        result.End = TProgramEnd::Stopped;
        return result;
    }
    if (program.isEmpty()) {
        result.StartError = u"no program was given"_s;
        return result;
    }
    QProcess process;
    Configure(process, program, arguments, settings);
    TChildProcess child(process);
    process.start();
    if (!process.waitForStarted(-1)) {
        result.StartError = process.errorString();
        return result;
    }
    child.Started();
    QByteArray printed;
    const std::optional<TProgramEnd> endedByUs = WaitForEnd(process, child, settings, printed);
    result.Printed = QString::fromUtf8(printed);
    if (endedByUs) {
        result.End = *endedByUs;
    } else {
        result.End = process.exitStatus() == QProcess::CrashExit ? TProgramEnd::Crashed
                                                                 : TProgramEnd::Exited;
        // After a crash Qt gives the signal as the exit code.
        result.Code = process.exitCode();
    }
    return result;
}

TProgramResult RunChain(const QList<TProgramCall>& chain, const TProgramSettings& settings)
{
    TProgramResult result;
    for (const TProgramCall& call : chain) {
        result = RunProgram(call.Program, call.Arguments, settings);
        if (!result.IsClean())
            break;
    }
    return result;
}

QString RunProcess(const QString& program, const QStringList& arguments)
{
    return RunProgram(program, arguments).Printed;
}
