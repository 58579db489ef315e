#include "ProcessState.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "config/Config.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <optional>

using namespace Qt::StringLiterals;

namespace {} // namespace

// The window program as a user starts it, installed beside a vendor folder that holds the
// recording stand-ins in place of the outside programs.
class TMorvaneProgramTest : public QObject
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;
    std::optional<TStandIn> FStandIn;
    std::optional<QTemporaryDir> FInstalled;
    std::optional<QTemporaryDir> FPics;

    // The files the program handed to ImageMagick, in the order it did.
    QStringList ConvertedFiles() const
    {
        QStringList files;
        for (const TStandInCall& call : FStandIn->Calls()) {
            if (call.Program == u"magick")
                files << TStandIn::InputBelow(call, FPics->path());
        }
        return files;
    }

private Q_SLOTS:
    void init()
    {
        FHome.emplace();
        FStandIn.emplace();
        FInstalled.emplace();
        FPics.emplace();
        const QString program = FInstalled->filePath(u"morvane"_s);
        QVERIFY(QFile::copy(QStringLiteral(MORVANE_PROGRAM), program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
        QVERIFY(QFile::link(FStandIn->Folder(), FInstalled->filePath(u"vendor"_s)));
    }

    void cleanup()
    {
        FPics.reset();
        FInstalled.reset();
        FStandIn.reset();
        FHome.reset();
    }

    // Every word after "/auto FORMAT" names a file, also one that Qt would take for its own
    // option; the platform split them and nothing else does.
    void wordsLikeQtOptionsAreFiles_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("-reverse") << QStringList{u"-reverse"_s, u"a.jpg"_s};
        QTest::newRow("-style, then a file") << QStringList{u"-style"_s, u"a.jpg"_s};
    }
    void wordsLikeQtOptionsAreFiles()
    {
        QFETCH(QStringList, names);
        for (const QString& name : names) {
            QFile file(FPics->filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(JpegBytes) == JpegBytes.size());
        }
        // One at a time, so that the calls come in the order the files start.
        TConfig(u"Dovrelan\\Morvane"_s).WriteInteger(u"jobs"_s, 1);
        QProcess program;
        program.setWorkingDirectory(FPics->path());

        program.start(FInstalled->filePath(u"morvane"_s),
                      QStringList{u"/auto"_s, u"PNG"_s} + names);
        QVERIFY(program.waitForStarted());

        // Listed, and converted, last to first.
        QStringList expected = names;
        std::ranges::reverse(expected);
        QTRY_COMPARE_WITH_TIMEOUT(ConvertedFiles(), expected, 30000);
        // After an automatic run the window waits for the user; only a press ends it.
        program.kill();
        program.waitForFinished();
    }

    // Asked to end by a signal (kill's default, the session, a terminal), the program stops its
    // run: the programs under way end with their children, nothing reaches an output name, and
    // then it ends by that signal, so that a script's loop over it stops too.
    void aStopSignalEndsTheRunFirst_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void aStopSignalEndsTheRunFirst()
    {
        QFETCH(int, signal);
        FStandIn->SetHangs(u"magick"_s);
        QStringList names = {u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s};
        for (const QString& name : names) {
            QFile file(FPics->filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(JpegBytes) == JpegBytes.size());
        }
        QProcess program;
        program.setWorkingDirectory(FPics->path());
        program.start(FInstalled->filePath(u"morvane"_s),
                      QStringList{u"/auto"_s, u"PNG"_s} + names);
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!FStandIn->Children(u"magick"_s).isEmpty(), 30000);

        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);

        QVERIFY(program.waitForFinished(30000));
        // Ended by a signal, the exit code is the signal's number.
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), signal);
        QList<qint64> processes = FStandIn->Children(u"magick"_s);
        for (const TStandInCall& call : FStandIn->Calls())
            processes << call.ProcessId;
        // Killed, a hanging child may take a moment to die.
        QTRY_VERIFY(std::ranges::none_of(processes, IsRunning));
        QCOMPARE(QDir(FPics->path()).entryList({u"*.png"_s}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TMorvaneProgramTest)
#include "tst_morvaneprogram.moc"
