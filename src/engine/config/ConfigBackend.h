#pragma once

#include <QString>

#include <memory>

// Where a TConfig keeps its values: the registry on Windows, a JSON file elsewhere. Reads of a
// value of the other kind throw TConfigError; writes swallow every failure.
class TConfigBackend
{
public:
    virtual ~TConfigBackend() = default;

    virtual bool HasValue(const QString& name) = 0;
    virtual int ReadInteger(const QString& name, int defaultValue) = 0;
    virtual bool ReadBoolean(const QString& name, bool defaultValue) = 0;
    virtual QString ReadString(const QString& name, const QString& defaultValue) = 0;
    virtual void WriteInteger(const QString& name, int value) = 0;
    virtual void WriteBoolean(const QString& name, bool value) = 0;
    virtual void WriteString(const QString& name, const QString& value) = 0;
};

// Opens the current user's key "Software\<path>", creating it when missing. Never fails: an
// unusable key reads as empty and ignores writes.
std::unique_ptr<TConfigBackend> CreateConfigBackend(const QString& path);
