#pragma once
// The product key as a user or an installer sees it: values written and read back with
// the plain registry functions, independent of the code under test.
#include <windows.h>

#include <string>

namespace pelmora::test {

inline constexpr wchar_t kProductKeyForTests[] = L"SOFTWARE\\Halvenne\\Pelmora";

struct RegistryValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::string bytes;  // the data as the ANSI functions return it
};

inline bool ProductKeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKeyForTests, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// Creates the product key if needed; the Win32 status of the first failing step.
inline LONG CreateProductKey() {
    HKEY key = nullptr;
    const LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKeyForTests, 0, nullptr,
                                          REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) ::RegCloseKey(key);
    return status;
}

// Writes size bytes of data through the ANSI function, which is how the product reads
// its string values.
inline LONG WriteProductValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKeyForTests, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    return status;
}

inline LONG WriteProductDword(const char* name, DWORD value) {
    return WriteProductValue(name, REG_DWORD, &value, sizeof(value));
}

// A string value with its terminating zero.
inline LONG WriteProductString(const char* name, DWORD type, const std::string& text) {
    return WriteProductValue(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline RegistryValue ReadProductValue(const char* name) {
    RegistryValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKeyForTests, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.assign(size, '\0');
        if (::RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()),
                               &size) == ERROR_SUCCESS) {
            value.present = true;
            value.bytes.resize(size);
        }
    }
    ::RegCloseKey(key);
    return value;
}

inline std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

}  // namespace pelmora::test
