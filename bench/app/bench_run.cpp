// Conversion runs of 500 rows in all through the window with the recording stand-in programs,
// against the same stand-in calls made one after another without the window, in the same run.
// Prints the time per row that the run adds beyond the stand-ins' own (target: under 2 ms). The
// two alternate in batches of 50 rows so that a change in the machine's load falls on both alike;
// on a busy machine the difference may come out below zero, which means nothing measurable.
#include "StandIn.h"
#include "TestHome.h"
#include "config/Config.h"
#include "convert/RunProcess.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {
constexpr int RowCount = 500;
constexpr int BatchSize = 50;

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
    window.BtnStart->click();
    while (!window.BtnStart->isEnabled())
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
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const TTestHome home;
    LoadTranslations();
    QApplication application(argc, argv);
    QTextStream out(stdout);

    const TStandIn standIn;
    const QTemporaryDir pictures;
    const QTemporaryDir aloneOutputs;
    const QStringList sources = MakeSources(pictures.path());
    if (sources.isEmpty() || !aloneOutputs.isValid()) {
        out << "cannot make the sources" << Qt::endl;
        return 1;
    }
    TConfig(u"Dovrelan\\Morvane"_s).WriteString(u"format"_s, u"PNG"_s);
    TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{standIn.Folder(), {}});

    qint64 run = 0;
    qint64 alone = 0;
    for (qsizetype first = 0; first < sources.size(); first += BatchSize) {
        const QStringList batch = sources.mid(first, BatchSize);
        window.BtnDeleteAllClick();
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
    return 0;
}
