#include "convert/RunProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

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
} // namespace

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

    void environmentReachesTheProgram()
    {
        const QString script = u"printf '%s' \"$MAGICK_THREAD_LIMIT\""_s;
        qputenv("MAGICK_THREAD_LIMIT", "inherited");
        QCOMPARE(RunProcess(Shell, {u"-c"_s, script}), u"inherited"_s);

        QProcessEnvironment limited = QProcessEnvironment::systemEnvironment();
        limited.insert(u"MAGICK_THREAD_LIMIT"_s, u"1"_s);
        QCOMPARE(RunProcess(Shell, {u"-c"_s, script}, limited), u"1"_s);
        qunsetenv("MAGICK_THREAD_LIMIT");
    }
};

QTEST_GUILESS_MAIN(TRunProcessTest)
#include "tst_runprocess.moc"
