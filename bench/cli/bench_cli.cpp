// Times morvane-cli with one job against the default number of jobs, and against ImageMagick's own
// batch command mogrify on the same files: 100 JPEG photos of 1600x1200 to PNG and to JPG, and a
// 20-page PDF to PNG. Prints each figure and the ratios, with the machine's core count. Targets on
// 2 cores: to PNG, default jobs at most 0.6 of one job and faster than mogrify; to JPG, one job at
// most 1.2 times mogrify, default jobs at most 0.55 of one job and 0.6 of mogrify. Processor time
// (user and system, of all the processes of a run) is shown beside each time, as a busy machine
// stretches the time alone.
// Linux only. Usage: bench_cli [rounds]; with several rounds the trials take turns and each keeps
// its best. Each line shows as soon as it is known: a round takes minutes.
#include "BenchPhotos.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr int PdfPageCount = 20;

QTextStream& Out()
{
    static QTextStream out(stdout);
    return out;
}

// Letter-sized pages of coloured bands and a line of text.
QByteArray DocumentPostScript()
{
    return "%!PS\n/Helvetica findfont 28 scalefont setfont\n"
           "1 1 " +
           QByteArray::number(PdfPageCount) +
           " { /p exch def\n"
           "  0 1 23 { /i exch def\n"
           "    i 24 div p 20 div 1 i 24 div sub setrgbcolor\n"
           "    36 36 i 30 mul add 540 24 rectfill } for\n"
           "  0 0 0 setrgbcolor 72 740 moveto (Page ) show p 3 string cvs show\n"
           "  showpage } for\n";
}

bool MakeDocument(const QString& ghostscript, const QString& document)
{
    const QString source = document + u".ps"_s;
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(DocumentPostScript()) < 0)
        return false;
    file.close();
    RunProcess(ghostscript, {u"-q"_s, u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dSAFER"_s,
                             u"-sDEVICE=pdfwrite"_s, u"-sOutputFile="_s + document, source});
    return QFile::remove(source) && QFile::exists(document);
}

qint64 Milliseconds(const timeval& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_usec / 1000;
}

struct TCost
{
    qint64 Wall = std::numeric_limits<qint64>::max();
    qint64 User = 0;
    qint64 System = 0;
    bool Failed = false;
};

// Processor time of every process this one has waited for.
TCost ChildProcessorTime()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    TCost cost;
    cost.User = Milliseconds(usage.ru_utime);
    cost.System = Milliseconds(usage.ru_stime);
    return cost;
}

TCost TimeRun(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    const TCost before = ChildProcessorTime();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    TCost cost;
    cost.Failed = !process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
                  process.exitCode() != 0;
    cost.Wall = timer.elapsed();
    const TCost after = ChildProcessorTime();
    cost.User = after.User - before.User;
    cost.System = after.System - before.System;
    return cost;
}

using TTrial = std::function<TCost(const QString& outputFolder)>;

// Runs the trials in turn, round after round, so that a change in the machine's load falls on all
// of them alike; each keeps its quickest round. Every run writes into a fresh folder.
QList<TCost> BestOfRounds(const QString& workFolder, int rounds, const QList<TTrial>& trials)
{
    QList<TCost> best(trials.size());
    const QString output = workFolder + u"/out"_s;
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype trial = 0; trial < trials.size(); ++trial) {
            QDir(output).removeRecursively();
            QDir().mkpath(output);
            const TCost cost = trials[trial](output);
            if (cost.Failed || cost.Wall < best[trial].Wall)
                best[trial] = cost;
            if (cost.Failed)
                return best;
        }
    }
    return best;
}

QString Seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 1) + u" s"_s;
}

QString Ratio(qint64 part, qint64 whole)
{
    return QString::number(double(part) / double(qMax<qint64>(whole, 1)), 'f', 2);
}

// "12.3 s (user 17.0 s, system 3.1 s)"
QString Figure(const TCost& cost)
{
    return Seconds(cost.Wall) + u" (user "_s + Seconds(cost.User) + u", system "_s +
           Seconds(cost.System) + u')';
}

