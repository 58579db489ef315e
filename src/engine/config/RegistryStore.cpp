#include "config/RegistryStore.h"

#include <windows.h>

#include <limits>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

TRegistryTypeError::TRegistryTypeError(const std::wstring& valueName)
    : FMessage(L"Invalid data type for '" + valueName + L"'"), FUtf8(ToUtf8(FMessage))
{}

TRegistryStore::TRegistryStore(const std::wstring& path)
{
    const std::wstring subKey = L"Software\\" + path;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        FKey = key;
}

TRegistryStore::~TRegistryStore()
{
    if (FKey)
        RegCloseKey(static_cast<HKEY>(FKey));
}

bool TRegistryStore::HasValue(const std::wstring& name) const
{
    return FKey && RegQueryValueExW(static_cast<HKEY>(FKey), name.c_str(), nullptr, nullptr,
                                    nullptr, nullptr) == ERROR_SUCCESS;
}

std::int32_t TRegistryStore::ReadInteger(const std::wstring& name, std::int32_t defaultValue) const
{
    return ReadDword(name).value_or(defaultValue);
}

bool TRegistryStore::ReadBoolean(const std::wstring& name, bool defaultValue) const
{
    const std::optional<std::int32_t> value = ReadDword(name);
    return value ? *value != 0 : defaultValue;
}

std::wstring TRegistryStore::ReadString(const std::wstring& name,
                                        const std::wstring& defaultValue) const
{
    return ReadText(name).value_or(defaultValue);
}

void TRegistryStore::WriteInteger(const std::wstring& name, std::int32_t value) noexcept
{
    const DWORD data = static_cast<DWORD>(value);
    WriteData(name, REG_DWORD, &data, sizeof data);
}

void TRegistryStore::WriteBoolean(const std::wstring& name, bool value) noexcept
{
    WriteInteger(name, value ? 1 : 0);
}

void TRegistryStore::WriteString(const std::wstring& name, const std::wstring& value) noexcept
{
    WriteData(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

std::optional<std::int32_t> TRegistryStore::ReadDword(const std::wstring& name) const
{
    if (!FKey)
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    // One query for type and data, so the value cannot change in between.
    const LSTATUS status = RegQueryValueExW(static_cast<HKEY>(FKey), name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
        return std::nullopt;
    if (status == ERROR_MORE_DATA || type != REG_DWORD || size != sizeof data)
        throw TRegistryTypeError(name);
    return static_cast<std::int32_t>(data);
}

std::optional<std::wstring> TRegistryStore::ReadText(const std::wstring& name) const
{
    if (!FKey)
        return std::nullopt;
    // Another process may make the value longer between sizing and reading: try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExW(static_cast<HKEY>(FKey), name.c_str(), nullptr, &type, nullptr,
                             &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (!IsText(type))
            throw TRegistryTypeError(name);
        // Two spare characters stay zero, so stored text without its terminating zero (or of an
        // odd byte count) still ends.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        const LSTATUS status =
            RegQueryValueExW(static_cast<HKEY>(FKey), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        if (!IsText(type))
            throw TRegistryTypeError(name);
        return std::wstring(buffer.data());
    }
    return std::nullopt;
}

void TRegistryStore::WriteData(const std::wstring& name, unsigned long type, const void* data,
                               std::size_t size) noexcept
{
    if (!FKey || size > std::numeric_limits<DWORD>::max())
        return;
    RegSetValueExW(static_cast<HKEY>(FKey), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                   static_cast<DWORD>(size));
}
