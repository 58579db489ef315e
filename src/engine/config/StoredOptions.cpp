#include "config/StoredOptions.h"

#include "config/Config.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <array>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

enum class TOptionKind
{
    String,
    Integer,
    Boolean
};

// One stored option: its value name, the kind it is stored with, what a read gives while nothing
// is stored, and for an integer the values it may take.
struct TOptionKey
{
    TOption Option;
    const char16_t* Name;
    TOptionKind Kind;
    QVariant (*Default)();
    std::optional<TOptionBounds> (*Bounds)() = nullptr;
};

const QString StorePath = u"Dovrelan\\Morvane"_s;

// The Morvane folder on the user's desktop.
QVariant DefaultSavePath()
{
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + u"/Morvane"_s);
}

// In the order loading reads them; stored files rely on the names and kinds. A "save" of -1 means
// never chosen: anything but 2 puts the outputs beside their sources. Options added later are off
// while missing.
constexpr std::array<TOptionKey, 10> Keys = {{
    {TOption::Format, u"format", TOptionKind::String, [] { return QVariant(u"JPG"_s); }},
    {TOption::SavePath, u"savepath", TOptionKind::String, DefaultSavePath},
    {TOption::ResizeWidth, u"resize_w", TOptionKind::Boolean, [] { return QVariant(false); }},
    {TOption::Width, u"width", TOptionKind::Integer, [] { return QVariant(540); },
     [] {
         return std::optional<TOptionBounds>({1, std::numeric_limits<int>::max()});
     }},
    // 100 makes WEBP lossless.
    {TOption::Quality, u"quality", TOptionKind::Integer, [] { return QVariant(75); },
     [] {
         return std::optional<TOptionBounds>({40, 100});
     }},
    {TOption::Save, u"save", TOptionKind::Integer, [] { return QVariant(-1); }},
    // 0: nothing chosen, one per processor core; the window offers no more than that.
    {TOption::Jobs, u"jobs", TOptionKind::Integer, [] { return QVariant(0); },
     [] {
         return std::optional<TOptionBounds>({1, DefaultJobCount()});
     }},
    {TOption::Strip, u"strip", TOptionKind::Boolean, [] { return QVariant(false); }},
    {TOption::KeepDates, u"keep_dates", TOptionKind::Boolean, [] { return QVariant(false); }},
    {TOption::KeepTree, u"keep_tree", TOptionKind::Boolean, [] { return QVariant(false); }},
}};

const TOptionKey& KeyOf(TOption option)
{
    return *std::ranges::find(Keys, option, &TOptionKey::Option);
}

QVariant Read(TConfig& store, const TOptionKey& key)
{
    const QString name = QString::fromUtf16(key.Name);
    const QVariant fallback = key.Default();
    switch (key.Kind) {
    case TOptionKind::String:
        return store.ReadString(name, fallback.toString());
    case TOptionKind::Integer:
        return store.ReadInteger(name, fallback.toInt());
    case TOptionKind::Boolean:
        return store.ReadBoolean(name, fallback.toBool());
    }
    return fallback;
}

// The option's value name, once its kind has been checked against the one written.
QString NameFor(TOption option, [[maybe_unused]] TOptionKind written)
{
    const TOptionKey& key = KeyOf(option);
    Q_ASSERT(key.Kind == written);
    return QString::fromUtf16(key.Name);
}

} // namespace

QVariant OptionDefault(TOption option)
{
    return KeyOf(option).Default();
}

std::optional<TOptionBounds> OptionBounds(TOption option)
{
    const TOptionKey& key = KeyOf(option);
    return key.Bounds ? key.Bounds() : std::nullopt;
}

int DefaultJobCount()
{
    return std::max(1, QThread::idealThreadCount());
}

void ReadOptions(const std::function<void(TOption option, const QVariant& value)>& apply)
{
    TConfig store(StorePath);
    for (const TOptionKey& key : Keys)
        apply(key.Option, Read(store, key));
}

void WriteOption(TOption option, const QString& value)
{
    TConfig(StorePath).WriteString(NameFor(option, TOptionKind::String), value);
}

void WriteOption(TOption option, int value)
{
    TConfig(StorePath).WriteInteger(NameFor(option, TOptionKind::Integer), value);
}

void WriteOption(TOption option, bool value)
{
    TConfig(StorePath).WriteBoolean(NameFor(option, TOptionKind::Boolean), value);
}
