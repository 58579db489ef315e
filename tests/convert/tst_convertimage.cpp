#include "convert/ConvertArguments.h"
#include "convert/Converter.h"
#include "files/FilePlatform.h"
#include "files/WorkFolder.h"
#include "output/OutputFolder.h"
#include "output/OutputName.h"

#include "HomeFixture.h"
#include "ProcessState.h"
#include "StandIn.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <latch>
#include <optional>
#include <thread>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {
const QStringList AllPrograms{u"magick"_s, u"cjpeg"_s, u"gs"_s};

// Entries as "kind:name": file (holding "existing"), folder, link (to a file) or dangling (link).
void MakeEntries(const QDir& folder, const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QString kind = entry.section(u':', 0, 0);
        const QString path = folder.filePath(entry.section(u':', 1));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (kind == u"file")
            QVERIFY(WriteFile(path, "existing"));
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == u"link")
            QVERIFY(QFile::link(folder.filePath(u"target.txt"_s), path));
        else if (kind == u"dangling")
            QVERIFY(QFile::link(folder.filePath(u"never-made"_s), path));
    }
    QVERIFY(WriteFile(folder.filePath(u"target.txt"_s), "target"));
}

enum class TMisbehaviour
{
    // Prints the text, still writing its output.
    Prints,
    WritesNothing,
    // Writes its output, prints the text, then ends with status 1.
    FailsAfterWriting,
    // Writes its output, then kills itself with SIGSEGV.
    Crashes,
    // Is a file that cannot be run.
    CannotStart
};

void Misbehave(TStandIn& standIn, const QString& program, TMisbehaviour misbehaviour,
               const QString& printed)
{
    switch (misbehaviour) {
    case TMisbehaviour::Prints:
        standIn.SetPrinted(program, printed);
        break;
    case TMisbehaviour::WritesNothing:
        standIn.SetWritesNothing(program);
        break;
    case TMisbehaviour::FailsAfterWriting:
        standIn.SetPrinted(program, printed);
        standIn.SetExitStatus(program, 1);
        break;
    case TMisbehaviour::Crashes:
        standIn.SetEndsBySignal(program, SIGSEGV);
        break;
    case TMisbehaviour::CannotStart:
        QFile::remove(standIn.Folder() + u'/' + program);
        QVERIFY(WriteFile(standIn.Folder() + u'/' + program, "neither a program nor a script"));
        QFile::setPermissions(standIn.Folder() + u'/' + program,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        break;
    }
}

// A JPEG holding only an ICC profile whose pixels are in `colourSpace` ("RGB ", "CMYK"), as far as
// a metadata reader looks: up to the start of the picture data.
QByteArray JpegWithProfile(const QByteArray& colourSpace)
{
    QByteArray profile(132, '\0');
    profile[3] = char(profile.size());
    profile.replace(16, 4, colourSpace);
    profile.replace(36, 4, "acsp");
    const QByteArray segment = QByteArray("ICC_PROFILE\0\x01\x01", 14) + profile;
    const qsizetype length = segment.size() + 2;
    return QByteArray("\xFF\xD8\xFF\xE2") + char(length >> 8) + char(length & 0xFF) + segment +
           QByteArray("\xFF\xDA\x00\x02\xFF\xD9", 6);
}

TConvertOptions Stripped(TConvertOptions options)
{
    options.PhotoInformation = TPhotoInformation::Remove;
    return options;
}

TConvertOptions Options(const QString& format, TResizeWidth resize = TResizeWidth::Off,
                        int width = 540, int quality = 75)
{
    TConvertOptions options;
    options.Format = format;
    options.ResizeWidth = resize;
    options.Width = width;
    options.Quality = quality;
    return options;
}
} // namespace

Q_DECLARE_METATYPE(TMisbehaviour)

class TConvertImageTest : public THomeAndPicsTest
{
    Q_OBJECT

private:
    // A source file of that name, made when missing.
    QString Source(const QString& name) const
    {
        if (!QFile::exists(Pic(name)))
            static_cast<void>(WriteFile(Pic(name), "source"));
        return Pic(name);
    }
    static TConverter Converter(const TStandIn& standIn, const TConvertOptions& options)
    {
        return TConverter(TConvertTools::InFolder(standIn.Folder()), options);
    }
    // A private folder under the scratch folder, as a pattern.
    QString WorkFolderPattern() const
    {
        return u"^"_s + QRegularExpression::escape(FHome->ScratchFolder()) +
               u"/convert-[A-Za-z0-9]{6}$"_s;
    }
    bool IsOtherFileSystem(const QTemporaryDir& folder) const
    {
        struct stat here = {};
        struct stat there = {};
        return folder.isValid() && ::stat(QFile::encodeName(Pics()).constData(), &here) == 0 &&
               ::stat(QFile::encodeName(folder.path()).constData(), &there) == 0 &&
               here.st_dev != there.st_dev;
    }
    // A whole file in a work folder of its own, as a conversion leaves it.
    QString MadeOutput(const QString& folder, const QByteArray& content = "whole") const
    {
        const QString made = folder + u"/output.png"_s;
        if (!WriteFile(made, content))
            qFatal("cannot write %s", qPrintable(made));
        return made;
    }

private Q_SLOTS:
    void outputFileName_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("expected");

