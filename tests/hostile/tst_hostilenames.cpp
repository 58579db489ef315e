#include "HostileFixtures.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "config/Config.h"
#include "convert/ConvertTools.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Decoy = "a file of the user's that must stay as it is";

QAbstractButton& StartButton(const TFrmMorvane& window)
{
    return Control<QAbstractButton>(window, u"BtnStart"_s);
}

} // namespace

// Awkward names and folders converted by the window with the installed programs: no crash, no
// file overwritten, nothing written elsewhere, and the run always finishes.
class THostileNamesTest : public QObject
{
    Q_OBJECT

private:
    TTestHome FHome;
    TConvertTools FTools;
    QByteArray FJpeg;
    // Another picture, of another size.
    QByteArray FSmallJpeg;
    std::optional<QTemporaryDir> FRoot;

    QString Root(const QString& name) const { return FRoot->filePath(name); }
    QString Pic(const QString& name) const { return Root(u"pics/"_s + name); }

    QString WriteJpeg(const QString& path) const
    {
        return WriteFile(path, FJpeg) ? path : QString();
    }

    bool IsConvertedImage(const QString& path) const
    {
        return Frames(FTools.ImageMagick, path) == QStringList{u"64 48"_s};
    }

    // A run in automatic mode, as from the command line.
    static void RunAutomatic(const QStringList& paths)
    {
        TFrmMorvane window(QStringList{u"morvane"_s, u"/auto"_s, u"PNG"_s} + paths,
                           TFrmMorvaneSetup{});
        QTRY_VERIFY_WITH_TIMEOUT(IsRunOver(window), 120000);
    }

    // The window's run over `paths`, one file at a time, with `duringRun` called on the main
    // thread once the first row has succeeded, before the next starts; the statuses when the run
    // has finished.
    QStringList RunInteractive(const QStringList& paths, const QString& outputFolder,
                               const std::function<void()>& duringRun)
    {
        TConfig(u"Dovrelan\\Morvane"_s).WriteInteger(u"jobs"_s, 1);
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        Control<QRadioButton>(window, u"BtnPNG"_s).setChecked(true);
        if (!outputFolder.isEmpty()) {
            auto& chosenFolder = Control<QRadioButton>(window, u"ChkPath_2"_s);
            chosenFolder.setText(outputFolder);
            chosenFolder.setChecked(true);
        }
        window.AddFile(paths);
        bool isCalled = false;
        connect(&FileRows(window), &QAbstractItemModel::dataChanged, this, [&] {
            if (!isCalled && ShownStatuses(window).value(0) == u"Success") {
                isCalled = true;
                duringRun();
            }
        });
        StartButton(window).click();
        if (!QTest::qWaitFor([&] { return IsRunOver(window); }, 120000))
            return {u"the run did not finish"_s};
        return ShownStatuses(window);
    }

private Q_SLOTS:
    void initTestCase()
    {
        LoadTranslations();
        FTools = TConvertTools::Installed();
        QVERIFY2(!FTools.ImageMagick.isEmpty(), "ImageMagick must be installed");
        const QTemporaryDir made;
        const QString jpeg = made.filePath(u"made.jpg"_s);
        RunProcess(FTools.ImageMagick, {u"-size"_s, u"64x48"_s, u"gradient:red-blue"_s, jpeg});
        FJpeg = ReadFile(jpeg);
        QVERIFY(!FJpeg.isEmpty());
        RunProcess(FTools.ImageMagick, {u"-size"_s, u"10x10"_s, u"xc:green"_s, jpeg});
        FSmallJpeg = ReadFile(jpeg);
        QVERIFY(!FSmallJpeg.isEmpty() && FSmallJpeg != FJpeg);
    }

    void init()
    {
        SetCurrentLanguage(u"en"_s);
        FRoot.emplace();
        QVERIFY(QDir().mkpath(Root(u"pics"_s)));
    }

