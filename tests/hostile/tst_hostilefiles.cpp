#include "HostileFixtures.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "convert/ConvertTools.h"
#include "convert/Converter.h"
#include "i18n/Translate.h"
#include "input/FileType.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

enum class TOutcome
{
    Fails,
    Converts,
    // Fails, or converts to an image ImageMagick can read back.
    FailsOrConverts
};

} // namespace

Q_DECLARE_METATYPE(TOutcome)

// Hostile files converted by the window with the installed ImageMagick, cjpeg and Ghostscript:
// each run finishes in bounded time, each file ends as Fail or as a sound image, and nothing is
// written outside the output folder and the scratch folder.
class THostileFilesTest : public QObject
{
    Q_OBJECT

private:
    TTestHome FHome;
    TConvertTools FTools;
    QTemporaryDir FRoot;
    QTcpServer FLoopbackServer;
    int FConnections = 0;
    int FRunNumber = 0;

    QString Root(const QString& name) const { return FRoot.filePath(name); }
    QString Outside(const QString& name) const { return Root(u"outside/"_s + name); }
    QString Scratch() const { return FHome.ScratchFolder(); }

    QByteArray MadeImage(const QString& name, const QStringList& arguments) const
    {
        const QString path = Root(u"made/"_s + name);
        QDir().mkpath(QFileInfo(path).path());
        RunProcess(FTools.ImageMagick, arguments + QStringList{path});
        return ReadFile(path);
    }

    QByteArray Svg(const QString& reference) const
    {
        return "<svg xmlns=\"http://www.w3.org/2000/svg\" "
               "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"16\" height=\"16\">"
               "<rect width=\"16\" height=\"16\" fill=\"blue\"/><image width=\"16\" height=\"16\" "
               "xlink:href=\"" +
               reference.toUtf8() + "\"/></svg>";
    }

    // PostScript that tries to leave a file in the test's own temporary folder, then draws.
    QByteArray WritingPostScript(const QByteArray& header, const QString& name) const
    {
        return header + "\n(" + QFile::encodeName(QDir::tempPath() + u'/' + name) +
               ") (w) file (written) writestring\n(" + QFile::encodeName(Outside(name)) +
               ") (w) file (written) writestring\n0 0 moveto 20 20 lineto stroke showpage\n";
    }

private Q_SLOTS:
    void initTestCase()
    {
        LoadTranslations();
        SetCurrentLanguage(u"en"_s);
        FTools = TConvertTools::Installed();
        QVERIFY2(!FTools.ImageMagick.isEmpty() && !FTools.JpegEncoder.isEmpty() &&
                     !FTools.Ghostscript.isEmpty(),
                 "ImageMagick, cjpeg and Ghostscript must be installed");
        // The programs' own temporary files land here too, where the snapshots see them.
        QVERIFY(QDir().mkpath(Root(u"tmp"_s)));
        qputenv("TMPDIR", QFile::encodeName(Root(u"tmp"_s)));
        QVERIFY(WriteFile(Outside(u"red.png"_s),
                          MadeImage(u"red.png"_s, {u"-size"_s, u"16x16"_s, u"xc:red"_s})));
        QVERIFY(QDir().mkpath(Scratch()));
        QVERIFY(FLoopbackServer.listen(QHostAddress::LocalHost));
        connect(&FLoopbackServer, &QTcpServer::newConnection, this, [this] { ++FConnections; });
    }

    void hostileFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<TOutcome>("outcome");
        QTest::addColumn<QStringList>("frames");

        const QByteArray jpeg =
            MadeImage(u"whole.jpg"_s, {u"-size"_s, u"64x48"_s, u"gradient:red-blue"_s});
        const QByteArray png =
            MadeImage(u"whole.png"_s, {u"-size"_s, u"64x48"_s, u"gradient:red-blue"_s});
        // 500 frames of 16 by 16 pixels; ImageMagick takes minutes to make it.
        const QByteArray animation =
            ReadFile(QStringLiteral(MORVANE_HOSTILE_FIXTURES "/anim-500.gif"));
        QVERIFY(!jpeg.isEmpty() && !png.isEmpty() && !animation.isEmpty());

