#pragma once

#include <QString>

#include <exception>
#include <memory>

class TConfigBackend;

// A stored value exists with the other kind ("Invalid data type for '%s'").
class TConfigError : public std::exception
{
public:
    explicit TConfigError(const QString& message);
    QString Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// Typed values under the current user's key "Software\<Path>" (Path uses "\" between parts, as in
// "Dovrelan\Morvane"). Creating a store creates the key. Reads of missing values return the
// default; a value of the other kind makes the read throw TConfigError. Writes never fail towards
// the caller. One instance per operation, on one thread at a time.
class TConfig
{
public:
    explicit TConfig(const QString& path);
    ~TConfig();
    TConfig(const TConfig&) = delete;
    TConfig& operator=(const TConfig&) = delete;

    int ReadInteger(const QString& name, int defaultValue);
    bool ReadBoolean(const QString& name, bool defaultValue);
    QString ReadString(const QString& name, const QString& defaultValue);
    int WriteInteger(const QString& name, int value);
    bool WriteBoolean(const QString& name, bool value);
    QString WriteString(const QString& name, const QString& value);

private:
    std::unique_ptr<TConfigBackend> FReg;
};
