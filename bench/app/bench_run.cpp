// Conversion runs through the window, timed two ways in one run.
// First, 500 rows in all with the recording stand-in programs, against the same stand-in calls
// made one after another without the window. Prints the time per row that the run adds beyond
// the stand-ins' own (target: under 2 ms). The two alternate in batches of 50 rows so that a
// change in the machine's load falls on both alike; on a busy machine the difference may come out
// below zero, which means nothing measurable.
// Then 100 JPEG photos of 1600x1200 to PNG and to JPG with the real programs, the window's
// default number of jobs against one job, taking turns. Prints both times and their ratio (target
// on 2 cores: at most 0.6). Usage: bench_run [rounds]; each trial keeps its best round.
#include "BenchPhotos.h"
#include "StandIn.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "batch/JobPool.h"
#include "config/Config.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr int RowCount = 500;
constexpr int BatchSize = 50;
const QString SettingsPath = u"Dovrelan\\Morvane"_s;

const QByteArray JpegStart = QByteArray::fromHex("FFD8FFE000104A4649460001") + "0123456789";

QStringList MakeSources(const QString& folder)
{
    QStringList sources;
    for (int index = 0; index < RowCount; ++index) {
        const QString path = u"%1/photo-%2.jpg"_s.arg(folder).arg(index, 3, 10, QLatin1Char('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(JpegStart) != JpegStart.size())
            return {};
        sources << path;
    }
    return sources;
}

void RemoveOutputs(const QString& folder)
{
    for (const QString& name : QDir(folder).entryList({u"*.png"_s}, QDir::Files))
        QFile::remove(folder + u'/' + name);
}

// Milliseconds from the press of the start button to the end of the run.
qint64 TimeRun(TFrmMorvane& window)
{
    QElapsedTimer timer;
    timer.start();
    Control<QAbstractButton>(window, u"BtnStart"_s).click();
    while (!IsRunOver(window))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.elapsed();
}

// The stand-in as the engine calls it for a PNG: the first frame of the source, the output. On a
// thread of its own while the main thread runs its event loop, as during a run.
qint64 TimeStandInsAlone(const QString& program, const QStringList& sources,
                         const QString& outputFolder)
{
    QElapsedTimer timer;
    timer.start();
    QThread* caller = QThread::create([&] {
        for (const QString& source : sources)
            RunProcess(program, {source + u"[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                                 outputFolder + u'/' + QFileInfo(source).baseName() + u".png"_s});
    });
    QEventLoop waiting;
    QObject::connect(caller, &QThread::finished, &waiting, &QEventLoop::quit);
    caller->start();
    waiting.exec();
    caller->wait();
    delete caller;
    return timer.elapsed();
}

// The time a run over the photos in a new window takes, with so many jobs (0: the default),
// into an empty output folder; -1 when a row did not succeed.
qint64 TimePhotoRun(const QString& photos, const QString& format, int jobs, const QString& output)
{
    QDir(output).removeRecursively();
    QDir().mkpath(output);
    TConfig config(SettingsPath);
    config.WriteString(u"format"_s, format);
    config.WriteInteger(u"save"_s, 2);
    config.WriteString(u"savepath"_s, output);
    config.WriteInteger(u"jobs"_s, jobs);
    TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
    window.AddFile({photos});
    const qint64 time = TimeRun(window);
    const QStringList statuses = ShownStatuses(window);
    const bool succeeded = statuses.size() == BenchPhotoCount &&
                           statuses.count(TranslateText(u"성공"_s)) == statuses.size();
    return succeeded ? time : -1;
}

QString Seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 1) + u" s"_s;
}

// One job against the default, in turns; each keeps its quickest round. False when a run failed.
bool ComparePhotoRuns(QTextStream& out, const QString& work, const QString& format, int rounds)
{
    const QString photos = work + u"/photos"_s;
    const QString output = work + u"/out"_s;
    qint64 oneJob = std::numeric_limits<qint64>::max();
    qint64 defaultJobs = oneJob;
    for (int round = 0; round < rounds; ++round) {
        const qint64 one = TimePhotoRun(photos, format, 1, output);
        const qint64 several = TimePhotoRun(photos, format, 0, output);
        if (one < 0 || several < 0) {
            out << "window run: a run to " << format << " failed" << Qt::endl;
            return false;
        }
        oneJob = std::min(oneJob, one);
        defaultJobs = std::min(defaultJobs, several);
    }
    out << "window run: photos to " << format << ": one job " << Seconds(oneJob) << ", default ("
        << DefaultJobCount() << " jobs) " << Seconds(defaultJobs) << "; default/one = "
        << QString::number(double(defaultJobs) / double(qMax<qint64>(oneJob, 1)), 'f', 2)
        << " (target <= 0.6 on 2 cores)" << Qt::endl;
    return true;
}

// Whether the photo runs could be made and went through.
bool ComparePhotoRuns(QTextStream& out, int rounds)
{
    const TConvertTools tools = TConvertTools::Installed();
    const QTemporaryDir work;
    if (tools.ImageMagick.isEmpty() || tools.JpegEncoder.isEmpty() ||
        !QDir().mkpath(work.filePath(u"photos"_s)) ||
        !MakeBenchPhotos(tools.ImageMagick, QDir(work.filePath(u"photos"_s)))) {
        out << "window run: ImageMagick and cjpeg are needed for the photos" << Qt::endl;
        return false;
    }
    out << "window run: " << QThread::idealThreadCount() << " cores; " << BenchPhotoCount
        << " JPEG photos of 1600x1200; best of " << rounds << " round(s)" << Qt::endl;
    return ComparePhotoRuns(out, work.path(), u"PNG"_s, rounds) &&
           ComparePhotoRuns(out, work.path(), u"JPG"_s, rounds);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const TTestHome home;
    LoadTranslations();
    QApplication application(argc, argv);
    QTextStream out(stdout);
    const int rounds = qMax(1, argc > 1 ? QByteArray(argv[1]).toInt() : 1);

    const TStandIn standIn;
    const QTemporaryDir pictures;
    const QTemporaryDir aloneOutputs;
    const QStringList sources = MakeSources(pictures.path());
    if (sources.isEmpty() || !aloneOutputs.isValid()) {
        out << "cannot make the sources" << Qt::endl;
        return 1;
    }
    TConfig(SettingsPath).WriteString(u"format"_s, u"PNG"_s);
    TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{standIn.Folder(), {}});

    qint64 run = 0;
    qint64 alone = 0;
    for (qsizetype first = 0; first < sources.size(); first += BatchSize) {
        const QStringList batch = sources.mid(first, BatchSize);
        Control<QAction>(window, u"BtnDeleteAll"_s).trigger();
        window.AddFile(batch);
        alone += TimeStandInsAlone(standIn.Folder() + u"/magick"_s, batch, aloneOutputs.path());
        RemoveOutputs(aloneOutputs.path());
        run += TimeRun(window);
        RemoveOutputs(pictures.path());
    }

    const double perRow = double(run - alone) / RowCount;
    out << "run " << run << " ms, stand-ins alone " << alone << " ms for " << RowCount << " rows"
        << Qt::endl;
    out << "run overhead per row " << QString::number(perRow, 'f', 2) << " ms (target < 2.00)"
        << Qt::endl;
    return ComparePhotoRuns(out, rounds) ? 0 : 1;
}