        QTest::newRow("zero bytes")
            << u"empty.jpg"_s << QByteArray() << u"PNG"_s << TOutcome::Fails << QStringList();
        QTest::newRow("12 bytes") << u"twelve.png"_s << png.left(12) << u"PNG"_s << TOutcome::Fails
                                  << QStringList();
        QTest::newRow("truncated JPEG to PNG")
            << u"cut.jpg"_s << jpeg.left(jpeg.size() / 2) << u"PNG"_s << TOutcome::FailsOrConverts
            << QStringList{u"64 48"_s};
        QTest::newRow("truncated JPEG to JPG")
            << u"cut.jpg"_s << jpeg.left(jpeg.size() / 2) << u"JPG"_s << TOutcome::FailsOrConverts
            << QStringList{u"64 48"_s};
        QTest::newRow("truncated PNG") << u"cut.png"_s << png.left(png.size() / 2) << u"GIF"_s
                                       << TOutcome::FailsOrConverts << QStringList{u"64 48"_s};
        QTest::newRow("PNG claiming 100000 by 100000 pixels")
            << u"huge.png"_s
            << ReadFile(QStringLiteral(MORVANE_HOSTILE_FIXTURES "/huge-header.png")) << u"WEBP"_s
            << TOutcome::Fails << QStringList();
        QTest::newRow("GIF of 500 frames to GIF")
            << u"anim.gif"_s << animation << u"GIF"_s << TOutcome::Converts
            << QStringList(500, u"16 16"_s);
        QTest::newRow("GIF of 500 frames to JPG") << u"anim.gif"_s << animation << u"JPG"_s
                                                  << TOutcome::Converts << QStringList{u"16 16"_s};
        QTest::newRow("PDF that is not a PDF")
            << u"fake.pdf"_s << QByteArray("%PDF-1.7\n\xff\xfe not a document at all") << u"PNG"_s
            << TOutcome::Fails << QStringList();
        QTest::newRow("PDF header on PostScript that writes files")
            << u"writes.pdf"_s << WritingPostScript("%PDF-1.4", u"from-pdf"_s) << u"PNG"_s
            << TOutcome::FailsOrConverts << QStringList();
        QTest::newRow("Illustrator name on PostScript that writes files")
            << u"writes.ai"_s << WritingPostScript("%!", u"from-ai"_s).mid(2) << u"PNG"_s
            << TOutcome::FailsOrConverts << QStringList();
        // An EPS as drawing programs write it: a prolog of procedures, then the drawing.
        const QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 48 36\n"
                               "%%EndComments\n%%BeginProlog\n/box { newpath 0 0 moveto 0 36 "
                               "rlineto 48 0 rlineto 0 -36 rlineto closepath fill } def\n"
                               "%%EndProlog\n1 0 0 setrgbcolor box\n0 0 1 setrgbcolor "
                               "12 9 24 18 rectfill\nshowpage\n%%EOF\n";
        QTest::newRow("EPS") << u"logo.eps"_s << eps << u"JPG"_s << TOutcome::Converts
                             << QStringList{u"64 48"_s};
        // Cut inside a procedure, PostScript is broken; cut between two commands, it is a
        // smaller drawing, which Ghostscript and ImageMagick draw as far as it goes.
        QTest::newRow("EPS cut inside a procedure")
            << u"cut.eps"_s << eps.left(eps.indexOf("rlineto")) << u"PNG"_s << TOutcome::Fails
            << QStringList();
        QTest::newRow("EPS cut between commands")
            << u"cut.eps"_s << eps.left(eps.indexOf("0 0 1 setrgbcolor")) << u"PNG"_s
            << TOutcome::FailsOrConverts << QStringList{u"64 48"_s};
        QTest::newRow("EPS cut in its header") << u"cut.eps"_s << eps.left(40) << u"WEBP"_s
                                               << TOutcome::FailsOrConverts << QStringList();
        QTest::newRow("EPS that writes files")
            << u"writes.eps"_s
            << WritingPostScript("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 20", u"from-eps"_s)
            << u"PNG"_s << TOutcome::FailsOrConverts << QStringList();
        QTest::newRow("SVG drawing an outside file")
            << u"outside.svg"_s << Svg(Outside(u"red.png"_s)) << u"PNG"_s
            << TOutcome::FailsOrConverts << QStringList{u"16 16"_s};
        QTest::newRow("SVG drawing from a web address")
            << u"web.svg"_s << Svg(u"http://127.0.0.1:%1/x.png"_s.arg(FLoopbackServer.serverPort()))
            << u"PNG"_s << TOutcome::FailsOrConverts << QStringList{u"16 16"_s};
        QTest::newRow("SVG reading text through a coder")
            << u"text.svg"_s << Svg(u"text:"_s + Outside(u"red.png"_s)) << u"PNG"_s
            << TOutcome::FailsOrConverts << QStringList{u"16 16"_s};
        QTest::newRow("shell script named .jpg")
            << u"run.jpg"_s
            << "#!/bin/sh\ntouch '" + QFile::encodeName(Outside(u"script-ran"_s)) + "'\n"
            << u"JPG"_s << TOutcome::Fails << QStringList();
        QTest::newRow("drawing commands named .png")
            << u"draw.png"_s
            << "push graphic-context\nviewbox 0 0 16 16\nimage over 0,0 16,16 '" +
                   QFile::encodeName(Outside(u"red.png"_s)) + "'\npop graphic-context\n"
            << u"PNG"_s << TOutcome::Fails << QStringList();
    }

    void hostileFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(TOutcome, outcome);
        QFETCH(QStringList, frames);

        const QString pics = Root(u"pics-%1"_s.arg(++FRunNumber));
        const QString source = pics + u'/' + name;
        QVERIFY(WriteFile(source, bytes));
        const QStringList outside{pics, Scratch(), FHome.ConfigHome()};
        const auto rootBefore = TakeSnapshot(FRoot.path(), outside);
        const auto homeBefore = TakeSnapshot(FHome.Root(), outside);
        FConnections = 0;

        TFrmMorvane window({u"morvane"_s, u"/auto"_s, format, source}, TFrmMorvaneSetup{});
        QCOMPARE(FileRows(window).rowCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(IsRunOver(window), 120000);

        const QString status = ShownStatuses(window).value(0);
        QStringList outputs = QDir(pics).entryList(QDir::Files);
        outputs.removeOne(name);
        if (outcome == TOutcome::Fails)
            QCOMPARE(status, u"Fail"_s);
        if (outcome == TOutcome::Converts)
            QCOMPARE(status, u"Success"_s);
        if (status == u"Success") {
            QCOMPARE(outputs.size(), 1);
            const QStringList written = Frames(FTools.ImageMagick, pics + u'/' + outputs.first());
            if (frames.isEmpty())
                QVERIFY(!written.isEmpty());
            else
                QCOMPARE(written, frames);
        } else {
            QCOMPARE(status, u"Fail"_s);
            QCOMPARE(outputs, QStringList());
        }
        QCOMPARE(ReadFile(source), bytes);
        const QStringList differences =
            Differences(rootBefore, TakeSnapshot(FRoot.path(), outside)) +
            Differences(homeBefore, TakeSnapshot(FHome.Root(), outside));
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
        QCOMPARE(TakeSnapshot(Scratch()).keys(), QStringList());
        QCOMPARE(FConnections, 0);
    }

    // PostScript can loop for ever, and an Illustrator file is run as PostScript when it is not a
    // PDF; Ghostscript is stopped at the time limit and the file fails.
    void endlessDrawingStopsAtTheTimeLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Illustrator") << u"endless.ai"_s << QByteArray(" \n{ } loop\n");
        QTest::newRow("EPS") << u"endless.eps"_s
                             << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                           "{ 0 0 10 10 rectfill } loop\n");
        QTest::newRow("PostScript") << u"endless.ps"_s << QByteArray("%!PS\n{ } loop\n");
    }
    void endlessDrawingStopsAtTheTimeLimit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString pics = Root(u"pics-endless"_s);
        const QString source = pics + u'/' + name;
        QVERIFY(WriteFile(source, bytes));
        TConvertTools tools = FTools;
        tools.TimeLimit = 2s;
        QElapsedTimer elapsed;
        elapsed.start();
        const TResult<> result =
            TConverter(tools, TConvertOptions{}).ConvertFile({source, {}, DetectFileType(source)});
        QVERIFY(!result.IsOk());
        QCOMPARE(result.Reason(), u"stopped after 2 seconds"_s);
        QCOMPARE_LT(elapsed.elapsed(), 60000);
        QCOMPARE(QDir(pics).entryList(QDir::Files), QStringList{name});
        QVERIFY(QFile::remove(source));
        QCOMPARE(TakeSnapshot(Scratch()).keys(), QStringList());
    }
};

QTEST_MAIN(THostileFilesTest)
#include "tst_hostilefiles.moc"
