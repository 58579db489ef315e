#include "convert/RunProcess.h"

#include "ProcessState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {
const QString Shell = u"/bin/sh"_s;

QString WriteScript(const QString& folder, const QString& name, const QByteArray& body)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body + '\n');
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

QList<qint64> ProcessesIn(const QString& listFile)
{
    QFile list(listFile);
    QList<qint64> processes;
    if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : list.readAll().split('\n')) {
            if (!line.trimmed().isEmpty())
                processes << line.trimmed().toLongLong();
        }
    }
    return processes;
}

// A program that starts a child of its own, notes both in listFile, and waits long.
QStringList HangingScript(const QString& listFile)
{
    const QString list = QString::fromUtf8(QFile::encodeName(listFile));
    return {u"-c"_s, u"sleep 120 & echo $! >> '%1'; echo $$ >> '%1'; wait"_s.arg(list)};
}
} // namespace

Q_DECLARE_METATYPE(TProgramEnd)

class TRunProcessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void output_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");

        QTest::newRow("standard error only") << u"printf err >&2"_s << QStringList() << u"err"_s;
        QTest::newRow("both channels in order")
            << u"printf 1; printf 2 >&2; printf 3"_s << QStringList() << u"123"_s;
        QTest::newRow("nothing written") << u"true"_s << QStringList() << QString();
        QTest::newRow("zero byte kept whole")
            << u"printf 'a\\000b'"_s << QStringList() << QString(u"a\0b"_s);
        QTest::newRow("invalid UTF-8 replaced")
            << u"printf 'a\\377b'"_s << QStringList() << u"a\uFFFDb"_s;
        QTest::newRow("arguments arrive whole")
            << u"printf '%s|' \"$@\""_s
            << QStringList{u"a \"b\"  c"_s, u"한글 😀"_s, u"-x"_s, QString(), u"50%d"_s}
            << u"a \"b\"  c|한글 😀|-x||50%d|"_s;
        QTest::newRow("standard input is empty") << u"cat"_s << QStringList() << QString();
        QTest::newRow("more than a pipe holds") << u"head -c 300000 /dev/zero | tr '\\000' x"_s
                                                << QStringList() << QString(300000, u'x');
    }
    void output()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(RunProcess(Shell, QStringList{u"-c"_s, script, u"sh"_s} + arguments), expected);
    }

    void programThatCannotStartGivesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << u"missing"_s;
        QTest::newRow("not a program") << u"plain.txt"_s;
        QTest::newRow("empty path") << QString();
    }
    void programThatCannotStartGivesNothing()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        QFile plain(folder.filePath(u"plain.txt"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("echo started\n");
        plain.close();
        const QString program = name.isEmpty() ? QString() : folder.filePath(name);
        QCOMPARE(RunProcess(program, {u"x"_s}), QString());
    }

    void runsInTheProgramsFolder()
    {
        QTemporaryDir folder;
        const QString script = WriteScript(folder.path(), u"where"_s, "pwd -P");
        const QString expected = QDir(folder.path()).canonicalPath() + u'\n';
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QDir::rootPath());
        const QString output = RunProcess(script, {});
        QDir::setCurrent(previous);
        QCOMPARE(output, expected);
    }

    void howItEnded_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TProgramEnd>("end");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("isClean");
        QTest::addColumn<QString>("reason");

        QTest::newRow("silent with status 0")
            << u"true"_s << TProgramEnd::Exited << 0 << true << QString();
        QTest::newRow("printed with status 0")
            << u"echo warning"_s << TProgramEnd::Exited << 0 << false << u"warning"_s;
        QTest::newRow("silent with status 1")
            << u"exit 1"_s << TProgramEnd::Exited << 1 << false << u"sh ended with status 1"_s;
        QTest::newRow("printed its reason with status 1")
            << u"echo 'write error' >&2; exit 1"_s << TProgramEnd::Exited << 1 << false
            << u"write error"_s;
        QTest::newRow("killed by a signal") << u"kill -SEGV $$"_s << TProgramEnd::Crashed << 11
                                            << false << u"sh was stopped by signal 11"_s;
        QTest::newRow("blank lines") << u"printf '\\n \\n'"_s << TProgramEnd::Exited << 0 << false
                                     << u"sh printed blank lines"_s;
    }
    void howItEnded()
    {
        QFETCH(QString, script);
        QFETCH(TProgramEnd, end);
        QFETCH(int, code);
        QFETCH(bool, isClean);
        QFETCH(QString, reason);
        const TProgramResult result = RunProgram(Shell, {u"-c"_s, script});
        QCOMPARE(result.End, end);
        QCOMPARE(result.Code, code);
        QCOMPARE(result.IsClean(), isClean);
        QCOMPARE(result.FailureReason(), reason);
    }

    void programThatCannotStartSaysSo()
    {
        QTemporaryDir folder;
        const QString program = WriteScript(folder.path(), u"garbage"_s, "");
        QFile(program).open(QIODevice::WriteOnly | QIODevice::Truncate);
        const TProgramResult result = RunProgram(program, {});
        QCOMPARE(result.End, TProgramEnd::NotStarted);
        QVERIFY2(result.FailureReason().startsWith(u"could not start garbage: "_s),
                 qPrintable(result.FailureReason()));
        QVERIFY(result.StartError.size() > 0);
    }

    // The program and the child it started end at the time limit; before, the child lived on.
    void timeLimitEndsTheProgramWithWhatItStarted()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath(u"processes"_s);
        TProgramSettings settings;
        settings.TimeLimit = 300ms;
        const TProgramResult result = RunProgram(Shell, HangingScript(list), settings);
        QCOMPARE(result.End, TProgramEnd::TimedOut);
        QCOMPARE(result.FailureReason(), u"stopped after 300 milliseconds"_s);
        const QList<qint64> processes = ProcessesIn(list);
        QCOMPARE(processes.size(), 2);
        for (const qint64 process : processes)
            QTRY_VERIFY(!IsRunning(process));
    }

    void stopRequestEndsTheProgramWithWhatItStarted()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath(u"processes"_s);
        TProgramSettings settings;
        TProgramResult result;
        std::thread runner([&] { result = RunProgram(Shell, HangingScript(list), settings); });
        QTRY_COMPARE(ProcessesIn(list).size(), 2);
        settings.Stop.RequestStop();
        runner.join();
        QCOMPARE(result.End, TProgramEnd::Stopped);
        QCOMPARE(result.FailureReason(), u"interrupted"_s);
        for (const qint64 process : ProcessesIn(list))
            QTRY_VERIFY(!IsRunning(process));
    }

    void stoppedBeforeItStartsRunsNothing()
    {
        QTemporaryDir folder;
        TProgramSettings settings;
        settings.Stop.RequestStop();
        const QString marker = folder.filePath(u"ran"_s);
        const TProgramResult result =
            RunProgram(Shell, {u"-c"_s, u"touch \"$1\""_s, u"sh"_s, marker}, settings);
        QCOMPARE(result.End, TProgramEnd::Stopped);
        QVERIFY(!QFile::exists(marker));
    }

    // A terminal's Ctrl+C goes to its foreground group: the programs must not be in ours.
    void programRunsInAGroupOfItsOwn()
    {
        const QString printed =
            RunProcess(Shell, {u"-c"_s, u"set -- $(cat /proc/$$/stat); echo \"$1 $5\""_s});
        const QStringList ids = printed.split(u' ');
        QCOMPARE(ids.size(), 2);
        QCOMPARE(ids[1].trimmed(), ids[0]);
        QVERIFY(ids[0].toLongLong() != qint64(getpgrp()));
    }

    void programRunsInTheWorkingFolderGiven()
    {
        QTemporaryDir folder;
        TProgramSettings settings;
        settings.WorkingFolder = folder.path();
        QCOMPARE(RunProgram(Shell, {u"-c"_s, u"pwd -P"_s}, settings).Printed,
                 QDir(folder.path()).canonicalPath() + u'\n');
    }

    // Variables added for the programs come on top of everything the caller has; before, adding
    // one left the program with nothing else, not even PATH.
    void callersEnvironmentReachesTheProgram()
    {
        qputenv("MORVANE_TEST_INHERITED", "from the caller");
        TProgramSettings settings;
        settings.AddedVariables.insert(u"MAGICK_THREAD_LIMIT"_s, u"1"_s);
        const TProgramResult result = RunProgram(
            Shell,
            {u"-c"_s,
             u"printf '%s|%s|%s' \"$MORVANE_TEST_INHERITED\" \"$MAGICK_THREAD_LIMIT\" \"$PATH\""_s},
            settings);
        qunsetenv("MORVANE_TEST_INHERITED");
        QCOMPARE(result.Printed, u"from the caller|1|"_s + qEnvironmentVariable("PATH"));
    }
};

QTEST_GUILESS_MAIN(TRunProcessTest)
#include "tst_runprocess.moc"
