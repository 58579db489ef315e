#include "convert/Converter.h"

#include "PicFixture.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
const QStringList AllPrograms{u"magick"_s, u"cjpeg"_s, u"gs"_s};

TConvertOptions Options(const QString& format)
{
    TConvertOptions options;
    options.Format = format;
    return options;
}
} // namespace

class TConvertDocumentTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;

    // A private folder of the scratch folder, as a pattern.
    QString WorkFolderPattern() const
    {
        return QRegularExpression::escape(FHome->ScratchFolder()) + u"/[^/]+"_s;
    }
    static TConverter Converter(const TStandIn& standIn,
                                const TConvertOptions& options = Options(u"PNG"_s))
    {
        return TConverter(TConvertTools::InFolder(standIn.Folder()), options);
    }

private Q_SLOTS:
    void init()
    {
        FHome.emplace();
        NewPicFolder();
    }
    void cleanup()
    {
        RemovePicFolder();
        FHome.reset();
    }

    void pdfArguments()
    {
        const TStandIn standIn;
        const TConvertResult result = Converter(standIn).ConvertPDF(Pic(u"a.pdf"_s));
        QVERIFY2(result.Succeeded, qPrintable(result.Reason));

        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].Program, u"gs"_s);
        const QStringList gs = calls[0].Arguments;
        QCOMPARE(gs.size(), 11);
        QCOMPARE(gs.mid(0, 9),
                 (QStringList{u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dNOPROMPT"_s, u"-dQUIET"_s,
                              u"-sFONTPATH=/usr/share/fonts"_s, u"-dTextAlphaBits=4"_s,
                              u"-dGraphicsAlphaBits=4"_s, u"-sDEVICE=bmp16m"_s, u"-r384"_s}));
        const QRegularExpression pattern(u"^-sOutputFile=("_s + WorkFolderPattern() +
                                         u")/a-%03d\\.bmp$"_s);
        const QRegularExpressionMatch match = pattern.match(gs[9]);
        QVERIFY2(match.hasMatch(), qPrintable(gs[9]));
        QCOMPARE(gs[10], Pic(u"a.pdf"_s));

        const QString work = match.captured(1);
        QCOMPARE(calls[1].Arguments,
                 (QStringList{work + u"/a-001.bmp[0]"_s, u"+repage"_s, u"-auto-orient"_s,
                              u"-resize"_s, u"25%"_s, Pic(u"a-001.png"_s)}));
        QVERIFY(QFileInfo(Pic(u"a-001.png"_s)).size() > 0);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void pages_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("outputs");

        QTest::newRow("one page") << u"a.pdf"_s << 1 << 1 << u"a-%03d.bmp"_s
                                  << QStringList{u"a-001.png"_s};
        QTest::newRow("three pages") << u"a.pdf"_s << 1 << 3 << u"a-%03d.bmp"_s
                                     << QStringList{u"a-001.png"_s, u"a-002.png"_s, u"a-003.png"_s};
        QTest::newRow("four-digit page numbers in page order")
            << u"a.pdf"_s << 998 << 1001 << u"a-%03d.bmp"_s
            << QStringList{u"a-998.png"_s, u"a-999.png"_s, u"a-1000.png"_s, u"a-1001.png"_s};
        QTest::newRow("stem without extension")
            << u"scan"_s << 1 << 1 << u"scan-%03d.bmp"_s << QStringList{u"scan-001.png"_s};
        QTest::newRow("stem with several dots")
            << u"a.b.pdf"_s << 1 << 1 << u"a.b-%03d.bmp"_s << QStringList{u"a.b-001.png"_s};
        QTest::newRow("percent sign in the name")
            << u"100%.pdf"_s << 1 << 2 << u"100%%-%03d.bmp"_s
            << QStringList{u"100%-001.png"_s, u"100%-002.png"_s};
        QTest::newRow("pattern characters in the name")
            << u"a*[1]?.pdf"_s << 1 << 1 << u"a*[1]?-%03d.bmp"_s
            << QStringList{u"a*[1]?-001.png"_s};
    }
    void pages()
    {
        QFETCH(QString, source);
        QFETCH(int, firstPage);
        QFETCH(int, lastPage);
        QFETCH(QString, pattern);
        QFETCH(QStringList, outputs);
        TStandIn standIn;
        standIn.SetPages(firstPage, lastPage);

        const TConvertResult result = Converter(standIn).ConvertPDF(Pic(source));

        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        QVERIFY(standIn.CallsOf(u"gs"_s).value(0).Arguments.value(9).endsWith(u'/' + pattern));
        QStringList written;
        for (const TStandInCall& call : standIn.CallsOf(u"magick"_s))
            written << QString(call.Arguments.last()).replace(u"%%"_s, u"%"_s);
        QStringList expected;
        for (const QString& output : std::as_const(outputs)) {
            expected << Pic(output);
            QVERIFY2(QFileInfo(Pic(output)).size() > 0, qPrintable(output));
        }
        QCOMPARE(written, expected);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void lastPageDecides_data()
    {
        QTest::addColumn<QString>("failingPage");
        QTest::addColumn<bool>("succeeded");

        QTest::newRow("first page fails") << u"-001.bmp"_s << true;
        QTest::newRow("last page fails") << u"-002.bmp"_s << false;
    }
    void lastPageDecides()
    {
        QFETCH(QString, failingPage);
        QFETCH(bool, succeeded);
        TStandIn standIn;
        standIn.SetPages(1, 2);
        standIn.SetWritesNothing(u"magick"_s, failingPage);

        QCOMPARE(Converter(standIn).ConvertPDF(Pic(u"a.pdf"_s)).Succeeded, succeeded);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), 1);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void documentFailures_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("ghostscriptPrints");
        QTest::addColumn<bool>("ghostscriptWrites");
        QTest::addColumn<QString>("reason");

        QTest::newRow("Ghostscript missing") << QStringList{u"magick"_s, u"cjpeg"_s} << QString()
                                             << true << u"Ghostscript not found"_s;
        QTest::newRow("ImageMagick missing")
            << QStringList{u"cjpeg"_s, u"gs"_s} << QString() << true << u"ImageMagick not found"_s;
        QTest::newRow("no pages written")
            << AllPrograms << QString() << false << u"Ghostscript wrote no pages"_s;
        QTest::newRow("Ghostscript explains")
            << AllPrograms << u"Error: /syntaxerror in pdfopen\n"_s << false
            << u"Error: /syntaxerror in pdfopen"_s;
    }
    void documentFailures()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, ghostscriptPrints);
        QFETCH(bool, ghostscriptWrites);
        QFETCH(QString, reason);
        TStandIn standIn(programs);
        standIn.SetPrinted(u"gs"_s, ghostscriptPrints);
        if (!ghostscriptWrites)
            standIn.SetWritesNothing(u"gs"_s);
        const TConverter converter = Converter(standIn);

        for (const TConvertResult& result :
             {converter.ConvertPDF(Pic(u"a.pdf"_s)), converter.ConvertAI(Pic(u"b.ai"_s))}) {
            QVERIFY(!result.Succeeded);
            QCOMPARE(result.Reason, reason);
        }
        QVERIFY(standIn.CallsOf(u"magick"_s).isEmpty());
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList());
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void pagesGoToTheOutputFolderWithoutReplacingAnything()
    {
        TStandIn standIn;
        standIn.SetPages(1, 2);
        TConvertOptions options = Options(u"PNG"_s);
        options.OutputFolder = Pic(u"out"_s);
        QVERIFY(QDir(Pics()).mkdir(u"out"_s));
        const TConverter converter = Converter(standIn, options);

        QVERIFY(converter.ConvertPDF(Pic(u"a.pdf"_s)).Succeeded);
        QVERIFY(converter.ConvertPDF(Pic(u"a.pdf"_s)).Succeeded);

        QStringList outputs = QDir(Pic(u"out"_s)).entryList(QDir::Files);
        outputs.sort();
        QCOMPARE(outputs, (QStringList{u"a-001 (1).png"_s, u"a-001.png"_s, u"a-002 (1).png"_s,
                                       u"a-002.png"_s}));
    }

    void widthReplacesThePageReduction()
    {
        const TStandIn standIn;
        TConvertOptions options = Options(u"PNG"_s);
        options.ResizeWidth = TResizeWidth::On;
        options.Width = 800;
        QVERIFY(Converter(standIn, options).ConvertPDF(Pic(u"a.pdf"_s)).Succeeded);
        const QStringList magick = standIn.CallsOf(u"magick"_s).value(0).Arguments;
        QCOMPARE(magick.mid(1, 4),
                 (QStringList{u"+repage"_s, u"-auto-orient"_s, u"-resize"_s, u"800x"_s}));
    }

    void pagesOfAnEarlierRunAreNotCollected()
    {
        QVERIFY(QDir().mkpath(FHome->ScratchFolder()));
        QVERIFY(WriteFile(FHome->ScratchFolder() + u"/a-005.bmp"_s, "left by an interrupted run"));
        const TStandIn standIn;
        QVERIFY(Converter(standIn).ConvertPDF(Pic(u"a.pdf"_s)).Succeeded);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{u"a-001.png"_s});
        QCOMPARE(FHome->ScratchEntries(), QStringList{u"a-005.bmp"_s});
    }

    void aiArguments_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("intermediate");
        QTest::addColumn<QString>("output");

        QTest::newRow("drawing") << u"drawing.ai"_s << u"drawing.png"_s << u"drawing.png"_s;
        QTest::newRow("percent sign") << u"100%.ai"_s << u"100%%.png"_s << u"100%.png"_s;
    }
    void aiArguments()
    {
        QFETCH(QString, source);
        QFETCH(QString, intermediate);
        QFETCH(QString, output);
        const TStandIn standIn;

        const TConvertResult result = Converter(standIn).ConvertAI(Pic(source));

        QVERIFY2(result.Succeeded, qPrintable(result.Reason));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        const QStringList gs = calls[0].Arguments;
        QCOMPARE(gs.size(), 8);
        QCOMPARE(gs.mid(0, 6), (QStringList{u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dNOPROMPT"_s,
                                            u"-dQUIET"_s, u"-sDEVICE=pngalpha"_s, u"-r96"_s}));
        const QRegularExpression png(u"^-sOutputFile=("_s + WorkFolderPattern() + u")/"_s +
                                     QRegularExpression::escape(intermediate) + u"$"_s);
        const QRegularExpressionMatch match = png.match(gs[6]);
        QVERIFY2(match.hasMatch(), qPrintable(gs[6]));
        QCOMPARE(gs[7], Pic(source));
        QCOMPARE(calls[1].Arguments,
                 (QStringList{match.captured(1) + u'/' + intermediate + u"[0]"_s, u"+repage"_s,
                              u"-auto-orient"_s, QString(Pic(output)).replace(u"%"_s, u"%%"_s)}));
        QVERIFY(QFileInfo(Pic(output)).size() > 0);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void aiIntermediateRemovedWhenTheConversionFails()
    {
        TStandIn standIn;
        standIn.SetWritesNothing(u"magick"_s);
        const TConvertResult result = Converter(standIn).ConvertAI(Pic(u"drawing.ai"_s));
        QVERIFY(!result.Succeeded);
        QCOMPARE(standIn.CallsOf(u"magick"_s).size(), 1);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList());
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void fileTypeChoosesTheConverter_data()
    {
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<QString>("firstProgram");

        QTest::newRow("PDF") << u"PDF"_s << u"gs"_s;
        QTest::newRow("AI") << u"AI"_s << u"gs"_s;
        QTest::newRow("lower-case pdf is an image") << u"pdf"_s << u"magick"_s;
        QTest::newRow("EPS") << u"EPS"_s << u"magick"_s;
        QTest::newRow("SVG") << u"SVG"_s << u"magick"_s;
        QTest::newRow("no type") << QString() << QString();
    }
    void fileTypeChoosesTheConverter()
    {
        QFETCH(QString, fileType);
        QFETCH(QString, firstProgram);
        const TStandIn standIn;
        const TConvertResult result = Converter(standIn).ConvertFile(Pic(u"file.pdf"_s), fileType);
        QCOMPARE(result.Succeeded, !firstProgram.isEmpty());
        QCOMPARE(standIn.Calls().value(0).Program, firstProgram);
    }
};

QTEST_GUILESS_MAIN(TConvertDocumentTest)
#include "tst_convertdocument.moc"
