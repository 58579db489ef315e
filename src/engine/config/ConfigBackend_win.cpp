// The settings store on Windows: TConfig's backend over the current user's registry.
#include "config/Config.h"
#include "config/ConfigBackend.h"
#include "config/RegistryStore.h"

namespace {

// The store's type error reaches TConfig's caller as TConfigError.
template <typename TReadFunction> auto Read(TReadFunction read)
{
    try {
        return read();
    } catch (const TRegistryTypeError& error) {
        throw TConfigError(QString::fromStdWString(error.Message()));
    }
}

class TRegistryConfigBackend final : public TConfigBackend
{
public:
    explicit TRegistryConfigBackend(const QString& path) : FStore(path.toStdWString()) {}

    bool HasValue(const QString& name) override { return FStore.HasValue(name.toStdWString()); }

    int ReadInteger(const QString& name, int defaultValue) override
    {
        return Read([&] { return FStore.ReadInteger(name.toStdWString(), defaultValue); });
    }

    bool ReadBoolean(const QString& name, bool defaultValue) override
    {
        return Read([&] { return FStore.ReadBoolean(name.toStdWString(), defaultValue); });
    }

    QString ReadString(const QString& name, const QString& defaultValue) override
    {
        return Read([&] {
            return QString::fromStdWString(
                FStore.ReadString(name.toStdWString(), defaultValue.toStdWString()));
        });
    }

    void WriteInteger(const QString& name, int value) override
    {
        FStore.WriteInteger(name.toStdWString(), value);
    }

    void WriteBoolean(const QString& name, bool value) override
    {
        FStore.WriteBoolean(name.toStdWString(), value);
    }

    void WriteString(const QString& name, const QString& value) override
    {
        FStore.WriteString(name.toStdWString(), value.toStdWString());
    }

private:
    TRegistryStore FStore;
};

} // namespace

std::unique_ptr<TConfigBackend> CreateConfigBackend(const QString& path)
{
    return std::make_unique<TRegistryConfigBackend>(path);
}
