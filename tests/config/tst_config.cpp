#include "config/Config.h"

#include "TestFiles.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString OptionsPath = u"Dovrelan\\Morvane"_s;

enum class TKind
{
    Integer,
    Boolean,
    String
};

enum class TBlocker
{
    File,
    Folder
};

QString OptionsFolder(const TTestHome& home)
{
    return home.ConfigHome() + u"/Dovrelan/Morvane"_s;
}

QString ValuesFile(const TTestHome& home)
{
    return OptionsFolder(home) + u"/values.json"_s;
}

QJsonObject ReadJsonObject(const QString& fileName)
{
    return QJsonDocument::fromJson(ReadFile(fileName)).object();
}

void Write(TConfig& store, const QString& name, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        store.WriteInteger(name, value.toInt());
        break;
    case QMetaType::Bool:
        store.WriteBoolean(name, value.toBool());
        break;
    default:
        store.WriteString(name, value.toString());
    }
}

// Reads name as the kind of expected, with a default that differs from it.
QVariant Read(TConfig& store, const QString& name, const QVariant& expected)
{
    switch (expected.typeId()) {
    case QMetaType::Int:
        return store.ReadInteger(name, expected.toInt() == 0 ? 1 : 0);
    case QMetaType::Bool:
        return store.ReadBoolean(name, !expected.toBool());
    default:
        return store.ReadString(name, expected.toString() + u"default"_s);
    }
}

// The error text of reading name as kind; empty when the read succeeds.
QString ReadError(TConfig& store, TKind kind, const QString& name)
{
    try {
        switch (kind) {
        case TKind::Integer:
            store.ReadInteger(name, 0);
            break;
        case TKind::Boolean:
            store.ReadBoolean(name, false);
            break;
        case TKind::String:
            store.ReadString(name, {});
            break;
        }
    } catch (const TConfigError& error) {
        return error.Message();
    }
    return {};
}

TKind KindOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        return TKind::Integer;
    case QMetaType::Bool:
        return TKind::Boolean;
    default:
        return TKind::String;
    }
}

// Sets or clears an environment variable for as long as it lives.
class TEnvironmentOverride
{
public:
    TEnvironmentOverride(const char* name, const QString& value)
        : FName(name), FWasSet(qEnvironmentVariableIsSet(name)), FOldValue(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(FName);
        else
            qputenv(FName, QFile::encodeName(value));
    }
    ~TEnvironmentOverride()
    {
        if (FWasSet)
            qputenv(FName, FOldValue);
        else
            qunsetenv(FName);
    }
    TEnvironmentOverride(const TEnvironmentOverride&) = delete;
    TEnvironmentOverride& operator=(const TEnvironmentOverride&) = delete;

private:
    const char* FName;
    bool FWasSet;
    QByteArray FOldValue;
};

} // namespace

Q_DECLARE_METATYPE(TKind)
Q_DECLARE_METATYPE(TBlocker)

class TConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripsThroughANewStore_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("integer") << QVariant(540) << QVariant(540);
        QTest::newRow("negative integer") << QVariant(-75) << QVariant(-75);
        QTest::newRow("largest integer") << QVariant(std::numeric_limits<int>::max())
                                         << QVariant(std::numeric_limits<int>::max());
        QTest::newRow("smallest integer") << QVariant(std::numeric_limits<int>::min())
                                          << QVariant(std::numeric_limits<int>::min());
        QTest::newRow("true") << QVariant(true) << QVariant(true);
        QTest::newRow("false") << QVariant(false) << QVariant(false);
        const QString path = u"C:\\Users\\홍길동\\사진 \"새\" 폴더/"_s;
        QTest::newRow("string") << QVariant(path) << QVariant(path);
        QTest::newRow("text ends at a zero character")
            << QVariant(u"ab\0cd"_s) << QVariant(u"ab"_s);
    }
    void roundTripsThroughANewStore()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        TTestHome home;
        {
            TConfig writer(OptionsPath);
            Write(writer, u"value"_s, value);
        }
        TConfig reader(OptionsPath);
        QCOMPARE(Read(reader, u"value"_s, expected), expected);
    }

    void firstStartCreatesTheKeyAndGivesDefaults()
    {
        TTestHome home;
        TConfig store(OptionsPath);
        QVERIFY(QFileInfo(OptionsFolder(home)).isDir());
        QCOMPARE(store.ReadInteger(u"width"_s, 540), 540);
        QCOMPARE(store.ReadBoolean(u"save"_s, true), true);
        QCOMPARE(store.ReadString(u"savepath"_s, u"/home/x"_s), u"/home/x"_s);

        store.WriteString(u"format"_s, u"PNG"_s);
        QCOMPARE(store.ReadInteger(u"width"_s, 540), 540);
    }

    void booleanReadsAnyNonZeroAsTrue_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("expected");

        QTest::newRow("7") << QByteArray("7") << true;
        QTest::newRow("-1") << QByteArray("-1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
    }
    void booleanReadsAnyNonZeroAsTrue()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, expected);
        TTestHome home;
        QVERIFY(WriteFile(ValuesFile(home), "{\"save\": " + stored + '}'));
        TConfig store(OptionsPath);
        QCOMPARE(store.ReadBoolean(u"save"_s, !expected), expected);
    }

    void booleanIsStoredAsNumber_data()
    {
        QTest::addColumn<bool>("value");
        QTest::addColumn<int>("stored");

        QTest::newRow("true") << true << 1;
        QTest::newRow("false") << false << 0;
    }
    void booleanIsStoredAsNumber()
    {
        QFETCH(bool, value);
        QFETCH(int, stored);
        TTestHome home;
        TConfig(OptionsPath).WriteBoolean(u"save"_s, value);
        const QJsonValue written = ReadJsonObject(ValuesFile(home)).value(u"save"_s);
        QVERIFY(written.isDouble());
        QCOMPARE(written.toInt(), stored);
    }

    void emptyStringIsNotTheDefault()
    {
        TTestHome home;
        TConfig(OptionsPath).WriteString(u"savepath"_s, QString());
        TConfig store(OptionsPath);
        QCOMPARE(store.ReadString(u"savepath"_s, u"default"_s), QString());
    }

    void valueOfAnotherKindThrows_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<TKind>("kind");

        QTest::newRow("string read as integer") << QByteArray("\"540\"") << TKind::Integer;
        QTest::newRow("string read as Boolean") << QByteArray("\"1\"") << TKind::Boolean;
        QTest::newRow("number read as string") << QByteArray("540") << TKind::String;
        QTest::newRow("fraction read as integer") << QByteArray("1.5") << TKind::Integer;
        QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << TKind::Integer;
        QTest::newRow("JSON true read as Boolean") << QByteArray("true") << TKind::Boolean;
        QTest::newRow("null read as string") << QByteArray("null") << TKind::String;
        QTest::newRow("array read as integer") << QByteArray("[1]") << TKind::Integer;
        QTest::newRow("object read as string") << QByteArray("{}") << TKind::String;
    }
    void valueOfAnotherKindThrows()
    {
        QFETCH(QByteArray, stored);
        QFETCH(TKind, kind);
        TTestHome home;
        QVERIFY(WriteFile(ValuesFile(home), "{\"width\": " + stored + '}'));
        TConfig store(OptionsPath);
        QCOMPARE(ReadError(store, kind, u"width"_s), u"Invalid data type for 'width'"_s);
    }

    void writeReplacesAValueOfAnotherKind_data()
    {
        QTest::addColumn<QVariant>("first");
        QTest::addColumn<QVariant>("second");

        QTest::newRow("integer over string") << QVariant(u"text"_s) << QVariant(800);
        QTest::newRow("string over integer") << QVariant(800) << QVariant(u"text"_s);
        QTest::newRow("string over Boolean") << QVariant(true) << QVariant(u"1"_s);
    }
    void writeReplacesAValueOfAnotherKind()
    {
        QFETCH(QVariant, first);
        QFETCH(QVariant, second);
        TTestHome home;
        TConfig store(OptionsPath);
        Write(store, u"width"_s, first);
        Write(store, u"width"_s, second);
        QCOMPARE(Read(store, u"width"_s, second), second);
        QCOMPARE(ReadError(store, KindOf(first), u"width"_s), u"Invalid data type for 'width'"_s);
    }

    void corruptFileReadsAsEmptyAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("corrupt");

        QTest::newRow("not JSON") << QByteArray("{\"width\": 5");
        QTest::newRow("trailing garbage") << QByteArray("{\"width\": 5}x");
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01", 4);
        QTest::newRow("huge") << "{\"width\": \"" + QByteArray(5 * 1024 * 1024, 'x') + "\"}";
    }
    void corruptFileReadsAsEmptyAndIsKept()
    {
        QFETCH(QByteArray, corrupt);
        TTestHome home;
        QVERIFY(WriteFile(ValuesFile(home), corrupt));

        TConfig store(OptionsPath);
        QCOMPARE(store.ReadInteger(u"width"_s, 540), 540);
        QCOMPARE(store.ReadString(u"width"_s, u"none"_s), u"none"_s);

        store.WriteInteger(u"quality"_s, 80);
        QCOMPARE(ReadFile(ValuesFile(home) + u".corrupt"_s), corrupt);
        QCOMPARE(ReadJsonObject(ValuesFile(home)), QJsonObject({{u"quality"_s, 80}}));
    }

    void unusableKeyGivesDefaultsAndIgnoresWrites_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<TBlocker>("blocker");

        QTest::newRow("file in place of the key folder") << u"Dovrelan/Morvane"_s << TBlocker::File;
        QTest::newRow("file in place of a parent folder") << u"Dovrelan"_s << TBlocker::File;
        QTest::newRow("folder in place of the values file")
            << u"Dovrelan/Morvane/values.json"_s << TBlocker::Folder;
    }
    void unusableKeyGivesDefaultsAndIgnoresWrites()
    {
        QFETCH(QString, blocked);
        QFETCH(TBlocker, blocker);
        TTestHome home;
        const QString blockedPath = home.ConfigHome() + u'/' + blocked;
        if (blocker == TBlocker::File)
            QVERIFY(WriteFile(blockedPath, "not a folder"));
        else
            QVERIFY(QDir().mkpath(blockedPath));

        TConfig store(OptionsPath);
        QCOMPARE(store.WriteInteger(u"width"_s, 800), 800);
        QCOMPARE(store.WriteString(u"format"_s, u"PNG"_s), u"PNG"_s);
        QCOMPARE(store.ReadInteger(u"width"_s, 540), 540);
        QCOMPARE(store.ReadString(u"format"_s, u"JPG"_s), u"JPG"_s);
        if (blocker == TBlocker::File)
            QCOMPARE(ReadFile(blockedPath), QByteArray("not a folder"));
    }

    void storesOpenAtOnceKeepEachOthersWrites()
    {
        TTestHome home;
        TConfig first(OptionsPath);
        TConfig second(OptionsPath);
        first.WriteInteger(u"width"_s, 800);
        second.WriteString(u"format"_s, u"PNG"_s);
        QCOMPARE(first.ReadString(u"format"_s, {}), u"PNG"_s);
        QCOMPARE(second.ReadInteger(u"width"_s, 0), 800);
    }

    // A writer killed between making its temporary file and renaming it leaves
    // "values.json.XXXXXX"; the next write removes such files once they are older than any
    // writer holds the lock, and leaves everything else alone.
    void abandonedTemporaryFilesGoWithTheNextWrite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("isRemoved");

        QTest::newRow("abandoned") << u"values.json.Ab12Cd"_s << 60 << true;
        QTest::newRow("another writer's, just made") << u"values.json.Ef34Gh"_s << 0 << false;
        QTest::newRow("kept corrupt file") << u"values.json.corrupt"_s << 60 << false;
        QTest::newRow("another name") << u"notes.json.Ab12Cd"_s << 60 << false;
    }
    void abandonedTemporaryFilesGoWithTheNextWrite()
    {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, isRemoved);
        TTestHome home;
        const QString path = OptionsFolder(home) + u'/' + name;
        QVERIFY(WriteFile(path, "{\"format\": \"GIF\""));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                 QFileDevice::FileModificationTime));
        file.close();

        TConfig(OptionsPath).WriteString(u"format"_s, u"PNG"_s);

        QCOMPARE(QFile::exists(path), !isRemoved);
        QCOMPARE(TConfig(OptionsPath).ReadString(u"format"_s, {}), u"PNG"_s);
    }

    void configHomeFallsBackToDotConfig_data()
    {
        QTest::addColumn<QString>("xdgConfigHome");
        QTest::addColumn<QString>("expectedHome");

        QTest::newRow("unset") << QString() << u"home/.config"_s;
        QTest::newRow("relative") << u"relative"_s << u"home/.config"_s;
        QTest::newRow("absolute") << u"/elsewhere"_s << u"elsewhere"_s;
    }
    void configHomeFallsBackToDotConfig()
    {
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expectedHome);
        TTestHome home;
        const QString root = home.Root() + u'/';
        const QString previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        const TEnvironmentOverride homeOverride("HOME", root + u"home"_s);
        const TEnvironmentOverride xdgOverride("XDG_CONFIG_HOME", xdgConfigHome.startsWith(u'/')
                                                                      ? root + xdgConfigHome.mid(1)
                                                                      : xdgConfigHome);

        TConfig(OptionsPath).WriteInteger(u"width"_s, 800);
        QDir::setCurrent(previousFolder);
        QCOMPARE(ReadJsonObject(root + expectedHome + u"/Dovrelan/Morvane/values.json"_s),
                 QJsonObject({{u"width"_s, 800}}));
    }

    void concurrentProcessesKeepAllTheirValues()
    {
        constexpr int Count = 150;
        TTestHome home;
        const QString writer = QCoreApplication::applicationDirPath() + u"/config_writer"_s;
        QProcess first;
        QProcess second;
        first.start(writer, {u"a"_s, QString::number(Count)});
        second.start(writer, {u"b"_s, QString::number(Count)});
        QVERIFY(first.waitForFinished(120000));
        QVERIFY(second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);

        TConfig store(OptionsPath);
        for (int i = 0; i < Count; ++i) {
            QCOMPARE(store.ReadInteger(u"a"_s + QString::number(i), -1), i);
            QCOMPARE(store.ReadInteger(u"b"_s + QString::number(i), -1), i);
        }
    }
};

QTEST_GUILESS_MAIN(TConfigTest)
#include "tst_config.moc"
