// Checks TRegistryStore against a real Win32 registry; built with mingw-w64 and run under wine by
// scripts/windows-check.sh. Exit status 0 when every check passes.
#include "config/RegistryStore.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <string>

namespace {

const std::wstring CheckPath = L"Dovrelan\\MorvaneRegistryCheck";
const std::wstring CheckKey = L"Software\\" + CheckPath;

int Failures = 0;

void Check(bool passed, const char* what)
{
    std::printf("%s: %s\n", passed ? "PASS" : "FAIL", what);
    if (!passed)
        ++Failures;
}

// The type error's text from read; empty when it succeeds.
std::wstring TypeErrorOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const TRegistryTypeError& error) {
        return error.Message();
    }
    return {};
}

bool KeyExists(const std::wstring& subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct TRawValue
{
    DWORD Type = REG_NONE;
    std::wstring Bytes; // the data as UTF-16 units; a DWORD is two units
};

TRawValue ReadRaw(const std::wstring& name)
{
    TRawValue value;
    DWORD size = 0;
    RegGetValueW(HKEY_CURRENT_USER, CheckKey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                 &value.Type, nullptr, &size);
    value.Bytes.assign((size + 1) / 2, L'\0');
    RegGetValueW(HKEY_CURRENT_USER, CheckKey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                 nullptr, value.Bytes.data(), &size);
    return value;
}

bool IsDwordOf(const std::wstring& name, DWORD expected)
{
    const TRawValue value = ReadRaw(name);
    return value.Type == REG_DWORD && value.Bytes.size() == 2 &&
           value.Bytes[0] == static_cast<wchar_t>(expected & 0xFFFF) &&
           value.Bytes[1] == static_cast<wchar_t>(expected >> 16);
}

void WriteRaw(const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, CheckKey.c_str(), name.c_str(), type, data, size);
}

void CheckMissingKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, CheckKey.c_str());
    TRegistryStore store(CheckPath);
    Check(KeyExists(CheckKey), "opening a missing key creates it");
    Check(store.ReadInteger(L"width", 540) == 540, "missing integer gives its default");
    Check(store.ReadBoolean(L"save", true), "missing Boolean gives its default");
    Check(store.ReadString(L"savepath", L"C:\\out") == L"C:\\out",
          "missing string gives its default");
    Check(!store.HasValue(L"width"), "a fresh key has no values");
}

void CheckRoundTrips()
{
    TRegistryStore store(CheckPath);
    bool integersSurvive = true;
    for (const std::int32_t value : {540, -75, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()}) {
        store.WriteInteger(L"width", value);
        integersSurvive =
            integersSurvive && TRegistryStore(CheckPath).ReadInteger(L"width", 0) == value;
    }
    Check(integersSurvive, "integer round trips, the 32-bit limits included");
    Check(IsDwordOf(L"width", 0x7FFFFFFF), "an integer is stored as REG_DWORD");

    store.WriteBoolean(L"save", true);
    Check(TRegistryStore(CheckPath).ReadBoolean(L"save", false), "Boolean true round trip");
    Check(IsDwordOf(L"save", 1), "true is stored as REG_DWORD 1");
    store.WriteBoolean(L"save", false);
    Check(!TRegistryStore(CheckPath).ReadBoolean(L"save", true), "Boolean false round trip");
    Check(IsDwordOf(L"save", 0), "false is stored as REG_DWORD 0");
    store.WriteInteger(L"save", 7);
    Check(store.ReadBoolean(L"save", false), "Boolean stored as 7 reads true");

    const std::wstring path = L"C:\\Users\\\uD64D\uAE38\uB3D9\\\"new\" folder";
    store.WriteString(L"savepath", path);
    Check(TRegistryStore(CheckPath).ReadString(L"savepath", L"") == path, "string round trip");
    const TRawValue raw = ReadRaw(L"savepath");
    Check(raw.Type == REG_SZ && raw.Bytes == path + L'\0',
          "a string is stored as REG_SZ with its terminating zero");

    store.WriteString(L"empty", L"");
    Check(store.HasValue(L"empty") && store.ReadString(L"empty", L"default").empty(),
          "an empty string reads as empty, not as the default");
}

void CheckTextForms()
{
    TRegistryStore store(CheckPath);
    const std::wstring expandable = L"%TEMP%\\x";
    WriteRaw(L"expand", REG_EXPAND_SZ, expandable.c_str(),
             static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
    Check(store.ReadString(L"expand", L"") == expandable, "REG_EXPAND_SZ reads unexpanded");

    const wchar_t withZero[] = L"ab\0cd";
    WriteRaw(L"zero", REG_SZ, withZero, sizeof withZero);
    Check(store.ReadString(L"zero", L"") == L"ab", "text ends at its first zero character");

    WriteRaw(L"unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    Check(store.ReadString(L"unterminated", L"") == L"abc", "text without a terminating zero");
}

void CheckWrongTypes()
{
    TRegistryStore store(CheckPath);
    store.WriteString(L"quality", L"80");
    Check(TypeErrorOf([&] { store.ReadInteger(L"quality", 0); }) ==
              L"Invalid data type for 'quality'",
          "REG_SZ read as integer fails with the type error");
    Check(TypeErrorOf([&] { store.ReadBoolean(L"quality", false); }) ==
              L"Invalid data type for 'quality'",
          "REG_SZ read as Boolean fails with the type error");
    store.WriteInteger(L"format", 1);
    Check(TypeErrorOf([&] { store.ReadString(L"format", L""); }) ==
              L"Invalid data type for 'format'",
          "REG_DWORD read as string fails with the type error");
    const BYTE binary[] = {1, 2, 3, 4, 5};
    WriteRaw(L"binary", REG_BINARY, binary, sizeof binary);
    Check(!TypeErrorOf([&] { store.ReadInteger(L"binary", 0); }).empty() &&
              !TypeErrorOf([&] { store.ReadString(L"binary", L""); }).empty(),
          "REG_BINARY reads as neither kind");
    std::string what;
    try {
        store.ReadInteger(L"quality", 0);
    } catch (const std::exception& error) {
        what = error.what();
    }
    Check(what == "Invalid data type for 'quality'", "the error's what() carries the same text");

    store.WriteInteger(L"quality", 80);
    Check(store.ReadInteger(L"quality", 0) == 80 && IsDwordOf(L"quality", 80),
          "an integer written over a string replaces it");
}

void CheckUnusableKey()
{
    // Key names are limited to 255 characters, so this key can be neither opened nor created.
    const std::wstring tooLong(300, L'k');
    TRegistryStore store(tooLong);
    Check(!KeyExists(L"Software\\" + tooLong), "an over-long key name cannot be created");
    store.WriteInteger(L"width", 800);
    Check(store.ReadInteger(L"width", 540) == 540, "an unusable key reads defaults");
}

} // namespace

int main()
{
    CheckMissingKey();
    CheckRoundTrips();
    CheckTextForms();
    CheckWrongTypes();
    CheckUnusableKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, CheckKey.c_str());
    std::printf("%d failed\n", Failures);
    return Failures == 0 ? 0 : 1;
}
