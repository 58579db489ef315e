#include "config/Config.h"

#include "config/ConfigBackend.h"

TConfigError::TConfigError(const QString& message) : FMessage(message), FUtf8(message.toUtf8()) {}

TConfig::TConfig(const QString& path) : FReg(CreateConfigBackend(path)) {}

TConfig::~TConfig() = default;

int TConfig::ReadInteger(const QString& name, int defaultValue)
{
    return FReg->ReadInteger(name, defaultValue);
}

bool TConfig::ReadBoolean(const QString& name, bool defaultValue)
{
    return FReg->ReadBoolean(name, defaultValue);
}

QString TConfig::ReadString(const QString& name, const QString& defaultValue)
{
    return FReg->ReadString(name, defaultValue);
}

int TConfig::WriteInteger(const QString& name, int value)
{
    FReg->WriteInteger(name, value);
    return value;
}

bool TConfig::WriteBoolean(const QString& name, bool value)
{
    FReg->WriteBoolean(name, value);
    return value;
}

QString TConfig::WriteString(const QString& name, const QString& value)
{
    FReg->WriteString(name, value);
    return value;
}
