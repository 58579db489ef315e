#include "batch/JobPool.h"
#include "batch/OutputChains.h"
#include "cli/BatchReport.h"

#include "HomeFixture.h"
#include "StandIn.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <QRegularExpression>

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
// Each "file" or "folder walked|file".
QList<TFileInfo> Inputs(const QStringList& entries)
{
    QList<TFileInfo> inputs;
    for (const QString& entry : entries) {
        const QString fileName = entry.section(u'|', -1);
        const QString type = fileName.endsWith(u".pdf"_s) ? u"PDF"_s : u"JPG"_s;
        const QString root = entry.contains(u'|') ? entry.section(u'|', 0, 0) : QString();
        inputs.append({fileName, QFileInfo(fileName).fileName(), type, root});
    }
    return inputs;
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// "0 2|1": the chains' input indexes.
QString ChainsText(const QList<QList<qsizetype>>& chains)
{
    QStringList texts;
    for (const QList<qsizetype>& chain : chains) {
        QStringList indexes;
        for (const qsizetype index : chain)
            indexes << QString::number(index);
        texts << indexes.join(u' ');
    }
    return texts.join(u'|');
}
} // namespace

// The command line's pieces: which files may run side by side, the printed lines, the job pool.
class TCliPiecesTest : public THomeAndPicsTest
{
    Q_OBJECT

private:
private Q_SLOTS:
    void filesThatCompeteForANameRunInTurn_data()
    {
        QTest::addColumn<QStringList>("fileNames");
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<QString>("chains");
        QTest::addColumn<bool>("keepsTree");

        QTest::newRow("different names side by side")
            << QStringList{u"/p/a.jpg"_s, u"/p/b.jpg"_s} << QString() << u"0|1"_s << false;
        QTest::newRow("one name in two types")
            << QStringList{u"/p/a.jpg"_s, u"/p/b.jpg"_s, u"/p/a.png"_s} << QString() << u"0 2|1"_s
            << false;
        QTest::newRow("one name in two folders")
            << QStringList{u"/p/a.jpg"_s, u"/q/a.jpg"_s} << QString() << u"0|1"_s << false;
        QTest::newRow("one name in two folders, into one")
            << QStringList{u"/p/a.jpg"_s, u"/q/a.jpg"_s} << u"/out"_s << u"0 1"_s << false;
        QTest::newRow("numbered copies")
            << QStringList{u"/p/a.jpg"_s, u"/p/a (1).jpg"_s, u"/p/a (2) (1).gif"_s} << QString()
            << u"0 1 2"_s << false;
        QTest::newRow("letter case")
            << QStringList{u"/p/A.jpg"_s, u"/p/a.png"_s} << QString() << u"0 1"_s << false;
        QTest::newRow("page names of a PDF")
            << QStringList{u"/p/doc.pdf"_s, u"/p/x.jpg"_s, u"/p/doc-002.jpg"_s,
                           u"/p/doc-1000 (1).png"_s}
            << QString() << u"0 2 3|1"_s << false;
        QTest::newRow("a numbered series without its PDF")
            << QStringList{u"/p/scan-001.jpg"_s, u"/p/scan-002.jpg"_s} << QString() << u"0|1"_s
            << false;
        QTest::newRow("a PDF and an image of its name")
            << QStringList{u"/p/doc.pdf"_s, u"/p/doc.jpg"_s} << QString() << u"0|1"_s << false;
        QTest::newRow("pages of a numbered PDF")
            << QStringList{u"/p/doc (1).pdf"_s, u"/p/doc-001.jpg"_s, u"/p/doc (1)-001 (2).jpg"_s}
            << QString() << u"0 2|1"_s << false;
        QTest::newRow("relative paths")
            << QStringList{u"a.jpg"_s, u"./a.png"_s} << QString() << u"0 1"_s << false;
        QTest::newRow("a kept tree: one name in two subfolders")
            << QStringList{u"/p/Trip|/p/Trip/x/a.jpg"_s, u"/p/Trip|/p/Trip/y/a.jpg"_s} << u"/out"_s
            << u"0|1"_s << true;
        QTest::newRow("a kept tree: two folders of one name")
            << QStringList{u"/p/Trip|/p/Trip/a.jpg"_s, u"/q/Trip/|/q/Trip/a.png"_s} << u"/out"_s
            << u"0 1"_s << true;
        QTest::newRow("a kept tree: a file of the folder's name beside it")
            << QStringList{u"/p/Trip|/p/Trip/a.jpg"_s, u"/p/a.jpg"_s} << u"/out"_s << u"0|1"_s
            << true;
        QTest::newRow("a kept tree without an output folder")
            << QStringList{u"/p/Trip|/p/Trip/x/a.jpg"_s, u"/p/Trip|/p/Trip/y/a.jpg"_s} << QString()
            << u"0|1"_s << true;
    }
    void filesThatCompeteForANameRunInTurn()
    {
        QFETCH(QStringList, fileNames);
        QFETCH(QString, outputFolder);
        QFETCH(QString, chains);
        QFETCH(bool, keepsTree);
        TConvertOptions options;
        options.OutputFolder = outputFolder;
        options.FolderTree = keepsTree ? TFolderTree::Kept : TFolderTree::Flat;
        QCOMPARE(ChainsText(OutputChains(Inputs(fileNames), options)), chains);
    }

