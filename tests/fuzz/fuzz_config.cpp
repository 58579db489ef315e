// The settings store's reader on arbitrary values.json contents. Input: a value name, then the
// file's bytes.
#include "config/Config.h"

#include "FuzzInput.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QString OptionsPath = u"Dovrelan\\Morvane"_s;

const TTestHome& Home()
{
    static const TTestHome home;
    return home;
}

QString KeyFolder()
{
    return Home().ConfigHome() + u"/Dovrelan/Morvane"_s;
}

void WriteValuesFile(const QByteArray& bytes)
{
    QDir(KeyFolder()).removeRecursively();
    QDir().mkpath(KeyFolder());
    QFile file(KeyFolder() + u"/values.json"_s);
    FuzzCheck(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
              "the fixture is written");
}

// A value of the other kind throws TConfigError; any other exception reaches libFuzzer.
void ReadEveryKind(TConfig& store, const QString& name)
{
    try {
        store.ReadInteger(name, 0);
    } catch (const TConfigError&) {
    }
    try {
        store.ReadBoolean(name, false);
    } catch (const TConfigError&) {
    }
    try {
        store.ReadString(name, {});
    } catch (const TConfigError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Home();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const QString name = input.Text();
    const QByteArray contents = input.Rest();
    WriteValuesFile(contents);

    TConfig store(OptionsPath);
    // Each read loads the file anew, so one name of ours beside the fuzzed one is enough.
    for (const QString& read : {name, u"width"_s})
        ReadEveryKind(store, read);
    FuzzCheck(ReadFile(KeyFolder() + u"/values.json"_s) == contents, "reading changes no file");

    // Whatever was there before, a written value is the one read back.
    store.WriteInteger(name, 1234);
    FuzzCheck(TConfig(OptionsPath).ReadInteger(name, 0) == 1234, "an integer reads back");
    store.WriteString(name, name);
    FuzzCheck(TConfig(OptionsPath).ReadString(name, {}) == name.left(name.indexOf(QChar(u'\0'))),
              "a string reads back up to its first zero character");
    return 0;
}
