#include "base/Version.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"

#include "PicFixture.h"
#include "ProcessState.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace {
struct TCliRun
{
    int ExitCode = -1;
    // The signal that ended it, 0 when it ended by itself.
    int Signal = 0;
    QStringList Lines;
    QString Errors;
};

// A shell script in place of ImageMagick: ImageMagick's output is its last argument.
void WriteMagickScript(const QString& folder, const QByteArray& body)
{
    const QString script = QDir(folder).filePath(u"magick"_s);
    QVERIFY(WriteFile(script, "#!/bin/sh\neval \"output=\\${$#}\"\n" + body + '\n'));
    QVERIFY(QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner));
}

class TCliProcess
{
public:
    // toolPath: the PATH the program sees; empty keeps the test's own.
    TCliProcess(const QStringList& arguments, const QString& toolPath,
                const QString& workingFolder = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!toolPath.isEmpty())
            environment.insert(u"PATH"_s, toolPath);
        environment.insert(u"MORVANE_TEST_VARIABLE"_s, u"from the caller"_s);
        FProcess.setProcessEnvironment(environment);
        FProcess.setWorkingDirectory(workingFolder);
        FProcess.start(QStringLiteral(MORVANE_CLI_PROGRAM), arguments);
    }

    qint64 ProcessId() const { return FProcess.processId(); }

    TCliRun Finish()
    {
        FProcess.waitForFinished(-1);
        TCliRun run;
        const bool isSignalled = FProcess.exitStatus() == QProcess::CrashExit;
        run.ExitCode = isSignalled ? -1 : FProcess.exitCode();
        run.Signal = isSignalled ? FProcess.exitCode() : 0;
        run.Lines = QString::fromUtf8(FProcess.readAllStandardOutput()).split(u'\n');
        if (run.Lines.last().isEmpty())
            run.Lines.removeLast();
        run.Errors = QString::fromUtf8(FProcess.readAllStandardError());
        return run;
    }

private:
    QProcess FProcess;
};

TCliRun RunCli(const QStringList& arguments, const QString& toolPath,
               const QString& workingFolder = {})
{
    return TCliProcess(arguments, toolPath, workingFolder).Finish();
}

// Every file below folder, by its path relative to it, with its size.
QMap<QString, qint64> FilesWithSizes(const QString& folder)
{
    QMap<QString, qint64> files;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        entries.next();
        files.insert(QDir(folder).relativeFilePath(entries.filePath()), entries.fileInfo().size());
    }
    return files;
}

bool CopyFolder(const QString& from, const QString& to)
{
    QDirIterator entries(from, QDir::Files, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        entries.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(entries.filePath()));
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(entries.filePath(), target))
            return false;
    }
    return true;
}

QString VendorFolder()
{
    return QDir::toNativeSeparators(QFileInfo(QStringLiteral(MORVANE_CLI_PROGRAM)).path() +
                                    u"/vendor"_s);
}
} // namespace

