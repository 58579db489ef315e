#include "input/FileList.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QByteArray PngBytes = QByteArray::fromHex("89504E470D0A1A0A0000000D") + "rest of it";
const QByteArray TextBytes = "just some words, no image";

QStringList FileNames(const TPlainFileList& list)
{
    QStringList names;
    for (const TFileInfo& file : list.Files())
        names << file.FileName;
    return names;
}

QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

class TFileListTest : public QObject
{
    Q_OBJECT

private:
    // A file under the fixture folder; its folders are made as needed. Returns its full path.
    QString Write(const QString& relative, const QByteArray& content = JpegBytes)
    {
        const QString path = FDir->filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write the fixture %s", qPrintable(path));
        return path;
    }

    QString Root() const { return FDir->path(); }

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TPlainFileList> FList;

private Q_SLOTS:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        FList = std::make_unique<TPlainFileList>();
    }

    void a_file_becomes_a_record()
    {
        const QString path = Write(u"photos/cat.dat"_s);
        AddPath(*FList, path);

        QCOMPARE(FList->Files().size(), 1);
        const TFileInfo& info = FList->Files().constFirst();
        QCOMPARE(info.FileName, path);
        QCOMPARE(info.Title, u"cat.dat"_s);
        QCOMPARE(info.Format, u"JPG"_s);
    }

    void a_missing_file_with_a_known_extension_is_listed()
    {
        const QString path = Root() + u"/not-there.png"_s;
        AddPath(*FList, path);
        QCOMPARE(FileNames(*FList), QStringList{path});
        QCOMPARE(FList->Files().constFirst().Format, u"PNG"_s);
    }

    void nothing_is_listed_for_rejected_or_absent_input_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("text file") << u"notes.txt"_s;
        QTest::newRow("folder of text files") << u"texts"_s;
        QTest::newRow("empty folder") << u"empty"_s;
        QTest::newRow("missing file, unknown extension") << u"gone.xyz"_s;
    }
    void nothing_is_listed_for_rejected_or_absent_input()
    {
        QFETCH(QString, relative);
        Write(u"notes.txt"_s, TextBytes);
        Write(u"texts/a.txt"_s, TextBytes);
        Write(u"texts/deeper/b.log"_s, TextBytes);
        QDir(Root()).mkdir(u"empty"_s);

        AddPath(*FList, FDir->filePath(relative));
        QVERIFY(FList->Files().isEmpty());
    }

    void an_empty_path_adds_nothing()
    {
        // The empty path must not turn into the file system's root.
        QVERIFY(QDir::setCurrent(Root()));
        Write(u"here.jpg"_s);
        AddPath(*FList, QString());
        QVERIFY(FList->Files().isEmpty());
    }

    void a_folder_is_walked_depth_first_with_hidden_files()
    {
        const QStringList expected = {
            Write(u"tree/a.jpg"_s),
            Write(u"tree/.hidden.jpg"_s),
            Write(u"tree/one/b.png"_s, PngBytes),
            Write(u"tree/one/two/c.jpg"_s),
            Write(u"tree/one/two/d.jpg"_s),
            Write(u"tree/one/e.jpg"_s),
            Write(u"tree/three/f.jpg"_s),
            Write(u"tree/z.jpg"_s),
        };
        Write(u"tree/one/skip.txt"_s, TextBytes);

        AddPath(*FList, Root() + u"/tree"_s);
        const QStringList listed = FileNames(*FList);
        QCOMPARE(Sorted(listed), Sorted(expected));

        // Depth-first: each folder's files form one unbroken run of rows.
        for (const QString& folder : {u"/tree/one/"_s, u"/tree/one/two/"_s, u"/tree/three/"_s}) {
            QList<qsizetype> rows;
            for (qsizetype row = 0; row < listed.size(); ++row) {
                if (listed.at(row).startsWith(Root() + folder))
                    rows << row;
            }
            QVERIFY(!rows.isEmpty());
            QVERIFY2(rows.last() - rows.first() + 1 == rows.size(), qPrintable(listed.join(u'\n')));
        }
    }

    void paths_keep_the_text_they_were_given_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder without delimiter") << u"tree"_s << u"tree/a.jpg"_s;
        QTest::newRow("folder with delimiter") << u"tree/"_s << u"tree/a.jpg"_s;
        QTest::newRow("folder through a dot") << u"./tree"_s << u"./tree/a.jpg"_s;
        QTest::newRow("file") << u"tree/a.jpg"_s << u"tree/a.jpg"_s;
    }
    void paths_keep_the_text_they_were_given()
    {
        QFETCH(QString, given);
        QFETCH(QString, expected);
        Write(u"tree/a.jpg"_s);
        QVERIFY(QDir::setCurrent(Root()));

        AddPath(*FList, given);
        QCOMPARE(FileNames(*FList), QStringList{expected});
    }

    void duplicates_are_judged_by_exact_text_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same file twice")
            << QStringList{u"a/x.jpg"_s, u"a/x.jpg"_s} << QStringList{u"a/x.jpg"_s};
        QTest::newRow("folder, then a file of it by the same text")
            << QStringList{u"a"_s, u"a/x.jpg"_s} << QStringList{u"a/x.jpg"_s};
        QTest::newRow("folder twice") << QStringList{u"a"_s, u"a/"_s} << QStringList{u"a/x.jpg"_s};
        QTest::newRow("same file in another letter case")
            << QStringList{u"a/x.jpg"_s, u"a/X.jpg"_s} << QStringList{u"a/x.jpg"_s, u"a/X.jpg"_s};
        QTest::newRow("same file by another text") << QStringList{u"a/x.jpg"_s, u"./a/x.jpg"_s}
                                                   << QStringList{u"a/x.jpg"_s, u"./a/x.jpg"_s};
    }
    void duplicates_are_judged_by_exact_text()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        Write(u"a/x.jpg"_s);
        QVERIFY(QDir::setCurrent(Root()));

        for (const QString& path : added)
            AddPath(*FList, path);
        QCOMPARE(FileNames(*FList), expected);
    }

    void a_link_back_to_an_ancestor_is_not_followed_data()
    {
        QTest::addColumn<QString>("linkTarget");
        QTest::newRow("to the root") << u"loop"_s;
        QTest::newRow("to its own folder") << u"loop/sub"_s;
    }
    void a_link_back_to_an_ancestor_is_not_followed()
    {
        QFETCH(QString, linkTarget);
        const QStringList files = {Write(u"loop/a.jpg"_s), Write(u"loop/sub/b.jpg"_s)};
        QVERIFY(QFile::link(FDir->filePath(linkTarget), FDir->filePath(u"loop/sub/back"_s)));

        AddPath(*FList, FDir->filePath(u"loop"_s));
        QCOMPARE(Sorted(FileNames(*FList)), Sorted(files));
    }

    void a_link_to_a_folder_elsewhere_is_walked()
    {
        const QString root = FDir->filePath(u"list"_s);
        QDir().mkpath(root);
        Write(u"elsewhere/far.jpg"_s);
        QVERIFY(QFile::link(FDir->filePath(u"elsewhere"_s), root + u"/shortcut"_s));

        AddPath(*FList, root);
        QCOMPARE(FileNames(*FList), QStringList{root + u"/shortcut/far.jpg"_s});
    }

    // A walked file is read without asking its size: one byte past the first 12 tells.
    void a_walked_file_is_typed_by_its_bytes_only_past_twelve_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        const QByteArray jpegStart = JpegBytes.left(12);
        QTest::newRow("12 bytes") << jpegStart << QStringList{u"named.png:PNG"_s};
        QTest::newRow("13 bytes") << jpegStart + 'x'
                                  << QStringList{u"named.png:JPG"_s, u"unknown.tif:JPG"_s};
        QTest::newRow("empty") << QByteArray() << QStringList{u"named.png:PNG"_s};
    }
    void a_walked_file_is_typed_by_its_bytes_only_past_twelve()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        Write(u"walked/named.png"_s, content);
        Write(u"walked/unknown.tif"_s, content);

        AddPath(*FList, FDir->filePath(u"walked"_s));
        QStringList listed;
        for (const TFileInfo& file : FList->Files())
            listed << file.Title + u':' + file.Format;
        QCOMPARE(Sorted(listed), expected);
    }

    // A pipe is typed by its name: it is never read, neither when named nor when walked, so a
    // program waiting on it loses nothing, and an empty one never stalls the walk.
    void a_named_pipe_is_never_read_data()
    {
        QTest::addColumn<QString>("added");
        QTest::newRow("named directly") << u"pipes/photo.gif"_s;
        QTest::newRow("in a walked folder") << u"pipes"_s;
        QTest::newRow("through a link in a walked folder") << u"links"_s;
    }
    void a_named_pipe_is_never_read()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, added);
        const QString pipe = FDir->filePath(u"pipes/photo.gif"_s);
        QVERIFY(QDir().mkpath(FDir->filePath(u"pipes"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(FDir->filePath(u"links"_s)));
        QVERIFY(QFile::link(pipe, FDir->filePath(u"links/photo.gif"_s)));
        // Both ends, so that the bytes wait in it as a writer's would.
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QCOMPARE(::write(writer, JpegBytes.constData(), JpegBytes.size()), JpegBytes.size());

        AddPath(*FList, FDir->filePath(added));

        QCOMPARE(FList->Files().size(), 1);
        QCOMPARE(FList->Files().constFirst().Format, u"GIF"_s);
        QByteArray waiting(64, '\0');
        waiting.resize(::read(writer, waiting.data(), waiting.size()));
        ::close(writer);
        QCOMPARE(waiting, JpegBytes);
#else
        QSKIP("named pipes are a Unix matter");
#endif
    }

    void the_walk_stops_at_the_depth_limit()
    {
        QString relative = u"deep"_s;
        for (int level = 1; level <= MaxFolderDepth + 3; ++level) {
            Write(relative + u"/level%1.jpg"_s.arg(level));
            relative += u"/d"_s;
        }

        AddPath(*FList, FDir->filePath(u"deep"_s));
        const QStringList listed = FileNames(*FList);
        QVERIFY(std::ranges::any_of(listed, [](const QString& name) {
            return name.endsWith(u"/level%1.jpg"_s.arg(MaxFolderDepth));
        }));
        QVERIFY(std::ranges::none_of(listed, [](const QString& name) {
            return name.endsWith(u"/level%1.jpg"_s.arg(MaxFolderDepth + 1));
        }));
    }
};

QTEST_GUILESS_MAIN(TFileListTest)
#include "tst_filelist.moc"
