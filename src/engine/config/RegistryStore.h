#pragma once

// Win32 registry access in standard C++ types only, so that it builds and is checked without Qt.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

// A stored value exists with the other registry type ("Invalid data type for '%s'").
class TRegistryTypeError : public std::exception
{
public:
    explicit TRegistryTypeError(const std::wstring& valueName);
    const std::wstring& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    std::wstring FMessage;
    std::string FUtf8;
};

// The current user's key "Software\<path>", opened with full access and created when missing.
// Integers and Booleans are REG_DWORD, strings REG_SZ (REG_EXPAND_SZ reads the same, unexpanded).
// A key that cannot be opened reads as empty and ignores writes. One thread at a time.
class TRegistryStore
{
public:
    explicit TRegistryStore(const std::wstring& path);
    ~TRegistryStore();
    TRegistryStore(const TRegistryStore&) = delete;
    TRegistryStore& operator=(const TRegistryStore&) = delete;

    bool HasValue(const std::wstring& name) const;
    std::int32_t ReadInteger(const std::wstring& name, std::int32_t defaultValue) const;
    bool ReadBoolean(const std::wstring& name, bool defaultValue) const;
    std::wstring ReadString(const std::wstring& name, const std::wstring& defaultValue) const;
    void WriteInteger(const std::wstring& name, std::int32_t value) noexcept;
    void WriteBoolean(const std::wstring& name, bool value) noexcept;
    void WriteString(const std::wstring& name, const std::wstring& value) noexcept;

private:
    std::optional<std::int32_t> ReadDword(const std::wstring& name) const;
    std::optional<std::wstring> ReadText(const std::wstring& name) const;
    void WriteData(const std::wstring& name, unsigned long type, const void* data,
                   std::size_t size) noexcept;

    void* FKey = nullptr; // the HKEY, opaque so that callers need not include <windows.h>
};