bool AnyFailed(const QList<TCost>& costs)
{
    return std::any_of(costs.begin(), costs.end(), [](const TCost& cost) { return cost.Failed; });
}

QStringList FilesIn(const QString& folder)
{
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        paths << QDir(folder).filePath(name);
    return paths;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = qMax(1, argc > 1 ? QByteArray(argv[1]).toInt() : 1);
    const int cores = QThread::idealThreadCount();
    const QString cli = QStringLiteral(MORVANE_CLI_PROGRAM);
    const QString mogrify = QStandardPaths::findExecutable(u"mogrify"_s);
    const TConvertTools tools = TConvertTools::Installed();
    if (tools.ImageMagick.isEmpty() || tools.JpegEncoder.isEmpty() || tools.Ghostscript.isEmpty() ||
        mogrify.isEmpty()) {
        Out() << "cli: ImageMagick (with mogrify), cjpeg and Ghostscript are needed\n";
        return 1;
    }

    QTemporaryDir work;
    // The scratch folder of every conversion, away from the user's own cache.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(work.filePath(u"cache"_s)));
    const QString photos = work.filePath(u"photos"_s);
    const QString document = work.filePath(u"document.pdf"_s);
    if (!QDir().mkpath(photos) || !MakeBenchPhotos(tools.ImageMagick, QDir(photos)) ||
        !MakeDocument(tools.Ghostscript, document)) {
        Out() << "cli: the samples could not be made\n";
        return 1;
    }

    const auto cliTrial = [&](const QStringList& jobs, const QString& format,
                              const QString& input) -> TTrial {
        return [=](const QString& output) {
            return TimeRun(cli, jobs + QStringList{u"-o"_s, output, format, input});
        };
    };
    const auto mogrifyTrial = [&](const QString& format) -> TTrial {
        return [=](const QString& output) {
            QStringList arguments{u"-format"_s, format.toLower(), u"-path"_s, output};
            if (format == u"JPG")
                arguments << u"-quality"_s << u"75"_s;
            return TimeRun(mogrify, arguments + FilesIn(photos));
        };
    };
    const QStringList oneJob{u"-j"_s, u"1"_s};
    bool failed = false;
    Out() << "cli: " << cores << " cores; " << BenchPhotoCount
          << " JPEG photos of 1600x1200; best of " << rounds << " round(s)" << Qt::endl;
    for (const QString& format : {u"PNG"_s, u"JPG"_s}) {
        const bool jpeg = format == u"JPG";
        const QList<TCost> costs = BestOfRounds(
            work.path(), rounds,
            {cliTrial(oneJob, format, photos), cliTrial({}, format, photos), mogrifyTrial(format)});
        failed = failed || AnyFailed(costs);
        Out() << "cli: photos to " << format << ": -j 1 " << Figure(costs[0]) << ", default jobs "
              << Figure(costs[1]) << ", mogrify " << Figure(costs[2])
              << "; -j 1/mogrify = " << Ratio(costs[0].Wall, costs[2].Wall)
              << (jpeg ? " (target <= 1.2)" : "")
              << ", default/-j 1 = " << Ratio(costs[1].Wall, costs[0].Wall)
              << (jpeg ? " (target <= 0.55" : " (target <= 0.6")
              << " on 2 cores), default/mogrify = " << Ratio(costs[1].Wall, costs[2].Wall)
              << (jpeg ? " (target <= 0.6)" : " (target < 1)") << Qt::endl;
    }
    const QList<TCost> costs =
        BestOfRounds(work.path(), rounds,
                     {cliTrial(oneJob, u"PNG"_s, document), cliTrial({}, u"PNG"_s, document)});
    failed = failed || AnyFailed(costs);
    Out() << "cli: " << PdfPageCount << "-page PDF to PNG: -j 1 " << Figure(costs[0])
          << ", default jobs " << Figure(costs[1])
          << "; default/-j 1 = " << Ratio(costs[1].Wall, costs[0].Wall) << Qt::endl;
    if (failed)
        Out() << "cli: a run failed\n";
    return failed ? 1 : 0;
}
