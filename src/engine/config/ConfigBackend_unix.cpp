// The settings store where there is no registry: the key "Software\<path>" is the folder
// <config home>/<path>, its values one JSON object in values.json there. Integers and Booleans are
// JSON numbers (as the registry's DWORD), strings JSON strings (as its SZ).
#include "config/Config.h"
#include "config/ConfigBackend.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// No file of ours comes near this; a larger one is treated as corrupt rather than loaded whole.
constexpr qint64 MaxValuesFileSize = 4 * 1024 * 1024;
// A write holds the lock for milliseconds; an older lock was left by a hung writer.
constexpr int StaleLockMilliseconds = 5000;
constexpr int LockWaitMilliseconds = 10000;

QString ConfigHome()
{
    const QString xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and is ignored.
    if (QDir::isAbsolutePath(xdgConfigHome))
        return xdgConfigHome;
    return QDir::homePath() + u"/.config"_s;
}

QString KeyFolder(const QString& path)
{
    QString folder = ConfigHome();
    for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts))
        folder += u'/' + part;
    return folder;
}

TConfigError InvalidDataType(const QString& name)
{
    return TConfigError(u"Invalid data type for '%1'"_s.arg(name));
}

enum class TFileState
{
    Missing,
    Valid,
    Corrupt,
    Unreadable
};

struct TStoredValues
{
    TFileState State = TFileState::Missing;
    QJsonObject Values;
};

TStoredValues LoadValues(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return {TFileState::Missing, {}};
    QFile file(fileName);
    // Not a plain file (a folder, a pipe) or not ours to read: leave it alone.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {TFileState::Unreadable, {}};
    const QByteArray bytes = file.read(MaxValuesFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return {TFileState::Unreadable, {}};
    if (bytes.size() > MaxValuesFileSize)
        return {TFileState::Corrupt, {}};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {TFileState::Corrupt, {}};
    return {TFileState::Valid, document.object()};
}

class TJsonConfigBackend final : public TConfigBackend
{
public:
    explicit TJsonConfigBackend(const QString& path)
        : FFolder(KeyFolder(path)), FFileName(FFolder + u"/values.json"_s)
    {
        QDir().mkpath(FFolder);
    }

    bool HasValue(const QString& name) override
    {
        return LoadValues(FFileName).Values.contains(name);
    }

    int ReadInteger(const QString& name, int defaultValue) override
    {
        return ReadDword(name).value_or(defaultValue);
    }

    bool ReadBoolean(const QString& name, bool defaultValue) override
    {
        const std::optional<qint32> value = ReadDword(name);
        return value ? *value != 0 : defaultValue;
    }

    QString ReadString(const QString& name, const QString& defaultValue) override
    {
        return ReadText(name).value_or(defaultValue);
    }

    void WriteInteger(const QString& name, int value) override { WriteValue(name, value); }
    void WriteBoolean(const QString& name, bool value) override { WriteValue(name, value ? 1 : 0); }
    void WriteString(const QString& name, const QString& value) override
    {
        WriteValue(name, value);
    }

private:
    // Re-read on every access so that values written by other processes are seen.
    QJsonValue Find(const QString& name) const { return LoadValues(FFileName).Values.value(name); }

    std::optional<qint32> ReadDword(const QString& name) const
    {
        const QJsonValue value = Find(name);
        if (value.isUndefined())
            return std::nullopt;
        const double number = value.toDouble();
        if (!value.isDouble() || std::trunc(number) != number ||
            number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            throw InvalidDataType(name);
        return static_cast<qint32>(number);
    }

    std::optional<QString> ReadText(const QString& name) const
    {
        const QJsonValue value = Find(name);
        if (value.isUndefined())
            return std::nullopt;
        if (!value.isString())
            throw InvalidDataType(name);
        const QString text = value.toString();
        // As from the registry, the text ends at its first zero character.
        return text.left(text.indexOf(QChar(u'\0')));
    }

    // Read-modify-write under a lock shared with other processes, replacing the file atomically,
    // so that concurrent writers of different values all keep theirs.
    void WriteValue(const QString& name, const QJsonValue& value) const
    {
        QLockFile lock(FFileName + u".lock"_s);
        lock.setStaleLockTime(StaleLockMilliseconds);
        if (!lock.tryLock(LockWaitMilliseconds))
            return;
        TStoredValues stored = LoadValues(FFileName);
        if (stored.State == TFileState::Unreadable)
            return;
        if (stored.State == TFileState::Corrupt && !KeepCorruptFile())
            return;
        RemoveAbandonedSaveFiles();
        stored.Values.insert(name, value);
        QSaveFile file(FFileName);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QJsonDocument(stored.Values).toJson());
        file.commit();
    }

    // A writer killed between making its temporary "values.json.XXXXXX" and renaming it leaves it
    // behind. Called under the lock, so no other writer is at work, unless one whose lock was
    // taken from it as stale: a file younger than that is left alone.
    void RemoveAbandonedSaveFiles() const
    {
        static const QRegularExpression saveFileName(u"^values\\.json\\.[A-Za-z0-9]{6}$"_s);
        const QDir folder(FFolder);
        const QDateTime abandonedBefore =
            QDateTime::currentDateTimeUtc().addMSecs(-StaleLockMilliseconds);
        for (const QFileInfo& file : folder.entryInfoList({u"values.json.*"_s}, QDir::Files)) {
            if (saveFileName.match(file.fileName()).hasMatch() && !file.isSymLink() &&
                file.lastModified().toUTC() < abandonedBefore)
                QFile::remove(file.filePath());
        }
    }

    bool KeepCorruptFile() const
    {
        const QString keptName = FFileName + u".corrupt"_s;
        QFile::remove(keptName);
        return QFile::rename(FFileName, keptName);
    }

    QString FFolder;
    QString FFileName;
};

} // namespace

std::unique_ptr<TConfigBackend> CreateConfigBackend(const QString& path)
{
    return std::make_unique<TJsonConfigBackend>(path);
}