    void resultLine_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("line");

        QTest::newRow("ok") << u"/p/a b.jpg"_s << true << QString() << u"ok\t/p/a b.jpg"_s;
        QTest::newRow("fail") << u"a.jpg"_s << false << u"no output was written"_s
                              << u"fail\ta.jpg\tno output was written"_s;
        QTest::newRow("reason of several lines")
            << u"a.jpg"_s << false << u"convert: bad header\r\nconvert: no images\n"_s
            << u"fail\ta.jpg\tconvert: bad header; convert: no images"_s;
        QTest::newRow("tab in the reason")
            << u"a.jpg"_s << false << u"at\tcolumn"_s << u"fail\ta.jpg\tat column"_s;
        QTest::newRow("line break and tab in the path")
            << u"/p/a\nb\tc.jpg"_s << true << QString() << u"ok\t/p/a?b?c.jpg"_s;
    }
    void resultLine()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, succeeded);
        QFETCH(QString, reason);
        QFETCH(QString, line);
        const TResult<> result = succeeded ? TResult<>() : Failed(reason);
        QCOMPARE(ResultLine(fileName, result), line);
    }

    void pagesOfADocumentAreSharedOut_data()
    {
        QTest::addColumn<QString>("failingPage");
        QTest::addColumn<bool>("succeeded");

        QTest::newRow("every page") << QString() << true;
        QTest::newRow("a middle page fails") << u"page-003."_s << false;
        QTest::newRow("the last page fails") << u"page-006."_s << false;
    }
    void pagesOfADocumentAreSharedOut()
    {
        QFETCH(QString, failingPage);
        QFETCH(bool, succeeded);
        for (const QString& name : {u"doc.pdf"_s, u"a.jpg"_s, u"b.jpg"_s})
            QVERIFY(QFile(Pic(name)).open(QIODevice::WriteOnly));
        TStandIn standIn;
        standIn.SetPages(1, 6);
        if (!failingPage.isEmpty())
            standIn.SetWritesNothing(u"magick"_s, failingPage);
        TConvertOptions options;
        options.Format = u"PNG"_s;
        TJobPool pool(TConvertTools::InFolder(standIn.Folder()), options, 3);

        QList<qsizetype> order;
        QList<TResult<>> results;
        pool.Run(
            Inputs({Pic(u"doc.pdf"_s), Pic(u"a.jpg"_s), Pic(u"b.jpg"_s)}),
            [&](qsizetype index, const TResult<>& result) {
                order << index;
                results << result;
            },
            [](qsizetype) {});

        QCOMPARE(order, QList<qsizetype>({0, 1, 2}));
        QCOMPARE(results.first().IsOk(), succeeded);
        for (int page = 1; page <= 6; ++page) {
            const QString output = u"doc-%1.png"_s.arg(page, 3, 10, QChar(u'0'));
            const bool failed = !failingPage.isEmpty() && failingPage.contains(output.mid(4, 3));
            QCOMPARE(QFile::exists(Pic(output)), !failed);
        }
    }

    // Files start in input order, each told once before its end; a file that could claim the
    // name of one under way starts after that one's end. Results still come in input order.
    void filesStartInInputOrder()
    {
        const QStringList names = {u"x/a.jpg"_s, u"b.jpg"_s, u"y/a.jpg"_s,
                                   u"bad.jpg"_s, u"c.jpg"_s, u"z/a.jpg"_s};
        QStringList sources;
        for (const QString& name : names) {
            QVERIFY(QDir().mkpath(QFileInfo(Pic(name)).path()));
            QFile file(Pic(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name.toUtf8()) > 0);
            sources << Pic(name);
        }
        TStandIn standIn;
        standIn.SetWritesNothing(u"magick"_s, u"bad"_s);
        TConvertOptions options;
        options.Format = u"PNG"_s;
        options.OutputFolder = Pic(u"out"_s);
        QVERIFY(QDir().mkpath(options.OutputFolder));
        TJobPool pool(TConvertTools::InFolder(standIn.Folder()), options, 3);
        std::mutex eventsMutex;
        QStringList events;
        const auto note = [&](const QString& event) {
            const std::lock_guard lock(eventsMutex);
            events << event;
        };
        pool.SetEvents(
            {[&](qsizetype index) { note(u"start %1"_s.arg(index)); },
             [&](qsizetype index, const TResult<>& result) {
                 note(u"end %1 %2"_s.arg(index).arg(result.IsOk() ? u"converted"_s : u"failed"_s));
             }});

        QList<qsizetype> order;
        pool.Run(
            Inputs(sources), [&](qsizetype index, const TResult<>&) { order << index; },
            [](qsizetype) {});

        QCOMPARE(order, QList<qsizetype>({0, 1, 2, 3, 4, 5}));
        QCOMPARE(events.size(), 12);
        QCOMPARE(events.filter(u"start"_s),
                 (QStringList{u"start 0"_s, u"start 1"_s, u"start 2"_s, u"start 3"_s, u"start 4"_s,
                              u"start 5"_s}));
        QCOMPARE(Sorted(events.filter(u"end"_s)),
                 (QStringList{u"end 0 converted"_s, u"end 1 converted"_s, u"end 2 converted"_s,
                              u"end 3 failed"_s, u"end 4 converted"_s, u"end 5 converted"_s}));
        for (qsizetype index = 0; index < 6; ++index)
            QVERIFY(events.indexOf(u"start %1"_s.arg(index)) <
                    events.indexOf(QRegularExpression(u"end %1 .*"_s.arg(index))));
        QVERIFY(events.indexOf(u"end 0 converted"_s) < events.indexOf(u"start 2"_s));
        QVERIFY(events.indexOf(u"end 2 converted"_s) < events.indexOf(u"start 5"_s));
    }

    // Stopped from another thread, the pool ends the programs under way with what they started,
    // starts none, and still gives every input its result; nothing reaches an output name.
    void stopEndsTheFilesUnderWay()
    {
        QStringList sources;
        for (const QString& name : {u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}) {
            QVERIFY(QFile(Pic(name)).open(QIODevice::WriteOnly));
            sources << Pic(name);
        }
        TStandIn standIn;
        standIn.SetHangs(u"magick"_s);
        TConvertOptions options;
        options.Format = u"PNG"_s;
        TStopToken stop;
        TJobPool pool(TConvertTools::InFolder(standIn.Folder()), options, 2, stop);
        std::mutex endsMutex;
        QList<std::pair<qsizetype, bool>> ends;
        pool.SetEvents({{}, [&](qsizetype index, const TResult<>& result) {
                            const std::lock_guard lock(endsMutex);
                            ends.append({index, result.IsFailureOf(TFailureKind::Interrupted)});
                        }});
        // The caller's copy of the token stops the pool as Stop() does.
        std::thread stopper([&] {
            while (standIn.Children(u"magick"_s).size() < 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            stop.RequestStop();
        });

        QList<TResult<>> results;
        pool.Run(
            Inputs(sources), [&](qsizetype, const TResult<>& result) { results << result; },
            [](qsizetype) {});
        stopper.join();

        std::ranges::sort(ends);
        // Both interrupted.
        QCOMPARE(ends, (QList<std::pair<qsizetype, bool>>{{0, true}, {1, true}}));
        QCOMPARE(results.size(), 4);
        for (const TResult<>& result : std::as_const(results)) {
            QVERIFY(result.IsFailureOf(TFailureKind::Interrupted));
            QCOMPARE(result.Reason(), u"interrupted"_s);
        }
        QCOMPARE(standIn.Calls().size(), 2);
        QCOMPARE(QDir(Pics()).entryList({u"*.png"_s}), QStringList());
        QCOMPARE(QDir(FHome->CacheHome() + u"/Morvane"_s)
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TCliPiecesTest)
#include "tst_clipieces.moc"
