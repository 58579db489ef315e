#include "convert/Converter.h"

#include "HomeFixture.h"
#include "StandIn.h"
#include "TestFiles.h"

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

class TConvertDocumentTest : public THomeAndPicsTest
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
    // A private folder of the scratch folder, as a pattern.
    QString WorkFolderPattern() const
    {
        return QRegularExpression::escape(FHome->ScratchFolder()) + u"/convert-[A-Za-z0-9]{6}"_s;
    }
    static TConverter Converter(const TStandIn& standIn,
                                const TConvertOptions& options = Options(u"PNG"_s))
    {
        return TConverter(TConvertTools::InFolder(standIn.Folder()), options);
    }

private Q_SLOTS:
    void pdfArguments()
    {
        const TStandIn standIn;
        const TResult<> result = Converter(standIn).ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s});
        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));

        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].Program, u"gs"_s);
        QCOMPARE(calls[0].Arguments,
                 (QStringList{u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dNOPROMPT"_s, u"-dQUIET"_s,
                              u"-sFONTPATH=/usr/share/fonts"_s, u"-dTextAlphaBits=4"_s,
                              u"-dGraphicsAlphaBits=4"_s, u"-sDEVICE=bmp16m"_s, u"-r384"_s,
                              u"-sOutputFile=./page-%03d.bmp"_s, u"./source.pdf"_s}));
        QVERIFY2(QRegularExpression(u"^"_s + WorkFolderPattern() + u"$"_s)
                     .match(calls[0].WorkingFolder)
                     .hasMatch(),
                 qPrintable(calls[0].WorkingFolder));
        QCOMPARE(TStandIn::InputBelow(calls[0], Pics()), u"a.pdf"_s);
        QCOMPARE(calls[1].Arguments,
                 (QStringList{u"./source.bmp[0]"_s, u"+repage"_s, u"-auto-orient"_s, u"-resize"_s,
                              u"25%"_s, u"./output.png"_s}));
        QVERIFY(calls[1].WorkingFolder != calls[0].WorkingFolder);
        QVERIFY(QFileInfo(Pic(u"a-001.png"_s)).size() > 0);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void pages_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<QStringList>("outputs");

        QTest::newRow("one page") << u"a.pdf"_s << 1 << 1 << QStringList{u"a-001.png"_s};
        QTest::newRow("three pages")
            << u"a.pdf"_s << 1 << 3 << QStringList{u"a-001.png"_s, u"a-002.png"_s, u"a-003.png"_s};
        QTest::newRow("four-digit page numbers in page order")
            << u"a.pdf"_s << 998 << 1001
            << QStringList{u"a-998.png"_s, u"a-999.png"_s, u"a-1000.png"_s, u"a-1001.png"_s};
        QTest::newRow("stem without extension")
            << u"scan"_s << 1 << 1 << QStringList{u"scan-001.png"_s};
        QTest::newRow("stem with several dots")
            << u"a.b.pdf"_s << 1 << 1 << QStringList{u"a.b-001.png"_s};
        QTest::newRow("percent sign in the name")
            << u"100%.pdf"_s << 1 << 2 << QStringList{u"100%-001.png"_s, u"100%-002.png"_s};
        QTest::newRow("pattern characters in the name")
            << u"a*[1]?.pdf"_s << 1 << 1 << QStringList{u"a*[1]?-001.png"_s};
    }
    void pages()
    {
        QFETCH(QString, source);
        QFETCH(int, firstPage);
        QFETCH(int, lastPage);
        QFETCH(QStringList, outputs);
        TStandIn standIn;
        standIn.SetPages(firstPage, lastPage);

        const TResult<> result = Converter(standIn).ConvertFile({Source(source), {}, u"PDF"_s});

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        QStringList pagesRead;
        for (const TStandInCall& call : standIn.CallsOf(u"magick"_s))
            pagesRead << call.Arguments.first();
        QCOMPARE(pagesRead, QStringList(outputs.size(), u"./source.bmp[0]"_s));
        for (int page = firstPage; page <= lastPage; ++page) {
            const QString output = outputs[page - firstPage];
            QCOMPARE(ReadFile(Pic(output)), QByteArray("written by magick\n"));
        }
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), outputs.size() + 1);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // The document fails when any page fails and says which; the pages converted stay.
    void anyFailedPageFailsTheDocument_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("failingPages");
        QTest::addColumn<QString>("reason");

        QTest::newRow("none fails") << 3 << QString() << QString();
        QTest::newRow("first page fails")
            << 3 << u"page-001"_s << u"page 1 of 3: no output was written"_s;
        QTest::newRow("middle page fails")
            << 3 << u"page-002"_s << u"page 2 of 3: no output was written"_s;
        QTest::newRow("last page fails")
            << 3 << u"page-003"_s << u"page 3 of 3: no output was written"_s;
        QTest::newRow("many pages fail")
            << 6 << u"page-00"_s
            << u"page 1 of 6: no output was written\npage 2 of 6: no output was written\n"
               "page 3 of 6: no output was written\n3 more pages failed"_s;
    }
    void anyFailedPageFailsTheDocument()
    {
        QFETCH(int, pages);
        QFETCH(QString, failingPages);
        QFETCH(QString, reason);
        TStandIn standIn;
        standIn.SetPages(1, pages);
        if (!failingPages.isEmpty())
            standIn.SetWritesNothing(u"magick"_s, failingPages);

        const TResult<> result = Converter(standIn).ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s});

        QCOMPARE(result.IsOk(), failingPages.isEmpty());
        QCOMPARE(result.Reason(), reason);
        for (int page = 1; page <= pages; ++page) {
            const QString number = u"%1"_s.arg(page, 3, 10, QChar(u'0'));
            const bool failed =
                !failingPages.isEmpty() && QString(u"page-"_s + number).startsWith(failingPages);
            QCOMPARE(QFile::exists(Pic(u"a-"_s + number + u".png"_s)), !failed);
        }
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // Ghostscript must end by itself with status 0; else no page is converted, as one may be cut
    // short, and what it printed is the reason.
    void documentFailures_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("ghostscriptPrints");
        QTest::addColumn<bool>("ghostscriptWrites");
        QTest::addColumn<int>("ghostscriptStatus");
        QTest::addColumn<QString>("reason");

        QTest::newRow("Ghostscript missing") << QStringList{u"magick"_s, u"cjpeg"_s} << QString()
                                             << true << 0 << u"Ghostscript not found"_s;
        QTest::newRow("ImageMagick missing") << QStringList{u"cjpeg"_s, u"gs"_s} << QString()
                                             << true << 0 << u"ImageMagick not found"_s;
        QTest::newRow("no pages written")
            << AllPrograms << QString() << false << 0 << u"Ghostscript wrote no pages"_s;
        QTest::newRow("Ghostscript explains")
            << AllPrograms << u"Error: /syntaxerror in pdfopen\n"_s << false << 0
            << u"Error: /syntaxerror in pdfopen"_s;
        QTest::newRow("Ghostscript explains, writes and ends with status 1")
            << AllPrograms << u"Error: /rangecheck in --run--\n"_s << true << 1
            << u"Error: /rangecheck in --run--"_s;
        QTest::newRow("Ghostscript writes and ends with status 1")
            << AllPrograms << QString() << true << 1 << u"gs ended with status 1"_s;
    }
    void documentFailures()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, ghostscriptPrints);
        QFETCH(bool, ghostscriptWrites);
        QFETCH(QString, reason);
        QFETCH(int, ghostscriptStatus);
        TStandIn standIn(programs);
        standIn.SetPrinted(u"gs"_s, ghostscriptPrints);
        standIn.SetExitStatus(u"gs"_s, ghostscriptStatus);
        if (!ghostscriptWrites)
            standIn.SetWritesNothing(u"gs"_s);
        const TConverter converter = Converter(standIn);

        for (const TResult<>& result :
             {converter.ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s}),
              converter.ConvertFile({Source(u"b.ai"_s), {}, u"AI"_s}),
              converter.ConvertFile({Source(u"c.eps"_s), {}, u"EPS"_s})}) {
            QVERIFY(!result.IsOk());
            QCOMPARE(result.Reason(), reason);
        }
        QVERIFY(standIn.CallsOf(u"magick"_s).isEmpty());
        QCOMPARE(QDir(Pics()).entryList(QDir::Files),
                 (QStringList{u"a.pdf"_s, u"b.ai"_s, u"c.eps"_s}));
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // Ghostscript reports damage it repaired or ignored and still draws the document: what it
    // printed does not fail it when it ended with status 0. ImageMagick's words still do.
    void ghostscriptWarningsDoNotFail_data()
    {
        QTest::addColumn<QString>("magickPrints");
        QTest::addColumn<QString>("reason");

        QTest::newRow("ImageMagick silent") << QString() << QString();
        QTest::newRow("ImageMagick warns")
            << u"magick: profile mismatch\n"_s << u"magick: profile mismatch"_s;
    }
    void ghostscriptWarningsDoNotFail()
    {
        QFETCH(QString, magickPrints);
        QFETCH(QString, reason);
        TStandIn standIn;
        standIn.SetPrinted(u"gs"_s,
                           u"   **** Error:  An error occurred while reading an XREF table.\n"
                           "   **** This file had errors that were repaired or ignored.\n"_s);
        standIn.SetPrinted(u"magick"_s, magickPrints);
        const TConverter converter = Converter(standIn);

        const QList<std::pair<QString, QString>> files{
            {u"a.pdf"_s, u"a-001.png"_s}, {u"b.ai"_s, u"b.png"_s}, {u"c.eps"_s, u"c.png"_s}};
        for (const auto& [source, output] : files) {
            const QString type = source.section(u'.', 1).toUpper();
            const TResult<> result = converter.ConvertFile({Source(source), {}, type});
            QCOMPARE(result.IsOk(), reason.isEmpty());
            if (!reason.isEmpty())
                QCOMPARE(result.Reason(),
                         (type == u"PDF" ? u"page 1 of 1: "_s : QString()) + reason);
            QCOMPARE(QFile::exists(Pic(output)), reason.isEmpty());
        }
        QCOMPARE(standIn.CallsOf(u"magick"_s).size(), 3);
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

        QVERIFY(converter.ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s}).IsOk());
        QVERIFY(converter.ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s}).IsOk());

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
        QVERIFY(Converter(standIn, options).ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s}).IsOk());
        const QStringList magick = standIn.CallsOf(u"magick"_s).value(0).Arguments;
        QCOMPARE(magick.mid(1, 4),
                 (QStringList{u"+repage"_s, u"-auto-orient"_s, u"-resize"_s, u"800x"_s}));
    }

    void pagesOfAnEarlierRunAreNotCollected()
    {
        QVERIFY(QDir().mkpath(FHome->ScratchFolder()));
        QVERIFY(WriteFile(FHome->ScratchFolder() + u"/a-005.bmp"_s, "left by an interrupted run"));
        const TStandIn standIn;
        QVERIFY(Converter(standIn).ConvertFile({Source(u"a.pdf"_s), {}, u"PDF"_s}).IsOk());
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), (QStringList{u"a-001.png"_s, u"a.pdf"_s}));
        QCOMPARE(FHome->ScratchEntries(), QStringList{u"a-005.bmp"_s});
    }

    // An AI or EPS file is drawn by Ghostscript into one PNG in the work folder, an EPS on its
    // bounding box, and that PNG is converted under the drawing's own name.
    void drawingArguments_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("pageOptions");

        QTest::newRow("AI") << u"drawing.ai"_s << u"AI"_s << u"drawing.png"_s << QStringList();
        QTest::newRow("AI, percent sign")
            << u"100%.ai"_s << u"AI"_s << u"100%.png"_s << QStringList();
        QTest::newRow("EPS") << u"logo.eps"_s << u"EPS"_s << u"logo.png"_s
                             << QStringList{u"-dEPSCrop"_s};
        QTest::newRow("EPS, hostile name") << u"-a[1] 100%.eps"_s << u"EPS"_s << u"-a[1] 100%.png"_s
                                           << QStringList{u"-dEPSCrop"_s};
        QTest::newRow("PostScript")
            << u"page.ps"_s << u"EPS"_s << u"page.png"_s << QStringList{u"-dEPSCrop"_s};
    }
    void drawingArguments()
    {
        QFETCH(QString, source);
        QFETCH(QString, type);
        QFETCH(QString, output);
        QFETCH(QStringList, pageOptions);
        const TStandIn standIn;

        const TResult<> result = Converter(standIn).ConvertFile({Source(source), {}, type});

        QVERIFY2(result.IsOk(), qPrintable(result.Reason()));
        const QList<TStandInCall> calls = standIn.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].Program, u"gs"_s);
        QCOMPARE(
            calls[0].Arguments,
            QStringList({u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dNOPROMPT"_s, u"-dQUIET"_s}) +
                pageOptions +
                QStringList({u"-sDEVICE=pngalpha"_s, u"-r96"_s, u"-sOutputFile=./rendered.png"_s,
                             u"./source."_s + QFileInfo(source).suffix()}));
        QCOMPARE(TStandIn::InputBelow(calls[0], Pics()), source);
        QCOMPARE(calls[1].Program, u"magick"_s);
        QCOMPARE(calls[1].Arguments, (QStringList{u"./source.png[0]"_s, u"+repage"_s,
                                                  u"-auto-orient"_s, u"./output.png"_s}));
        QCOMPARE(ReadFile(Pic(output)), QByteArray("written by magick\n"));
        QCOMPARE(QDir(Pics()).entryList(QDir::Files).size(), 2);
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void drawingIntermediateRemovedWhenTheConversionFails_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("type");
        QTest::newRow("AI") << u"drawing.ai"_s << u"AI"_s;
        QTest::newRow("EPS") << u"drawing.eps"_s << u"EPS"_s;
    }
    void drawingIntermediateRemovedWhenTheConversionFails()
    {
        QFETCH(QString, source);
        QFETCH(QString, type);
        TStandIn standIn;
        standIn.SetWritesNothing(u"magick"_s);
        const TResult<> result = Converter(standIn).ConvertFile({Source(source), {}, type});
        QVERIFY(!result.IsOk());
        QCOMPARE(standIn.CallsOf(u"magick"_s).size(), 1);
        QCOMPARE(QDir(Pics()).entryList(QDir::Files), QStringList{source});
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    void fileTypeChoosesTheConverter_data()
    {
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<QString>("firstProgram");

        QTest::newRow("PDF") << u"PDF"_s << u"gs"_s;
        QTest::newRow("AI") << u"AI"_s << u"gs"_s;
        QTest::newRow("lower-case pdf is an image") << u"pdf"_s << u"magick"_s;
        QTest::newRow("EPS") << u"EPS"_s << u"gs"_s;
        QTest::newRow("lower-case eps is an image") << u"eps"_s << u"magick"_s;
        QTest::newRow("SVG") << u"SVG"_s << u"magick"_s;
        QTest::newRow("no type") << QString() << QString();
    }
    void fileTypeChoosesTheConverter()
    {
        QFETCH(QString, fileType);
        QFETCH(QString, firstProgram);
        const TStandIn standIn;
        const TResult<> result =
            Converter(standIn).ConvertFile({Source(u"file.pdf"_s), {}, fileType});
        QCOMPARE(result.IsOk(), !firstProgram.isEmpty());
        QCOMPARE(standIn.Calls().value(0).Program, firstProgram);
    }
};

QTEST_GUILESS_MAIN(TConvertDocumentTest)
#include "tst_convertdocument.moc"