    void cleanup()
    {
        // Folders made unreadable or read-only must go with the rest.
        QFile::setPermissions(Pic(u"locked"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(Root(u"out"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        FRoot.reset();
    }

    void hostileName_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<bool>("isOutputNameTaken");
        QTest::addColumn<QString>("status");

        const QString longStem(251, u'n');
        const QString longHangulStem(83, u'한');
        QTest::newRow("double quotes") << u"say \"cheese\""_s << true << u"Success"_s;
        QTest::newRow("single quote") << u"it's"_s << true << u"Success"_s;
        QTest::newRow("percent signs") << u"100% %d %s %n"_s << true << u"Success"_s;
        QTest::newRow("leading dash") << u"-resize 1x1"_s << true << u"Success"_s;
        QTest::newRow("leading plus and at") << u"+@list"_s << true << u"Success"_s;
        QTest::newRow("blanks around") << u"  two  blanks  "_s << true << u"Success"_s;
        QTest::newRow("newline") << u"first\nsecond"_s << true << u"Success"_s;
        QTest::newRow("Hangul and emoji") << u"한글 사진 😀"_s << true << u"Success"_s;
        QTest::newRow("format prefix and frame") << u"png:a[0]"_s << true << u"Success"_s;
        QTest::newRow("brackets beside their match") << u"a[1]"_s << false << u"Success"_s;
        QTest::newRow("braces beside their match") << u"b{1,2}"_s << false << u"Success"_s;
        QTest::newRow("star and question mark beside their match")
            << u"c*?"_s << false << u"Success"_s;
        QTest::newRow("shell syntax") << u"$(touch x); `touch y` #"_s << true << u"Success"_s;
        QTest::newRow("255-byte name") << longStem << false << u"Success"_s;
        QTest::newRow("255-byte name, numbered output too long") << longStem << true << u"Fail"_s;
        QTest::newRow("253-byte Hangul name") << longHangulStem << false << u"Success"_s;
    }

    void hostileName()
    {
        QFETCH(QString, stem);
        QFETCH(bool, isOutputNameTaken);
        QFETCH(QString, status);
        const QString source = WriteJpeg(Pic(stem + u".jpg"_s));
        QVERIFY(!source.isEmpty());
        if (isOutputNameTaken)
            QVERIFY(WriteFile(Pic(stem + u".png"_s), Decoy));
        // A neighbour that ImageMagick would read for a name with pattern characters.
        const QString match = QString(stem).remove(QRegularExpression(u"[][{}*?,]"_s));
        if (match != stem)
            QVERIFY(WriteFile(Pic(match + u"1.jpg"_s), FSmallJpeg));
        const auto before = TakeSnapshot(FRoot->path());

        // Named on the command line: the walk would list the taken output name as well.
        TFrmMorvane window({u"morvane"_s, u"/auto"_s, u"PNG"_s, source}, TFrmMorvaneSetup{});
        QTRY_VERIFY_WITH_TIMEOUT(IsRunOver(window), 120000);

        QCOMPARE(FileRows(window).rowCount(), 1);
        QCOMPARE(FileRows(window).Info(0).FileName, source);
        QCOMPARE(ShownStatuses(window).value(0), status);
        const QString output = Pic(stem + (isOutputNameTaken ? u" (1).png"_s : u".png"_s));
        QStringList made = Differences(before, TakeSnapshot(FRoot->path()));
        if (status == u"Success") {
            QVERIFY(IsConvertedImage(output));
            QCOMPARE(made, QStringList{u"made: "_s + output});
        } else {
            QCOMPARE(made, QStringList());
        }
    }

    void pathOfMoreThan1000Characters()
    {
        QString folder = Root(u"pics"_s);
        for (int level = 0; level < 6; ++level)
            folder += u'/' + QString(200, QChar(u'a' + level));
        const QString source = WriteJpeg(folder + u"/deep.jpg"_s);
        QVERIFY(source.size() > 1000);
        RunAutomatic({Root(u"pics"_s)});
        QVERIFY(IsConvertedImage(folder + u"/deep.png"_s));
    }

    void relativeNameWithLeadingDash()
    {
        QVERIFY(!WriteJpeg(Pic(u"-density 1 x.jpg"_s)).isEmpty());
        const QString previous = QDir::currentPath();
        QDir::setCurrent(Root(u"pics"_s));
        RunAutomatic({u"-density 1 x.jpg"_s});
        QDir::setCurrent(previous);
        QVERIFY(IsConvertedImage(Pic(u"-density 1 x.png"_s)));
    }

    void unreadableFolderIsPassedOver()
    {
        QVERIFY(!WriteJpeg(Pic(u"locked/hidden.jpg"_s)).isEmpty());
        QVERIFY(!WriteJpeg(Pic(u"open.jpg"_s)).isEmpty());
        QVERIFY(QFile::setPermissions(Pic(u"locked"_s), QFile::Permissions()));
        if (!QDir(Pic(u"locked"_s)).entryList(QDir::Files).isEmpty())
            QSKIP("This user reads every folder (root): no folder can be made unreadable.");
        RunAutomatic({Root(u"pics"_s)});
        QVERIFY(IsConvertedImage(Pic(u"open.png"_s)));
    }

    void folderLinkLoopIsWalkedOnce()
    {
        QVERIFY(!WriteJpeg(Pic(u"top.jpg"_s)).isEmpty());
        QVERIFY(!WriteJpeg(Pic(u"sub/inner.jpg"_s)).isEmpty());
        QVERIFY(QFile::link(Root(u"pics"_s), Pic(u"sub/back to top"_s)));
        QVERIFY(QFile::link(u"."_s, Pic(u"itself"_s)));
        TFrmMorvane window({u"morvane"_s, u"/auto"_s, u"PNG"_s, Root(u"pics"_s)},
                           TFrmMorvaneSetup{});
        QTRY_VERIFY_WITH_TIMEOUT(IsRunOver(window), 120000);
        QStringList titles = ShownTitles(window);
        titles.sort();
        QCOMPARE(titles, (QStringList{u"inner.jpg"_s, u"top.jpg"_s}));
        QCOMPARE(ShownStatuses(window), (QStringList{u"Success"_s, u"Success"_s}));
    }

    void fileThatVanishesBeforeItsTurnFails()
    {
        const QString first = WriteJpeg(Pic(u"first.jpg"_s));
        const QString second = WriteJpeg(Pic(u"second.jpg"_s));
        const QStringList statuses =
            RunInteractive({first, second}, {}, [&] { QVERIFY(QFile::remove(second)); });
        QCOMPARE(statuses, (QStringList{u"Success"_s, u"Fail"_s}));
        QCOMPARE(QDir(Root(u"pics"_s)).entryList(QDir::Files),
                 (QStringList{u"first.jpg"_s, u"first.png"_s}));
    }

    void outputFolderThatGoesAwayMidRun_data()
    {
        QTest::addColumn<bool>("isReplacedByFile");
        QTest::newRow("replaced by a file") << true;
        QTest::newRow("made read-only") << false;
    }
    void outputFolderThatGoesAwayMidRun()
    {
        QFETCH(bool, isReplacedByFile);
        const QString out = Root(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        if (!isReplacedByFile) {
            QVERIFY(QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner));
            const bool isWritable = WriteFile(out + u"/probe"_s, "x");
            QFile::remove(out + u"/probe"_s);
            QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (isWritable)
                QSKIP("This user writes into read-only folders (root).");
        }
        const QString first = WriteJpeg(Pic(u"first.jpg"_s));
        const QString second = WriteJpeg(Pic(u"second.jpg"_s));
        const auto takeAway = [&] {
            if (isReplacedByFile) {
                QVERIFY(QDir().rename(out, Root(u"out-moved"_s)));
                QVERIFY(WriteFile(out, Decoy));
            } else {
                QVERIFY(QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner));
            }
        };
        QStringList statuses;
        const auto before = TakeSnapshot(Root(u"pics"_s));
        statuses = RunInteractive({first, second}, out, takeAway);
        QCOMPARE(statuses, (QStringList{u"Success"_s, u"Fail"_s}));
        QCOMPARE(Differences(before, TakeSnapshot(Root(u"pics"_s))), QStringList());
        if (isReplacedByFile) {
            QCOMPARE(ReadFile(out), Decoy);
            QCOMPARE(QDir(Root(u"out-moved"_s)).entryList(QDir::Files),
                     QStringList{u"first.png"_s});
        } else {
            QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u"first.png"_s});
        }
    }
};

QTEST_MAIN(THostileNamesTest)
#include "tst_hostilenames.moc"