// morvane-cli run as a separate program, with stand-in tools on its PATH or with the real ones.
class TCliTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    TTestHome FHome;
    // Made once: a folder for the usage tests and a mixed folder for the real tools.
    QTemporaryDir FSamples;

    QString Sample(const QString& name) const { return FSamples.filePath(name); }

    // Each holds its own name, which tells the stand-ins which file they read.
    void MakePics(const QStringList& names) const
    {
        for (const QString& name : names) {
            QVERIFY(QDir().mkpath(QFileInfo(Pic(name)).path()));
            QVERIFY(WriteFile(Pic(name), name.toUtf8()));
        }
    }
    // Three files, two jobs, and an ImageMagick that hangs with a child of its own.
    TCliProcess StartHangingBatch(TStandIn& standIn) const
    {
        MakePics({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s});
        standIn.SetHangs(u"magick"_s);
        return TCliProcess({u"-j"_s, u"2"_s, u"PNG"_s, u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s},
                           standIn.Folder(), Pics());
    }

    bool MakeImage(const TConvertTools& tools, const QString& name,
                   const QStringList& arguments) const
    {
        return RunProcess(tools.ImageMagick, arguments + QStringList{Sample(name)}).isEmpty() &&
               QFile::exists(Sample(name));
    }

    bool MakePdf(const TConvertTools& tools, const QString& name,
                 const QByteArray& postScript) const
    {
        const QString source = Sample(u"document.ps"_s);
        return WriteFile(source, postScript) &&
               RunProcess(tools.Ghostscript,
                          {u"-q"_s, u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dSAFER"_s,
                           u"-sDEVICE=pdfwrite"_s, u"-sOutputFile="_s + Sample(name), source})
                   .isEmpty() &&
               QFile::remove(source);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(Sample(u"usage"_s)));
        QVERIFY(WriteFile(Sample(u"usage/photo.jpg"_s), "x"));

        const TConvertTools tools = TConvertTools::Installed();
        QVERIFY2(!tools.ImageMagick.isEmpty() && !tools.JpegEncoder.isEmpty() &&
                     !tools.Ghostscript.isEmpty(),
                 "ImageMagick, cjpeg and Ghostscript must be installed");
        // Names that compete for the same outputs: a stem in several types, a numbered copy, a
        // PDF's page name, the same name in a subfolder; and a file that fails.
        QVERIFY(QDir().mkpath(Sample(u"mixed/sub"_s)));
        QVERIFY(MakeImage(tools, u"mixed/photo.jpg"_s, {u"-size"_s, u"64x48"_s, u"plasma:"_s}));
        QVERIFY(MakeImage(tools, u"mixed/photo.png"_s, {u"-size"_s, u"32x32"_s, u"xc:blue"_s}));
        QVERIFY(MakeImage(tools, u"mixed/photo (1).gif"_s,
                          {u"-size"_s, u"16x16"_s, u"gradient:red-blue"_s}));
        QVERIFY(MakeImage(tools, u"mixed/doc-002.jpg"_s, {u"-size"_s, u"20x30"_s, u"xc:green"_s}));
        QVERIFY(MakeImage(tools, u"mixed/sub/photo.jpg"_s, {u"-size"_s, u"40x30"_s, u"plasma:"_s}));
        QVERIFY(WriteFile(Sample(u"mixed/garbage.jpg"_s), "not an image, only its name says so"));
        // Coloured pages: ImageMagick warns about a grey page with Ghostscript's RGB profile.
        const QByteArray setup = "<< /PageSize [36 36] >> setpagedevice 1 0 0 setrgbcolor ";
        const QByteArray page = "0 0 18 18 rectfill showpage ";
        QVERIFY(MakePdf(tools, u"mixed/doc.pdf"_s, setup + page + page + page));
    }

    void init() { NewPicFolder(); }
    void cleanup() { RemovePicFolder(); }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        const QString folder = Sample(u"usage"_s);
        QTest::newRow("nothing") << QStringList() << u"FORMAT and PATH are missing"_s;
        QTest::newRow("no path") << QStringList{u"PNG"_s} << u"PATH is missing"_s;
        QTest::newRow("quality below 40")
            << QStringList{u"-q"_s, u"39"_s, u"PNG"_s, folder} << u"quality must be"_s;
        QTest::newRow("quality above 100")
            << QStringList{u"--quality"_s, u"101"_s, u"PNG"_s, folder} << u"quality must be"_s;
        QTest::newRow("quality not a number")
            << QStringList{u"-q"_s, u"high"_s, u"PNG"_s, folder} << u"quality must be"_s;
        QTest::newRow("width 0") << QStringList{u"-w"_s, u"0"_s, u"PNG"_s, folder}
                                 << u"width must be"_s;
        QTest::newRow("no jobs") << QStringList{u"--jobs"_s, u"0"_s, u"PNG"_s, folder}
                                 << u"jobs must be"_s;
        QTest::newRow("no time") << QStringList{u"--time-limit"_s, u"0"_s, u"PNG"_s, folder}
                                 << u"the time limit must be"_s;
        QTest::newRow("unknown option")
            << QStringList{u"--colour"_s, u"PNG"_s, folder} << u"Unknown option 'colour'"_s;
        QTest::newRow("empty format") << QStringList{QString(), folder} << u"FORMAT must be"_s;
        QTest::newRow("format leading elsewhere")
            << QStringList{u"../../png"_s, folder} << u"FORMAT must be"_s;
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const TStandIn standIn;
        const TCliRun run = RunCli(arguments, standIn.Folder());
        QCOMPARE(run.ExitCode, 2);
        QVERIFY2(run.Errors.startsWith(u"morvane-cli: "_s + message), qPrintable(run.Errors));
        QVERIFY(run.Errors.contains(u"Usage: "_s));
        QCOMPARE(run.Lines, QStringList());
        QVERIFY(standIn.Calls().isEmpty());
    }

    void versionHasFourParts()
    {
        const TCliRun run = RunCli({u"--version"_s}, {});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Lines, QStringList{u"morvane-cli "_s + GetFileVersion("%d.%d.%d.%d")});
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("summary");

        QTest::newRow("every file converted") << QStringList{u"in/a.jpg"_s, u"in/b.gif"_s}
                                              << u"in"_s << 0 << u"2 converted, 0 failed"_s;
        QTest::newRow("one file failed") << QStringList{u"in/a.jpg"_s, u"in/broken.jpg"_s}
                                         << u"in"_s << 1 << u"1 converted, 1 failed"_s;
        QTest::newRow("no image file found")
            << QStringList{u"in/notes.txt"_s} << u"in"_s << 1 << u"0 converted, 0 failed"_s;
        QTest::newRow("path not there")
            << QStringList() << u"missing"_s << 1 << u"0 converted, 0 failed"_s;
    }
    void exitStatus()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, path);
        QFETCH(int, exitCode);
        QFETCH(QString, summary);
        MakePics(files);
        TStandIn standIn;
        standIn.SetWritesNothing(u"magick"_s, u"broken"_s);
        const TCliRun run = RunCli({u"PNG"_s, Pic(path)}, standIn.Folder());
        QCOMPARE(run.ExitCode, exitCode);
        QCOMPARE(run.Lines.last(), summary);
    }

    void linePerFileInArgumentOrder()
    {
        MakePics({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.pdf"_s});
        TStandIn standIn;
        standIn.SetWritesNothing(u"magick"_s, u"b.jpg"_s);
        standIn.SetPages(1, 3);
        const TCliRun run =
            RunCli({u"-j"_s, u"4"_s, u"PNG"_s, u"d.pdf"_s, u"c.jpg"_s, u"b.jpg"_s, u"./a.jpg"_s},
                   standIn.Folder(), Pics());
        QCOMPARE(run.Lines, QStringList({u"ok\td.pdf"_s, u"ok\tc.jpg"_s,
                                         u"fail\tb.jpg\tno output was written"_s, u"ok\t./a.jpg"_s,
                                         u"3 converted, 1 failed"_s}));
        QVERIFY(QFile::exists(Pic(u"d-003.png"_s)));
    }

    void optionsReachThePrograms_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("quality by default")
            << QStringList{u"JPG"_s} << u"cjpeg"_s << QStringList{u"-quality"_s, u"75"_s};
        QTest::newRow("quality") << QStringList{u"-q"_s, u"90"_s, u"JPG"_s} << u"cjpeg"_s
                                 << QStringList{u"-quality"_s, u"90"_s};
        QTest::newRow("width") << QStringList{u"--width"_s, u"300"_s, u"PNG"_s} << u"magick"_s
                               << QStringList{u"-resize"_s, u"300x"_s};
        QTest::newRow("photo information removed")
            << QStringList{u"--strip"_s, u"PNG"_s} << u"magick"_s
            << QStringList{u"+profile"_s, u"!icc,*"_s, u"+set"_s, u"comment"_s};
    }
    void optionsReachThePrograms()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, program);
        QFETCH(QStringList, expected);
        MakePics({u"a.png"_s});
        const TStandIn standIn;
        QCOMPARE(RunCli(options << Pic(u"a.png"_s), standIn.Folder()).ExitCode, 0);
        bool found = false;
        for (const TStandInCall& call : standIn.Calls()) {
            const qsizetype at = call.Arguments.indexOf(expected.first());
            found = found || (call.Program == program && at >= 0 &&
                              call.Arguments.mid(at, expected.size()) == expected);
        }
        QVERIFY(found);
    }

    void outputFolder_data()
    {
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("created with its parents") << u"out/made/here"_s << 0;
        QTest::newRow("under a file: cannot be made") << u"a.jpg/out"_s << 1;
    }
    void outputFolder()
    {
        QFETCH(QString, outputFolder);
        QFETCH(int, exitCode);
        MakePics({u"a.jpg"_s});
        const TStandIn standIn;
        const TCliRun run =
            RunCli({u"-o"_s, Pic(outputFolder), u"PNG"_s, Pic(u"a.jpg"_s)}, standIn.Folder());
        QCOMPARE(run.ExitCode, exitCode);
        QCOMPARE(QFile::exists(Pic(outputFolder + u"/a.png"_s)), exitCode == 0);
        QVERIFY(!QFile::exists(Pic(u"a.png"_s)));
        if (exitCode != 0) {
            QVERIFY(run.Errors.contains(u"cannot create the output folder"_s));
            QVERIFY(standIn.Calls().isEmpty());
        }
    }

    // With --keep-tree a named folder is made again under -o by its own name, with the folders
    // below it; nothing is written anywhere else. Without it, or for a file named by itself,
    // outputs go straight into the output folder.
    void keptTree_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("outputs");

        const QStringList tree{u"Trip/a.png"_s, u"Trip/Day 1/b.png"_s,
                               u"Trip/Day 1/Morning/c.png"_s, u"Trip/.../d.png"_s};
        QTest::newRow("two levels") << QStringList{u"--keep-tree"_s, u"Trip"_s} << tree;
        QTest::newRow("named with a trailing slash")
            << QStringList{u"--keep-tree"_s, u"Trip/"_s} << tree;
        QTest::newRow("named through ..")
            << QStringList{u"--keep-tree"_s, u"Trip/Day 1/.."_s} << tree;
        QTest::newRow("a subfolder named")
            << QStringList{u"--keep-tree"_s, u"Trip/Day 1"_s}
            << QStringList{u"Day 1/b.png"_s, u"Day 1/Morning/c.png"_s};
        QTest::newRow("a file named by itself")
            << QStringList{u"--keep-tree"_s, u"Trip/Day 1/b.jpg"_s} << QStringList{u"b.png"_s};
        QTest::newRow("without the option")
            << QStringList{u"Trip"_s}
            << QStringList{u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d.png"_s};
    }
    void keptTree()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, outputs);
        const QStringList sources{u"Trip/a.jpg"_s, u"Trip/Day 1/b.jpg"_s,
                                  u"Trip/Day 1/Morning/c.jpg"_s, u"Trip/.../d.jpg"_s};
        MakePics(sources);
        const TStandIn standIn;

        const TCliRun run =
            RunCli(QStringList{u"-o"_s, u"out"_s, u"PNG"_s} + arguments, standIn.Folder(), Pics());

        QCOMPARE(run.ExitCode, 0);
        QStringList expected = sources;
        for (const QString& output : outputs)
            expected << u"out/"_s + output;
        expected.sort();
        QCOMPARE(FilesWithSizes(Pics()).keys(), expected);
    }

    // A link on the way, in the tree or in the output folder, never takes an output out of it.
    void keptTreeStaysInTheOutputFolder()
    {
        MakePics({u"Trip/a.jpg"_s, u"other/b.jpg"_s, u"elsewhere/keep.txt"_s});
        QVERIFY(QFile::link(u"../other"_s, Pic(u"Trip/linked"_s)));
        QVERIFY(QDir().mkpath(Pic(u"out"_s)));
        QVERIFY(QFile::link(u"../elsewhere"_s, Pic(u"out/Trip"_s)));
        const TStandIn standIn;

        const TCliRun run = RunCli({u"-o"_s, u"out"_s, u"--keep-tree"_s, u"PNG"_s, u"Trip"_s},
                                   standIn.Folder(), Pics());

        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Lines.size(), 3);
        for (const QString& line : run.Lines.first(2))
            QVERIFY2(line.contains(u"leads outside the output folder"_s), qPrintable(line));
        QCOMPARE(FilesWithSizes(Pic(u"elsewhere"_s)).keys(), QStringList{u"keep.txt"_s});

        // Replaced by a folder of its own, the link in the tree is a folder like any other.
        QVERIFY(QFile::remove(Pic(u"out/Trip"_s)));
        QCOMPARE(RunCli({u"-o"_s, u"out"_s, u"--keep-tree"_s, u"PNG"_s, u"Trip"_s},
                        standIn.Folder(), Pics())
                     .ExitCode,
                 0);
        QCOMPARE(FilesWithSizes(Pic(u"out"_s)).keys(),
                 (QStringList{u"Trip/a.png"_s, u"Trip/linked/b.png"_s}));
        QCOMPARE(FilesWithSizes(Pic(u"elsewhere"_s)).keys(), QStringList{u"keep.txt"_s});
    }

    // Each output gets its source's modification time, to the millisecond.
    void keptDates()
    {
        MakePics({u"a.jpg"_s, u"b.jpg"_s});
        const QDateTime taken(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        {
            QFile file(Pic(u"a.jpg"_s));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(taken, QFileDevice::FileModificationTime));
        }
        const TStandIn standIn;

        QCOMPARE(
            RunCli({u"--keep-dates"_s, u"JPG"_s, u"a.jpg"_s}, standIn.Folder(), Pics()).ExitCode,
            0);
        QCOMPARE(RunCli({u"PNG"_s, u"b.jpg"_s}, standIn.Folder(), Pics()).ExitCode, 0);

        QCOMPARE(QFileInfo(Pic(u"a (1).jpg"_s)).lastModified(), taken);
        QVERIFY(QFileInfo(Pic(u"b.png"_s)).lastModified() > taken.addYears(20));
    }

    void missingProgram_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("lines");

        const QString looked = u" not found: looked for "_s;
        QTest::newRow("ImageMagick")
            << QStringList{u"cjpeg"_s, u"gs"_s} << u"PNG"_s
            << u"ImageMagick"_s + looked + u"magick in "_s + VendorFolder() +
                   u" and for magick or convert on the PATH\n"_s
            << QStringList{u"fail\ta.jpg\tImageMagick not found"_s,
                           u"fail\td.pdf\tImageMagick not found"_s};
        QTest::newRow("cjpeg for JPG")
            << QStringList{u"magick"_s, u"gs"_s} << u"JPG"_s
            << u"cjpeg"_s + looked + u"cjpeg in "_s + VendorFolder() +
                   u" and for cjpeg on the PATH\n"_s
            << QStringList{u"fail\ta.jpg\tcjpeg not found"_s, u"fail\td.pdf\tcjpeg not found"_s};
        QTest::newRow("cjpeg not needed")
            << QStringList{u"magick"_s, u"gs"_s} << u"PNG"_s << QString()
            << QStringList{u"ok\ta.jpg"_s, u"ok\td.pdf"_s};
        QTest::newRow("Ghostscript")
            << QStringList{u"magick"_s, u"cjpeg"_s} << u"PNG"_s
            << u"Ghostscript"_s + looked + u"gs in "_s + VendorFolder() +
                   u" and for gs on the PATH\n"_s
            << QStringList{u"ok\ta.jpg"_s, u"fail\td.pdf\tGhostscript not found"_s};
    }
    void missingProgram()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, format);
        QFETCH(QString, message);
        QFETCH(QStringList, lines);
        MakePics({u"a.jpg"_s, u"d.pdf"_s});
        const TStandIn standIn(programs);
        const TCliRun run = RunCli({format, u"a.jpg"_s, u"d.pdf"_s}, standIn.Folder(), Pics());
        QCOMPARE(run.Errors, message);
        QCOMPARE(run.Lines.mid(0, 2), lines);
    }

    // PostScript is drawn by Ghostscript too: without it, only the EPS file fails.
    void missingGhostscriptForEps()
    {
        MakePics({u"a.jpg"_s});
        QVERIFY(WriteFile(Pic(u"e.eps"_s), "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 9 9\n"));
        const TStandIn standIn({u"magick"_s, u"cjpeg"_s});
        const TCliRun run = RunCli({u"PNG"_s, u"a.jpg"_s, u"e.eps"_s}, standIn.Folder(), Pics());
        QVERIFY2(run.Errors.startsWith(u"Ghostscript not found: "_s), qPrintable(run.Errors));
        QCOMPARE(run.Lines.mid(0, 2),
                 (QStringList{u"ok\ta.jpg"_s, u"fail\te.eps\tGhostscript not found"_s}));
    }

    void oneThreadPerProgramWithSeveralJobs_data()
    {
        QTest::addColumn<QString>("jobs");
        QTest::addColumn<QByteArray>("threadLimit");

        QTest::newRow("one job: as the system says")
            << u"1"_s << QByteArray("unset from the caller\n");
        QTest::newRow("two jobs: one thread each") << u"2"_s << QByteArray("1 from the caller\n");
    }
    void oneThreadPerProgramWithSeveralJobs()
    {
        QFETCH(QString, jobs);
        QFETCH(QByteArray, threadLimit);
        MakePics({u"a.jpg"_s});
        QTemporaryDir tools;
        WriteMagickScript(tools.path(), "echo \"${MAGICK_THREAD_LIMIT-unset} "
                                        "${MORVANE_TEST_VARIABLE-unset}\" > \"$output\"");
        qunsetenv("MAGICK_THREAD_LIMIT");
        QCOMPARE(RunCli({u"-j"_s, jobs, u"PNG"_s, Pic(u"a.jpg"_s)}, tools.path()).ExitCode, 0);
        QCOMPARE(ReadFile(Pic(u"a.png"_s)), threadLimit);
    }

    void twoCommandsOnOneFolderNeverShareAnOutput()
    {
        QStringList names;
        for (int i = 0; i < 12; ++i)
            names << u"photo %1.jpg"_s.arg(i);
        MakePics(names);
        QTemporaryDir tools;
        // Appends its input's first line and a mark, so that an output written twice holds two
        // lines, and an output of the other command read as an input is told apart.
        WriteMagickScript(tools.path(), "IFS= read -r source < \"${1%\\[0\\]}\"\n"
                                        "echo \"$source>\" >> \"$output\"");
        TCliProcess first({u"-j"_s, u"3"_s, u"PNG"_s, Pics()}, tools.path());
        TCliProcess second({u"-j"_s, u"3"_s, u"PNG"_s, Pics()}, tools.path());
        QCOMPARE(first.Finish().ExitCode, 0);
        QCOMPARE(second.Finish().ExitCode, 0);

        QMap<QString, int> outputsOfSource;
        for (const QString& output : QDir(Pics()).entryList({u"*.png"_s})) {
            const QByteArray content = ReadFile(Pic(output));
            QVERIFY2(content.count('\n') == 1, qPrintable(output));
            ++outputsOfSource[QString::fromUtf8(content.trimmed())];
        }
        for (const QString& name : names)
            QCOMPARE(outputsOfSource.value(name + u'>'), 2);
    }

    // The outside programs run in sessions of their own, so a terminal's signal reaches only
    // morvane-cli: it ends the programs under way with what they started, reports every file and
    // the summary, leaves nothing under an output name, and then ends by that signal.
    void stopSignalStopsTheFilesUnderWayAndReportsEveryFile_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT, Ctrl+C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP, a closed terminal") << SIGHUP;
    }
    void stopSignalStopsTheFilesUnderWayAndReportsEveryFile()
    {
        QFETCH(int, signal);
        TStandIn standIn;
        TCliProcess cli = StartHangingBatch(standIn);
        QTRY_COMPARE(standIn.Children(u"magick"_s).size(), 2);
        QCOMPARE(::kill(cli.ProcessId(), signal), 0);

        const TCliRun run = cli.Finish();
        QCOMPARE(run.Signal, signal);
        QCOMPARE(run.Lines,
                 QStringList({u"fail\ta.jpg\tinterrupted"_s, u"fail\tb.jpg\tinterrupted"_s,
                              u"fail\tc.jpg\tinterrupted"_s, u"0 converted, 3 failed"_s}));
        QCOMPARE(QDir(Pics()).entryList({u"*.png"_s}), QStringList());
        QCOMPARE(FHome.ScratchEntries(), QStringList());
        for (const TStandInCall& call : standIn.Calls())
            QTRY_VERIFY(!IsRunning(call.ProcessId));
        for (const qint64 child : standIn.Children(u"magick"_s))
            QTRY_VERIFY(!IsRunning(child));
    }

    // Killed outright mid-batch, morvane-cli takes its programs with it and leaves nothing under
    // an output name; the next run removes the work folders it left.
    void killedMidBatchLeavesNothingBehind()
    {
        TStandIn standIn;
        TCliProcess cli = StartHangingBatch(standIn);
        QTRY_COMPARE(standIn.Children(u"magick"_s).size(), 2);
        QCOMPARE(::kill(cli.ProcessId(), SIGKILL), 0);
        cli.Finish();

        for (const TStandInCall& call : standIn.Calls())
            QTRY_VERIFY(!IsRunning(call.ProcessId));
        QCOMPARE(QDir(Pics()).entryList({u"*.png"_s}), QStringList());
        QCOMPARE(FHome.ScratchEntries().size(), 2);

        QVERIFY(QFile::remove(standIn.Folder() + u"/magick.hang"_s));
        const TCliRun next = RunCli({u"PNG"_s, u"a.jpg"_s}, standIn.Folder(), Pics());
        QCOMPARE(next.Lines, (QStringList{u"ok\ta.jpg"_s, u"1 converted, 0 failed"_s}));
        QCOMPARE(QDir(Pics()).entryList({u"*.png"_s}), QStringList{u"a.png"_s});
        QCOMPARE(FHome.ScratchEntries(), QStringList());
    }

    void timeLimitEndsAProgramThatHangs()
    {
        MakePics({u"a.jpg"_s});
        TStandIn standIn;
        standIn.SetHangs(u"magick"_s);
        const TCliRun run =
            RunCli({u"--time-limit"_s, u"1"_s, u"PNG"_s, u"a.jpg"_s}, standIn.Folder(), Pics());
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Lines, (QStringList{u"fail\ta.jpg\tstopped after 1 second"_s,
                                         u"0 converted, 1 failed"_s}));
        for (const qint64 child : standIn.Children(u"magick"_s))
            QTRY_VERIFY(!IsRunning(child));
    }

    void sameOutputsWithOneJobAndWithFour_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("intoOneFolder");

        QTest::newRow("PNG beside the sources") << u"PNG"_s << false;
        QTest::newRow("JPG into one folder") << u"JPG"_s << true;
    }
    void sameOutputsWithOneJobAndWithFour()
    {
        QFETCH(QString, format);
        QFETCH(bool, intoOneFolder);
        const auto convert = [&](const QString& folder, const QString& jobs) {
            const QString copy = Pic(folder);
            if (!CopyFolder(Sample(u"mixed"_s), copy))
                return TCliRun();
            QStringList arguments{u"-j"_s, jobs, format};
            if (intoOneFolder)
                arguments << u"-o"_s << copy + u"/out"_s;
            // Named one by one: two folders need not list their entries in the same order.
            for (const QString& entry :
                 QDir(copy).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name))
                arguments << copy + u'/' + entry;
            TCliRun run = RunCli(arguments, {});
            // Status and path; a program's message may name a scratch file.
            for (QString& line : run.Lines)
                line = line.section(u'\t', 0, 1).replace(copy, u"<folder>"_s);
            return run;
        };
        const TCliRun oneJob = convert(u"one"_s, u"1"_s);
        const TCliRun fourJobs = convert(u"four"_s, u"4"_s);

        QCOMPARE(oneJob.ExitCode, 1);
        QCOMPARE(oneJob.Lines.last(), u"6 converted, 1 failed"_s);
        QCOMPARE(fourJobs.Lines, oneJob.Lines);
        QCOMPARE(FilesWithSizes(Pic(u"four"_s)), FilesWithSizes(Pic(u"one"_s)));
    }
};

QTEST_GUILESS_MAIN(TCliTest)
#include "tst_cli.moc"
