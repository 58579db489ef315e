#include "PicFixture.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "config/Config.h"
#include "convert/ConvertTools.h"
#include "convert/RunProcess.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

// A folder of real files converted by the window with the installed ImageMagick, cjpeg and
// Ghostscript.
class TConversionRealTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    TTestHome FHome;
    TConvertTools FTools;

    bool MakeImage(const QString& name, const QStringList& arguments) const
    {
        RunProcess(FTools.ImageMagick, arguments + QStringList{Pic(name)});
        return QFileInfo(Pic(name)).size() > 0;
    }

    bool MakePdf(const QString& name) const
    {
        const QString source = Pic(u"page.ps"_s);
        QFile postScript(source);
        if (!postScript.open(QIODevice::WriteOnly) ||
            postScript.write("<< /PageSize [36 36] >> setpagedevice 1 0 0 setrgbcolor "
                             "0 0 18 18 rectfill showpage ") < 0)
            return false;
        postScript.close();
        RunProcess(FTools.Ghostscript,
                   {u"-q"_s, u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dSAFER"_s, u"-sDEVICE=pdfwrite"_s,
                    u"-sOutputFile="_s + Pic(name), source});
        return QFile::remove(source) && QFileInfo(Pic(name)).size() > 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        LoadTranslations();
        FTools = TConvertTools::Installed();
        QVERIFY2(!FTools.ImageMagick.isEmpty(), "ImageMagick is not installed");
        QVERIFY2(!FTools.JpegEncoder.isEmpty(), "cjpeg is not installed");
        QVERIFY2(!FTools.Ghostscript.isEmpty(), "Ghostscript is not installed");
    }

    void init()
    {
        NewPicFolder();
        SetCurrentLanguage(u"en"_s);
    }

    void a_mixed_folder_converts_with_the_right_results_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("to JPG") << u"JPG"_s;
        QTest::newRow("to PNG") << u"PNG"_s;
    }
    void a_mixed_folder_converts_with_the_right_results()
    {
        QFETCH(QString, format);
        QVERIFY(MakeImage(u"photo.jpg"_s, {u"-size"_s, u"12x8"_s, u"xc:red"_s}));
        QVERIFY(MakeImage(u"icon.gif"_s, {u"-size"_s, u"8x8"_s, u"xc:blue"_s}));
        QVERIFY(MakePdf(u"doc.pdf"_s));
        QFile garbage(Pic(u"broken.jpg"_s));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("this is not a picture at all, only words");
        garbage.close();

        TFrmMorvane window({u"morvane"_s, u"/auto"_s, format, Pics()}, TFrmMorvaneSetup{});
        QTRY_VERIFY_WITH_TIMEOUT(IsRunOver(window), 60000);

        const QStringList titles = ShownTitles(window);
        const QStringList shown = ShownStatuses(window);
        QMap<QString, QString> statuses;
        for (qsizetype row = 0; row < titles.size(); ++row)
            statuses.insert(titles.at(row), shown.at(row));
        const QMap<QString, QString> expected = {{u"photo.jpg"_s, u"Success"_s},
                                                 {u"icon.gif"_s, u"Success"_s},
                                                 {u"doc.pdf"_s, u"Success"_s},
                                                 {u"broken.jpg"_s, u"Fail"_s}};
        QCOMPARE(statuses, expected);

        const QString extension = format.toLower();
        QVERIFY(QFileInfo(Pic(u"icon."_s + extension)).size() > 0);
        QVERIFY(QFileInfo(Pic(u"doc-001."_s + extension)).size() > 0);
    }

    // A folder converted into the chosen folder with the folder structure kept: the tree comes
    // back under the folder's own name, and each output has its source's date.
    void a_folder_tree_lands_in_the_chosen_folder()
    {
        QVERIFY(QDir().mkpath(Pic(u"Trip/Day 1"_s)));
        QVERIFY(MakeImage(u"Trip/a.jpg"_s, {u"-size"_s, u"12x8"_s, u"xc:red"_s}));
        QVERIFY(MakeImage(u"Trip/Day 1/a.jpg"_s, {u"-size"_s, u"8x8"_s, u"xc:blue"_s}));
        const QDateTime taken(QDate(2001, 2, 3), QTime(4, 5, 6));
        for (const QString& name : {u"Trip/a.jpg"_s, u"Trip/Day 1/a.jpg"_s}) {
            QFile file(Pic(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(taken, QFileDevice::FileModificationTime));
        }
        {
            TConfig config(u"Dovrelan\\Morvane"_s);
            config.WriteString(u"format"_s, u"PNG"_s);
            config.WriteInteger(u"save"_s, 2);
            config.WriteString(u"savepath"_s, Pic(u"out"_s));
            config.WriteBoolean(u"keep_tree"_s, true);
            config.WriteBoolean(u"keep_dates"_s, true);
        }

        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        window.AddFile({Pic(u"Trip"_s)});
        Control<QAbstractButton>(window, u"BtnStart"_s).click();
        QTRY_COMPARE_WITH_TIMEOUT(ShownStatuses(window), (QStringList{u"Success"_s, u"Success"_s}),
                                  60000);

        QStringList outputs;
        QDirIterator files(Pic(u"out"_s), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString output = files.next();
            outputs << QDir(Pic(u"out"_s)).relativeFilePath(output);
            QCOMPARE(QFileInfo(output).lastModified(), taken);
        }
        outputs.sort();
        QCOMPARE(outputs, (QStringList{u"Trip/Day 1/a.png"_s, u"Trip/a.png"_s}));
    }
};

QTEST_MAIN(TConversionRealTest)
#include "tst_conversionreal.moc"