        QTest::newRow("beside the source")
            << u"a.jpg"_s << u"PNG"_s << QString() << QStringList() << u"a.png"_s;
        QTest::newRow("extension in lower case")
            << u"a.jpg"_s << u"TIFF"_s << QString() << QStringList() << u"a.tiff"_s;
        QTest::newRow("only A to Z lowered")
            << u"a.jpg"_s << u"WEBPÄ"_s << QString() << QStringList() << u"a.webpÄ"_s;
        QTest::newRow("numbered past existing files")
            << u"a.jpg"_s << u"PNG"_s << QString()
            << QStringList{u"file:a.png"_s, u"file:a (1).png"_s} << u"a (2).png"_s;
        QTest::newRow("a link to a file counts") << u"a.jpg"_s << u"PNG"_s << QString()
                                                 << QStringList{u"link:a.png"_s} << u"a (1).png"_s;
        QTest::newRow("a folder of that name does not count")
            << u"a.jpg"_s << u"PNG"_s << QString() << QStringList{u"folder:a.png"_s} << u"a.png"_s;
        QTest::newRow("output folder")
            << u"a.jpg"_s << u"PNG"_s << u"out"_s << QStringList() << u"out/a.png"_s;
        QTest::newRow("output folder with trailing delimiter")
            << u"a.jpg"_s << u"PNG"_s << u"out/"_s << QStringList{u"file:out/a.png"_s}
            << u"out/a (1).png"_s;
        QTest::newRow("stem without extension")
            << u"scan"_s << u"PNG"_s << QString() << QStringList() << u"scan.png"_s;
        QTest::newRow("stem with several dots")
            << u"a.b.jpg"_s << u"PNG"_s << QString() << QStringList() << u"a.b.png"_s;
    }
    void outputFileName()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QString, outputFolder);
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        MakeEntries(QDir(Pics()), entries);
        const QString folder = outputFolder.isEmpty() ? QString() : Pic(outputFolder);
        QCOMPARE(GetOutputFileName(Pic(source), extension, folder), Pic(expected));
    }

    void claimNeverTakesAnOccupiedName_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("expected");

        QTest::newRow("free") << QStringList() << u"a.png"_s;
        QTest::newRow("file") << QStringList{u"file:a.png"_s} << u"a (1).png"_s;
        QTest::newRow("dangling link") << QStringList{u"dangling:a.png"_s} << u"a (1).png"_s;
        QTest::newRow("folder") << QStringList{u"folder:a.png"_s} << u"a (1).png"_s;
    }
    void claimNeverTakesAnOccupiedName()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        MakeEntries(QDir(Pics()), entries);
        const QString made = MadeOutput(Pic(u"work"_s));
        const TResult<QString> claimed = ClaimOutputFile(made, Pic(u"a.jpg"_s), u"PNG"_s, {});
        QCOMPARE(claimed.Value(), Pic(expected));
        QCOMPARE(ReadFile(claimed.Value()), QByteArray("whole"));
        QVERIFY(!QFile::exists(made));
        QVERIFY(!QFile::exists(Pic(u"never-made"_s)));
        if (entries.value(0).startsWith(u"file:"))
            QCOMPARE(ReadFile(Pic(u"a.png"_s)), QByteArray("existing"));
    }

    void claimPassesAFileMadeMeanwhile()
    {
        const QString chosen = GetOutputFileName(Pic(u"a.jpg"_s), u"PNG"_s, {});
        QVERIFY(WriteFile(chosen, "theirs"));
        const TResult<QString> claimed =
            ClaimOutputFile(MadeOutput(Pic(u"work"_s)), Pic(u"a.jpg"_s), u"PNG"_s, {});
        QCOMPARE(claimed.Value(), Pic(u"a (1).png"_s));
        QCOMPARE(ReadFile(chosen), QByteArray("theirs"));
    }

    void claimFailsWithoutAFolder()
    {
        const QString made = MadeOutput(Pic(u"work"_s));
        const TResult<QString> claimed =
            ClaimOutputFile(made, Pic(u"a.jpg"_s), u"PNG"_s, Pic(u"missing/deeper"_s));
        QVERIFY(!claimed.IsOk());
        QCOMPARE(claimed.Reason(), u"could not write into "_s + Pic(u"missing/deeper"_s) +
                                       u": No such file or directory"_s);
        QVERIFY(QFile::exists(made));
    }

    // The cache and the photos on two file systems: the output is copied into a hidden folder of
    // the output folder and named from there. Such folders that a killed run left are removed;
    // one that another run holds is not.
    void claimFromAnotherFileSystem()
    {
        QTemporaryDir otherSystem(u"/dev/shm/morvane-test-XXXXXX"_s);
        if (!IsOtherFileSystem(otherSystem))
            QSKIP("No second file system (/dev/shm) to work on.");
        const QString abandoned = Pic(u".morvane-part-Ab12Cd"_s);
        const QString held = Pic(u".morvane-part-Ef34Gh"_s);
        QVERIFY(WriteFile(MadeOutput(abandoned), "left by a killed run"));
        MadeOutput(held);
        const std::unique_ptr<TFolderLock> otherRun = TFolderLock::TryLock(held);
        QVERIFY(otherRun);

        const QString made = MadeOutput(otherSystem.filePath(u"work"_s), QByteArray(3000000, 'x'));
        // An output given its source's date keeps it across the copy.
        const QDateTime taken(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        {
            QFile file(made);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(taken, QFileDevice::FileModificationTime));
        }
        const TResult<QString> claimed = ClaimOutputFile(made, Pic(u"a.jpg"_s), u"PNG"_s, {});

        QCOMPARE(claimed.Value(), Pic(u"a.png"_s));
        QCOMPARE(ReadFile(Pic(u"a.png"_s)), QByteArray(3000000, 'x'));
        QCOMPARE(QFileInfo(Pic(u"a.png"_s)).lastModified(), taken);
        QCOMPARE(QDir(Pics()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{u".morvane-part-Ef34Gh"_s, u"a.png"_s}));
        QVERIFY(QFile::exists(held + u"/output.png"_s));
    }

    // A full output disk, stood in for by a limit on file sizes: the copy stops, the reason says
    // why, and neither a part of it nor the hidden folder stays behind.
    void claimIntoAFullFolderLeavesNothing()
    {
        QTemporaryDir otherSystem(u"/dev/shm/morvane-test-XXXXXX"_s);
        if (!IsOtherFileSystem(otherSystem))
            QSKIP("No second file system (/dev/shm) to work on.");
        const QString made = MadeOutput(otherSystem.filePath(u"work"_s), QByteArray(3000000, 'x'));
        rlimit previous = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &previous), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = 1000000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const TResult<QString> claimed = ClaimOutputFile(made, Pic(u"a.jpg"_s), u"PNG"_s, {});
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!claimed.IsOk());
        QCOMPARE(claimed.Reason(), u"could not write into "_s + Pics() + u": File too large"_s);
        QCOMPARE(QDir(Pics()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(QFile::exists(made));
    }

    void generalPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<TConvertOptions>("options");
        QTest::addColumn<int>("scalePercent");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");

        const auto on = TResizeWidth::On;
        const auto off = TResizeWidth::Off;
        QTest::newRow("JPG to PNG")
            << u"a.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"./source.jpg[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"./output.png"_s}
            << u"a.png"_s;
        QTest::newRow("GIF to GIF at a width, the source taking the name")
            << u"b.gif"_s << u"GIF"_s << Options(u"GIF"_s, on, 540) << 0
            << QStringList{u"file:b.gif"_s}
            << QStringList{u"./source.gif"_s, u"-auto-orient"_s, u"-resize"_s,     u"540x"_s,
                           u"-quality"_s,     u"75"_s,           u"./output.gif"_s}
            << u"b (1).gif"_s;
        QTest::newRow("SVG to PNG at a width")
            << u"c.svg"_s << u"SVG"_s << Options(u"PNG"_s, on, 300) << 0 << QStringList()
            << QStringList{u"-background"_s,
                           u"none"_s,
                           u"-density"_s,
                           u"300"_s,
                           u"./source.svg[0]"_s,
                           u"+repage"_s,
                           u"-auto-orient"_s,
                           u"-resize"_s,
                           u"300x"_s,
                           u"./output.png"_s}
            << u"c.png"_s;
        QTest::newRow("SVG without a width")
            << u"c.svg"_s << u"SVG"_s << Options(u"PNG"_s, off, 300) << 0 << QStringList()
            << QStringList{u"-background"_s, u"none"_s,         u"./source.svg[0]"_s,
                           u"+repage"_s,     u"-auto-orient"_s, u"./output.png"_s}
            << u"c.png"_s;
        QTest::newRow("WEBP at 100 is lossless")
            << u"d.png"_s << u"PNG"_s << Options(u"WEBP"_s, off, 540, 100) << 0 << QStringList()
            << QStringList{u"./source.png"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-coalesce"_s,    u"-define"_s, u"webp:lossless=true"_s,
                           u"./output.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("WEBP at 99")
            << u"d.png"_s << u"PNG"_s << Options(u"WEBP"_s, off, 540, 99) << 0 << QStringList()
            << QStringList{u"./source.png"_s, u"+repage"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,     u"99"_s,      u"./output.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("lower-case webp reads the first frame only")
            << u"d.png"_s << u"PNG"_s << Options(u"webp"_s, off, 540, 99) << 0 << QStringList()
            << QStringList{u"./source.png[0]"_s, u"+repage"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,        u"99"_s,      u"./output.webp"_s}
            << u"d.webp"_s;
        QTest::newRow("an animated WEBP keeps where its frames lie")
            << u"w.webp"_s << u"WEBP"_s << Options(u"WEBP"_s) << 0 << QStringList{u"file:w.webp"_s}
            << QStringList{u"./source.webp"_s, u"-auto-orient"_s, u"-coalesce"_s,
                           u"-quality"_s,      u"75"_s,           u"./output.webp"_s}
            << u"w (1).webp"_s;
        QTest::newRow("GIF source gets a quality")
            << u"g.gif"_s << u"GIF"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"./source.gif[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"./output.png"_s}
            << u"g.png"_s;
        QTest::newRow("RAW source gets a quality")
            << u"r.cr2"_s << u"RAW"_s << Options(u"TIFF"_s) << 0 << QStringList()
            << QStringList{u"./source.cr2[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"./output.tiff"_s}
            << u"r.tiff"_s;
        QTest::newRow("PNG source to GIF gets no quality")
            << u"d.png"_s << u"PNG"_s << Options(u"GIF"_s) << 0 << QStringList()
            << QStringList{u"./source.png"_s, u"+repage"_s, u"-auto-orient"_s, u"./output.gif"_s}
            << u"d.gif"_s;
        QTest::newRow("PNG source to TIFF gets no quality")
            << u"d.png"_s << u"PNG"_s << Options(u"TIFF"_s) << 0 << QStringList()
            << QStringList{u"./source.png[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"./output.tiff"_s}
            << u"d.tiff"_s;
        QTest::newRow("scale percent")
            << u"p-001.bmp"_s << u"BMP"_s << Options(u"PNG"_s) << 25 << QStringList()
            << QStringList{u"./source.bmp[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-resize"_s,         u"25%"_s,     u"./output.png"_s}
            << u"p-001.png"_s;
        QTest::newRow("a width wins over the scale percent")
            << u"p-001.bmp"_s << u"BMP"_s << Options(u"PNG"_s, on, 800) << 25 << QStringList()
            << QStringList{u"./source.bmp[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-resize"_s,         u"800x"_s,    u"./output.png"_s}
            << u"p-001.png"_s;
        QTest::newRow("collision past two existing outputs")
            << u"a.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0
            << QStringList{u"file:a.png"_s, u"file:a (1).png"_s}
            << QStringList{u"./source.jpg[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"./output.png"_s}
            << u"a (2).png"_s;
        QTest::newRow("percent signs never reach ImageMagick")
            << u"100%d.jpg"_s << u"JPG"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"./source.jpg[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,        u"75"_s,      u"./output.png"_s}
            << u"100%d.png"_s;
        QTest::newRow("pattern characters never reach ImageMagick")
            << u"a[1]{2,3}*?.png"_s << u"PNG"_s << Options(u"GIF"_s) << 0
            << QStringList{u"file:a1.png"_s, u"file:a[1]{2,3}*?.gif"_s}
            << QStringList{u"./source.png"_s, u"+repage"_s, u"-auto-orient"_s, u"./output.gif"_s}
            << u"a[1]{2,3}*? (1).gif"_s;
        QTest::newRow("removed photo information, to PNG")
            << u"a.jpg"_s << u"JPG"_s << Stripped(Options(u"PNG"_s)) << 0 << QStringList()
            << QStringList{u"./source.jpg[0]"_s, u"+repage"_s,  u"+profile"_s,
                           u"!icc,*"_s,          u"+set"_s,     u"comment"_s,
                           u"-auto-orient"_s,    u"-quality"_s, u"75"_s,
                           u"./output.png"_s}
            << u"a.png"_s;
        QTest::newRow("removed photo information, an animation to GIF")
            << u"b.gif"_s << u"GIF"_s << Stripped(Options(u"GIF"_s)) << 0 << QStringList()
            << QStringList{u"./source.gif"_s, u"+profile"_s, u"!icc,*"_s,
                           u"+set"_s,         u"comment"_s,  u"-auto-orient"_s,
                           u"-quality"_s,     u"75"_s,       u"./output.gif"_s}
            << u"b (1).gif"_s;
        QTest::newRow("leading dash, extension not plain")
            << u"-density 1.j p"_s << u"JPG"_s << Options(u"PNG"_s) << 0 << QStringList()
            << QStringList{u"./source[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                           u"-quality"_s,    u"75"_s,      u"./output.png"_s}
            << u"-density 1.png"_s;
    }
    void generalPath()
    {
        QFETCH(QString, source);
        QFETCH(QString, sourceType);
        QFETCH(TConvertOptions, options);
        QFETCH(int, scalePercent);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        MakeEntries(QDir(Pics()), entries);
        const TStandIn standIn;

        const TResult<> result = Converter(standIn, options)
                                     .ConvertImage({Source(source), sourceType, {}, scalePercent});

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].Program, u"magick"_s);
        QCOMPARE(calls[0].Arguments, arguments);
        QVERIFY2(QRegularExpression(WorkFolderPattern()).match(calls[0].WorkingFolder).hasMatch(),
                 qPrintable(calls[0].WorkingFolder));
        QCOMPARE(TStandIn::InputBelow(calls[0], Pics()), source);
        QCOMPARE(ReadFile(Pic(output)), QByteArray("written by magick\n"));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
        for (const QString& entry : entries) {
            if (entry.startsWith(u"file:"))
                QCOMPARE(ReadFile(Pic(entry.section(u':', 1))), QByteArray("existing"));
        }
    }

    void jpegPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<TConvertOptions>("options");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("leadingArguments");
        QTest::addColumn<QStringList>("profileArguments");

        const QStringList noProfile;
        const QStringList profile{u"-icc"_s, u"./profile.icc"_s};
        QTest::newRow("PNG to JPG")
            << u"e.png"_s << u"PNG"_s << Options(u"JPG"_s) << QByteArray("source")
            << QStringList{u"./source.png[0]"_s, u"-auto-orient"_s} << noProfile;
        QTest::newRow("lower-case jpg")
            << u"e.png"_s << u"PNG"_s << Options(u"jpg"_s) << QByteArray("source")
            << QStringList{u"./source.png[0]"_s, u"-auto-orient"_s} << noProfile;
        QTest::newRow("SVG at a width")
            << u"e.svg"_s << u"SVG"_s << Options(u"JPG"_s, TResizeWidth::On, 300)
            << QByteArray("source")
            << QStringList{u"-background"_s,     u"none"_s,         u"-density"_s, u"300"_s,
                           u"./source.svg[0]"_s, u"-auto-orient"_s, u"-resize"_s,  u"300x"_s}
            << noProfile;
        QTest::newRow("GIF source gets no quality from ImageMagick")
            << u"e.gif"_s << u"GIF"_s << Options(u"JPG"_s) << QByteArray("source")
            << QStringList{u"./source.gif[0]"_s, u"-auto-orient"_s} << noProfile;
        QTest::newRow("the encoder embeds an RGB profile")
            << u"e.jpg"_s << u"JPG"_s << Options(u"JPG"_s) << JpegWithProfile("RGB ")
            << QStringList{u"./source.jpg[0]"_s, u"-auto-orient"_s} << profile;
        QTest::newRow("the profile stays with the information removed")
            << u"e.jpg"_s << u"JPG"_s << Stripped(Options(u"JPG"_s)) << JpegWithProfile("RGB ")
            << QStringList{u"./source.jpg[0]"_s, u"-auto-orient"_s} << profile;
        // The encoder's pixels are RGB: a CMYK profile would misstate them.
        QTest::newRow("a CMYK profile is left out")
            << u"e.jpg"_s << u"JPG"_s << Options(u"JPG"_s) << JpegWithProfile("CMYK")
            << QStringList{u"./source.jpg[0]"_s, u"-auto-orient"_s} << noProfile;
    }
    void jpegPath()
    {
        QFETCH(QString, source);
        QFETCH(QString, sourceType);
        QFETCH(TConvertOptions, options);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, leadingArguments);
        QFETCH(QStringList, profileArguments);
        const TStandIn standIn;
        QVERIFY(WriteFile(Pic(source), content));

        const TResult<> result =
            Converter(standIn, options).ConvertImage({Pic(source), sourceType});

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].Program, u"magick"_s);
        const QStringList bitmapOptions{
            u"-background"_s, u"white"_s,     u"-alpha"_s, u"remove"_s, u"-colorspace"_s,
            u"sRGB"_s,        u"-compress"_s, u"none"_s,   u"-type"_s,  u"TrueColor"_s};
        QCOMPARE(calls[0].Arguments,
                 leadingArguments + bitmapOptions + QStringList{u"BMP3:./bitmap.bmp"_s});
        QCOMPARE(calls[1].Program, u"cjpeg"_s);
        const QStringList encoderArguments =
            QStringList{u"-quality"_s, u"75"_s} + profileArguments +
            QStringList{u"-outfile"_s, u"./output.jpg"_s, u"./bitmap.bmp"_s};
        QCOMPARE(calls[1].Arguments, encoderArguments);
        QCOMPARE(calls[1].WorkingFolder, calls[0].WorkingFolder);

        // A JPG source holds the first name itself.
        const QString output =
            FileStem(source) + (sourceType == u"JPG" ? u" (1).jpg"_s : u".jpg"_s);
        QCOMPARE(ReadFile(Pic(output)), QByteArray("written by cjpeg\n"));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // ImageMagick reads the EXIF of a HEIF picture, where exiv2 may not: without decoding the
    // picture, before the conversion, unless the information is to be removed.
    void heifExifIsReadByImageMagick_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<TConvertOptions>("options");
        QTest::addColumn<bool>("isExtracted");
        QTest::newRow("HEIC") << u"p.heic"_s << u"HEIC"_s << Options(u"PNG"_s) << true;
        QTest::newRow("AVIF to JPG") << u"p.avif"_s << u"AVIF"_s << Options(u"JPG"_s) << true;
        QTest::newRow("removed") << u"p.heic"_s << u"HEIC"_s << Stripped(Options(u"PNG"_s))
                                 << false;
        QTest::newRow("another type") << u"p.png"_s << u"PNG"_s << Options(u"PNG"_s) << false;
    }
    void heifExifIsReadByImageMagick()
    {
        QFETCH(QString, source);
        QFETCH(QString, sourceType);
        QFETCH(TConvertOptions, options);
        QFETCH(bool, isExtracted);
        const TStandIn standIn;

        const TResult<> result =
            Converter(standIn, options).ConvertImage({Source(source), sourceType});

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const QList<TStandInCall> calls = standIn.Calls();
        const QString input = u"./source."_s + QFileInfo(source).suffix() + u"[0]"_s;
        const QStringList extract{u"-ping"_s, input, u"EXIF:./photo.exif"_s};
        QCOMPARE(calls.first().Arguments == extract, isExtracted);
        QCOMPARE(calls.size(), (IsJpegTarget(options.Format) ? 2 : 1) + (isExtracted ? 1 : 0));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // Each leaves nothing under an output name and says why, whatever the program left behind.
    void failures_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("program");
        QTest::addColumn<TMisbehaviour>("misbehaviour");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("reason");

        const auto prints = TMisbehaviour::Prints;
        const auto failsAfterWriting = TMisbehaviour::FailsAfterWriting;
        QTest::newRow("a printed warning deletes the written output")
            << AllPrograms << u"PNG"_s << u"magick"_s << prints
            << u"convert: warning one\nwarning two\n"_s << u"convert: warning one\nwarning two"_s;
        QTest::newRow("only the first lines are kept")
            << AllPrograms << u"PNG"_s << u"magick"_s << prints << u"1\n\n2\n3\n4\n"_s
            << u"1\n2\n3"_s;
        QTest::newRow("ImageMagick writes nothing")
            << AllPrograms << u"PNG"_s << u"magick"_s << TMisbehaviour::WritesNothing << QString()
            << u"no output was written"_s;
        QTest::newRow("ImageMagick writes and ends with status 1")
            << AllPrograms << u"PNG"_s << u"magick"_s << failsAfterWriting << QString()
            << u"magick ended with status 1"_s;
        QTest::newRow("ImageMagick crashes after writing")
            << AllPrograms << u"WEBP"_s << u"magick"_s << TMisbehaviour::Crashes << QString()
            << u"magick was stopped by signal 11"_s;
        QTest::newRow("ImageMagick is not a program")
            << AllPrograms << u"GIF"_s << u"magick"_s << TMisbehaviour::CannotStart << QString()
            << u"could not start magick: "_s;
        QTest::newRow("the encoder's disk is full")
            << AllPrograms << u"JPG"_s << u"cjpeg"_s << failsAfterWriting
            << u"Output file write error --- out of disk space?\n"_s
            << u"Output file write error --- out of disk space?"_s;
        QTest::newRow("the encoder crashes after writing")
            << AllPrograms << u"JPG"_s << u"cjpeg"_s << TMisbehaviour::Crashes << QString()
            << u"cjpeg was stopped by signal 11"_s;
        QTest::newRow("the encoder warns")
            << AllPrograms << u"JPG"_s << u"cjpeg"_s << prints << u"note\n"_s << u"note"_s;
        QTest::newRow("ImageMagick warns on the JPEG path")
            << AllPrograms << u"JPG"_s << u"magick"_s << prints << u"convert: warning\n"_s
            << u"convert: warning"_s;
        QTest::newRow("the encoder rejects the bitmap")
            << AllPrograms << u"JPG"_s << u"cjpeg"_s << failsAfterWriting
            << u"Only 8-, 24-, and 32-bit BMP files are supported\n"_s
            << u"Only 8-, 24-, and 32-bit BMP files are supported"_s;
        QTest::newRow("ImageMagick missing")
            << QStringList{u"cjpeg"_s, u"gs"_s} << u"PNG"_s << QString() << prints << QString()
            << u"ImageMagick not found"_s;
        QTest::newRow("ImageMagick missing on the JPEG path")
            << QStringList{u"cjpeg"_s, u"gs"_s} << u"JPG"_s << QString() << prints << QString()
            << u"ImageMagick not found"_s;
        QTest::newRow("cjpeg missing") << QStringList{u"magick"_s, u"gs"_s} << u"JPG"_s << QString()
                                       << prints << QString() << u"cjpeg not found"_s;
    }
    void failures()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, format);
        QFETCH(QString, program);
        QFETCH(TMisbehaviour, misbehaviour);
        QFETCH(QString, printed);
        QFETCH(QString, reason);
        TStandIn standIn(programs);
        if (!program.isEmpty())
            Misbehave(standIn, program, misbehaviour, printed);
        QVERIFY(WriteFile(Pic(u"a.jpg"_s), "source"));

        const TResult<> result =
            Converter(standIn, Options(format)).ConvertImage({Pic(u"a.jpg"_s), u"JPG"_s});

        QVERIFY(!result.IsOk());
        if (misbehaviour == TMisbehaviour::CannotStart)
            QVERIFY2(result.Reason().startsWith(reason), qPrintable(result.Reason()));
        else
            QCOMPARE(result.Reason(), reason);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a.jpg"_s});
        QCOMPARE(ReadFile(Pic(u"a.jpg"_s)), QByteArray("source"));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // A program still running at the time limit is ended with the child it started, and nothing
    // it wrote reaches an output name.
    void timeLimitLeavesNothing_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("program");
        QTest::newRow("ImageMagick") << u"PNG"_s << u"magick"_s;
        QTest::newRow("the encoder") << u"JPG"_s << u"cjpeg"_s;
    }
    void timeLimitLeavesNothing()
    {
        QFETCH(QString, format);
        QFETCH(QString, program);
        TStandIn standIn;
        standIn.SetHangs(program);
        TConvertTools tools = TConvertTools::InFolder(standIn.Folder());
        tools.TimeLimit = 500ms;

        const TResult<> result =
            TConverter(tools, Options(format)).ConvertImage({Source(u"a.png"_s), u"PNG"_s});

        QVERIFY(!result.IsOk());
        QCOMPARE(result.Reason(), u"stopped after 500 milliseconds"_s);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a.png"_s});
        QCOMPARE(FHome->ScratchEntries(), QStringList());
        QCOMPARE(standIn.Children(program).size(), 1);
        for (const qint64 child : standIn.Children(program))
            QTRY_VERIFY(!IsRunning(child));
    }

    void stopRequestEndsTheConversionUnderWay()
    {
        TStandIn standIn;
        standIn.SetHangs(u"magick"_s);
        TConverter converter = Converter(standIn, Options(u"PNG"_s));
        const TStopToken stop;
        converter.SetStopToken(stop);
        const QString source = Source(u"a.png"_s);
        TResult<> result;
        std::thread worker([&] { result = converter.ConvertImage({source, u"PNG"_s}); });
        QTRY_COMPARE(standIn.Children(u"magick"_s).size(), 1);
        stop.RequestStop();
        worker.join();

        QVERIFY(!result.IsOk());
        QCOMPARE(result.Reason(), u"interrupted"_s);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a.png"_s});
        QCOMPARE(FHome->ScratchEntries(), QStringList());
        QTRY_VERIFY(!IsRunning(standIn.Children(u"magick"_s).first()));
        QVERIFY(!IsRunning(standIn.Calls().first().ProcessId));
        QCOMPARE(converter.ConvertImage({source, u"PNG"_s}).Reason(), u"interrupted"_s);
        QCOMPARE(standIn.Calls().size(), 1);
    }

    // Through the default tools: the programs get everything the caller has, with the work
    // folder for their temporary files; before, they got the work folder variables alone.
    void programsGetTheCallersEnvironment()
    {
        const TStandIn standIn;
        qputenv("MORVANE_TEST_VARIABLE", "from the caller");
        const TResult<> result =
            Converter(standIn, Options(u"PNG"_s)).ConvertImage({Source(u"a.png"_s), u"PNG"_s});
        qunsetenv("MORVANE_TEST_VARIABLE");
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const TStandInCall call = standIn.Calls().value(0);
        QCOMPARE(call.Environment.value(u"MORVANE_TEST_VARIABLE"_s), u"from the caller"_s);
        QCOMPARE(call.Environment.value(u"PATH"_s), qEnvironmentVariable("PATH"));
        QCOMPARE(call.Environment.value(u"HOME"_s), qEnvironmentVariable("HOME"));
        for (const QString& name : {u"TMPDIR"_s, u"MAGICK_TEMPORARY_PATH"_s})
            QCOMPARE(call.Environment.value(name), call.WorkingFolder);
    }

    // The programs' large buffers get huge pages; a caller's own glibc settings stay, after ours.
    void programsAskForHugePagesWithoutLosingTheCallersSettings_data()
    {
        QTest::addColumn<QByteArray>("callers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QByteArray() << u"glibc.malloc.hugetlb=1"_s;
        QTest::newRow("the caller's own")
            << QByteArray("glibc.malloc.check=3:glibc.malloc.hugetlb=0")
            << u"glibc.malloc.hugetlb=1:glibc.malloc.check=3:glibc.malloc.hugetlb=0"_s;
    }
    void programsAskForHugePagesWithoutLosingTheCallersSettings()
    {
        QFETCH(QByteArray, callers);
        QFETCH(QString, expected);
        const std::optional<QByteArray> before = qEnvironmentVariableIsSet("GLIBC_TUNABLES")
                                                     ? std::optional(qgetenv("GLIBC_TUNABLES"))
                                                     : std::nullopt;
        const auto setTunables = [](const std::optional<QByteArray>& value) {
            value ? qputenv("GLIBC_TUNABLES", *value) : qunsetenv("GLIBC_TUNABLES");
        };
        setTunables(callers.isNull() ? std::nullopt : std::optional(callers));
        const TStandIn standIn;
        const TResult<> result =
            Converter(standIn, Options(u"JPG"_s)).ConvertImage({Source(u"a.png"_s), u"PNG"_s});
        setTunables(before);
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QCOMPARE(standIn.Calls().size(), 2);
        for (const TStandInCall& call : standIn.Calls())
            QCOMPARE(call.Environment.value(u"GLIBC_TUNABLES"_s), expected);
    }

    // A terminal's Ctrl+C reaches its foreground group; the programs are in groups of their own.
    void programsRunInAGroupOfTheirOwn()
    {
        const TStandIn standIn;
        QVERIFY(Converter(standIn, Options(u"JPG"_s))
                    .ConvertImage({Source(u"a.png"_s), u"PNG"_s})
                    .IsOk());
        for (const TStandInCall& call : standIn.Calls()) {
            QCOMPARE(call.ProcessGroup, call.ProcessId);
            QVERIFY(call.ProcessGroup != qint64(getpgrp()));
        }
    }

    // Work folders that nobody holds (a killed run's) go when a conversion starts; held ones and
    // anything else in the scratch folder stay.
    void abandonedWorkFoldersAreRemoved()
    {
        const QString abandoned = FHome->ScratchFolder() + u"/convert-Ab12Cd"_s;
        const QString held = FHome->ScratchFolder() + u"/convert-Ef34Gh"_s;
        const QString other = FHome->ScratchFolder() + u"/convert-not-ours"_s;
        for (const QString& folder : {abandoned, held, other})
            MadeOutput(folder + u"/page"_s, QByteArray(1000000, 'p'));
        const std::unique_ptr<TFolderLock> otherRun = TFolderLock::TryLock(held);
        QVERIFY(otherRun);
        const TStandIn standIn;

        QVERIFY(Converter(standIn, Options(u"PNG"_s))
                    .ConvertImage({Source(u"a.png"_s), u"PNG"_s})
                    .IsOk());

        QCOMPARE(FHome->ScratchEntries(),
                 (QStringList{u"convert-Ef34Gh"_s, u"convert-not-ours"_s}));
        QVERIFY(QFile::exists(held + u"/page/output.png"_s));
    }

    // A batch keeps each work folder for its next file, emptied of what a failed file left, and
    // held: another run starting meanwhile leaves it alone. The batch's end removes it.
    void workFolderIsEmptiedAndKeptForTheNextFile()
    {
        TStandIn standIn;
        standIn.SetExitStatus(u"cjpeg"_s, 1);
        const auto shelf = std::make_shared<TWorkFolderShelf>();
        TConverter converter = Converter(standIn, Options(u"JPG"_s));
        converter.SetWorkFolderShelf(shelf);

        QVERIFY(!converter.ConvertImage({Source(u"a.png"_s), u"PNG"_s}).IsOk());
        const QString kept = standIn.CallsOf(u"cjpeg"_s).value(0).WorkingFolder;
        QVERIFY(QRegularExpression(WorkFolderPattern()).match(kept).hasMatch());
        QCOMPARE(QDir(kept).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(Converter(standIn, Options(u"PNG"_s))
                    .ConvertImage({Source(u"b.jpg"_s), u"JPG"_s})
                    .IsOk());
        QCOMPARE(FHome->ScratchEntries(), QStringList{QFileInfo(kept).fileName()});

        QVERIFY(QFile::remove(standIn.Folder() + u"/cjpeg.exit"_s));
        QVERIFY(converter.ConvertImage({Source(u"c.png"_s), u"PNG"_s}).IsOk());
        QCOMPARE(standIn.CallsOf(u"cjpeg"_s).value(1).WorkingFolder, kept);
        QCOMPARE(ReadFile(Pic(u"c.jpg"_s)), QByteArray("written by cjpeg\n"));
        QVERIFY(!QFile::exists(Pic(u"a.jpg"_s)));

        shelf->Clear();
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // A kept folder that is not empty when the next file starts (a straggler wrote into it) or
    // is gone (the cache was cleared) is not used again.
    void keptWorkFolderThatChangedIsNotReused_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::newRow("written into") << false;
        QTest::newRow("removed") << true;
    }
    void keptWorkFolderThatChangedIsNotReused()
    {
        QFETCH(bool, removed);
        const TStandIn standIn;
        const auto shelf = std::make_shared<TWorkFolderShelf>();
        TConverter converter = Converter(standIn, Options(u"PNG"_s));
        converter.SetWorkFolderShelf(shelf);
        QVERIFY(converter.ConvertImage({Source(u"a.jpg"_s), u"JPG"_s}).IsOk());
        const QString kept = standIn.Calls().value(0).WorkingFolder;
        if (removed)
            QVERIFY(QDir(kept).removeRecursively());
        else
            QVERIFY(WriteFile(kept + u"/late.bmp"_s, "straggler"));

        QVERIFY(converter.ConvertImage({Source(u"b.jpg"_s), u"JPG"_s}).IsOk());
        const QString next = standIn.Calls().value(1).WorkingFolder;
        QVERIFY(next != kept);
        QCOMPARE(FHome->ScratchEntries(), QStringList{QFileInfo(next).fileName()});
        QCOMPARE(ReadFile(Pic(u"b.png"_s)), QByteArray("written by magick\n"));
        shelf->Clear();
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void unwritableScratchFolderFails()
    {
        QVERIFY(QDir().mkpath(FHome->CacheHome()));
        QVERIFY(WriteFile(FHome->ScratchFolder(), "a file where the folder belongs"));
        const TStandIn standIn;
        const TResult<> result =
            Converter(standIn, Options(u"JPG"_s)).ConvertImage({Source(u"a.png"_s), u"PNG"_s});
        QVERIFY(!result.IsOk());
        QCOMPARE(result.Reason(), u"the scratch folder cannot be written"_s);
        QVERIFY(standIn.Calls().isEmpty());
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a.png"_s});
    }

    void sourceThatIsGoneFails()
    {
        const TStandIn standIn;
        const TResult<> result =
            Converter(standIn, Options(u"PNG"_s)).ConvertImage({Pic(u"gone.png"_s), u"PNG"_s});
        QCOMPARE(result.Reason(), u"the file is not there any more"_s);
        QVERIFY(standIn.Calls().isEmpty());
    }

    void outputNeverWrittenThroughALink()
    {
        MakeEntries(QDir(Pics()), {u"dangling:a.png"_s});
        const TStandIn standIn;
        const TResult<> result =
            Converter(standIn, Options(u"PNG"_s)).ConvertImage({Source(u"a.jpg"_s), u"JPG"_s});
        QVERIFY(result.IsOk());
        QCOMPARE(ReadFile(Pic(u"a (1).png"_s)), QByteArray("written by magick\n"));
        QVERIFY(!QFile::exists(Pic(u"never-made"_s)));
    }

    void relativePathsAreMadeAbsolute()
    {
        const TStandIn standIn;
        TConvertOptions options = Options(u"PNG"_s);
        options.OutputFolder = u"out"_s;
        QVERIFY(QDir(Pics()).mkdir(u"out"_s));
        Source(u"-x.jpg"_s);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(Pics());
        const TResult<> result = Converter(standIn, options).ConvertImage({u"-x.jpg"_s, u"PNG"_s});
        QDir::setCurrent(previous);

        QVERIFY(result.IsOk());
        QCOMPARE(TStandIn::InputBelow(standIn.Calls().value(0), Pics()), u"-x.jpg"_s);
        QCOMPARE(ReadFile(Pic(u"out/-x.png"_s)), QByteArray("written by magick\n"));
    }

    void simultaneousConversionsNeverShareANameOrAWorkFolder()
    {
        const TStandIn standIn;
        const TConverter converter = Converter(standIn, Options(u"JPG"_s));
        const QString source = Source(u"a.png"_s);
        constexpr int Count = 4;
        QList<TResult<>> results(Count);
        std::vector<std::thread> workers;
        for (int i = 0; i < Count; ++i) {
            workers.emplace_back([&, i] {
                results[i] = converter.ConvertImage({source, u"PNG"_s});
            });
        }
        for (std::thread& worker : workers)
            worker.join();

        for (const TResult<>& result : std::as_const(results))
            QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QStringList expected{u"a.jpg"_s, u"a.png"_s};
        for (int i = 1; i < Count; ++i)
            expected << u"a (%1).jpg"_s.arg(i);
        QStringList outputs = QDir(Pics()).entryList(QDir::Files);
        outputs.sort();
        expected.sort();
        QCOMPARE(outputs, expected);
        QSet<QString> workFolders;
        for (const TStandInCall& call : standIn.CallsOf(u"cjpeg"_s))
            workFolders.insert(call.WorkingFolder);
        QCOMPARE(workFolders.size(), Count);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // Files of one kept tree are converted at the same time, and each makes the folders its
    // output goes into: a folder that another made a moment before is no failure.
    void keptTreeFoldersMadeAtTheSameTime()
    {
        constexpr int Count = 4;
        for (int round = 0; round < 100; ++round) {
            const QString out = Pic(u"out-%1"_s.arg(round));
            QVERIFY(QDir().mkpath(out));
            std::vector<std::optional<TResult<QString>>> made(Count);
            std::latch start(Count);
            std::vector<std::thread> workers;
            for (int i = 0; i < Count; ++i) {
                workers.emplace_back([&, i] {
                    const QString subfolder = u"Trip/Day/%1"_s.arg(i);
                    start.arrive_and_wait();
                    made[i] = MakeOutputFolder(out, subfolder);
                });
            }
            for (std::thread& worker : workers)
                worker.join();
            for (int i = 0; i < Count; ++i) {
                QVERIFY2(made[i]->IsOk(), qPrintable(made[i]->Reason()));
                QCOMPARE(made[i]->Value(),
                         QFileInfo(out).canonicalFilePath() + u"/Trip/Day/"_s + QString::number(i));
            }
        }
    }

    void toolFolderGivenIsTheOnlyPlaceLookedAt()
    {
        const TStandIn standIn({u"magick"_s});
        QVERIFY(WriteFile(standIn.Folder() + u"/gs"_s, "not a program"));
        const TConvertTools tools = TConvertTools::InFolder(standIn.Folder());
        QCOMPARE(tools.ImageMagick, standIn.Folder() + u"/magick"_s);
        QCOMPARE(tools.JpegEncoder, QString());
        QCOMPARE(tools.Ghostscript, QString());
        QCOMPARE(tools.ScratchFolder, FHome->ScratchFolder());
    }

    void convertCountsOnlyWhenItNamesImageMagick_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<bool>("isImageMagick");

        QTest::newRow("ImageMagick 6") << u"Version: ImageMagick 6.9.11-60 Q16 x86_64\n"_s << true;
        QTest::newRow("another program") << u"Converts a FAT volume to NTFS.\n"_s << false;
        QTest::newRow("silent") << QString() << false;
    }
    void convertCountsOnlyWhenItNamesImageMagick()
    {
        QFETCH(QString, printed);
        QFETCH(bool, isImageMagick);
        TStandIn standIn({u"convert"_s});
        standIn.SetPrinted(u"convert"_s, printed);
        QCOMPARE(IsImageMagick(standIn.Folder() + u"/convert"_s), isImageMagick);
        QCOMPARE(standIn.Calls().value(0).Arguments, QStringList{u"-version"_s});
    }
};

QTEST_GUILESS_MAIN(TConvertImageTest)
#include "tst_convertimage.moc"
