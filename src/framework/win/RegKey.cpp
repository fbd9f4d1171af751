#include "framework/win/RegKey.h"

#include <cstring>
#include <cwchar>
#include <limits>
#include <utility>

namespace pelmora::win {

namespace {

// How often a read starts over when the value grew between asking its size and reading it.
constexpr int kReadAttempts = 4;

bool IsStringType(DWORD type) noexcept { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The value's type and bytes, whatever its type.
template <class Bytes>
LONG ReadRawValue(HKEY key, const wchar_t* name, DWORD& type, Bytes& bytes) {
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < kReadAttempts; ++attempt) {
        if (size == 0) {
            bytes.clear();
            return ERROR_SUCCESS;
        }
        bytes.resize(size);
        DWORD read = size;
        status = ::RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &read);
        if (status == ERROR_SUCCESS) {
            bytes.resize(read);
            return ERROR_SUCCESS;
        }
        if (status != ERROR_MORE_DATA) return status;
        size = read;  // the size it has now
        status = ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size) noexcept {
    if (size > std::numeric_limits<DWORD>::max()) return ERROR_INVALID_PARAMETER;
    return ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

}  // namespace

LONG OpenRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExW(parent, path.c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS) key.reset(opened);
    return status;
}

LONG CreateRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key) {
    HKEY created = nullptr;
    const LONG status = ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                          nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) key.reset(created);
    return status;
}

LONG DeleteRegTree(HKEY parent, const std::wstring& path) {
    if (path.empty()) return ERROR_INVALID_PARAMETER;  // never empty the parent itself
    LONG status = ::RegDeleteTreeW(parent, path.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    // Some registry implementations leave the emptied key itself behind.
    status = ::RegDeleteKeyW(parent, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

bool RegKeyExists(HKEY parent, const std::wstring& path) {
    UniqueHKey key;
    return OpenRegKey(parent, path, KEY_READ, key) == ERROR_SUCCESS;
}

LONG ReadRegDword(HKEY key, const wchar_t* name, DWORD& value) noexcept {
    DWORD read = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof(read);
    const LONG status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size);
    if (status == ERROR_MORE_DATA) return type == REG_DWORD ? ERROR_INVALID_DATA : ERROR_UNSUPPORTED_TYPE;
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_DWORD) return ERROR_UNSUPPORTED_TYPE;
    if (size != sizeof(read)) return ERROR_INVALID_DATA;
    value = read;
    return ERROR_SUCCESS;
}

LONG ReadRegString(HKEY key, const wchar_t* name, std::wstring& value) noexcept {
    try {
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
        const LONG status = ReadRawValue(key, name, type, bytes);
        if (status != ERROR_SUCCESS) return status;
        if (!IsStringType(type)) return ERROR_UNSUPPORTED_TYPE;
        std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
        if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        text.resize(std::wcslen(text.c_str()));
        value = std::move(text);
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

namespace {

template <class Bytes>
LONG ReadBinary(HKEY key, const wchar_t* name, Bytes& value) noexcept {
    try {
        DWORD type = REG_NONE;
        Bytes bytes(value.get_allocator());
        const LONG status = ReadRawValue(key, name, type, bytes);
        if (status != ERROR_SUCCESS) return status;
        if (type != REG_BINARY) return ERROR_UNSUPPORTED_TYPE;
        value.swap(bytes);
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace

LONG ReadRegBinary(HKEY key, const wchar_t* name, std::vector<BYTE>& value) noexcept {
    return ReadBinary(key, name, value);
}

LONG ReadRegBinary(HKEY key, const wchar_t* name, std::pmr::vector<BYTE>& value) noexcept {
    return ReadBinary(key, name, value);
}

LONG WriteRegDword(HKEY key, const wchar_t* name, DWORD value) noexcept {
    return SetValue(key, name, REG_DWORD, &value, sizeof(value));
}

LONG WriteRegString(HKEY key, const wchar_t* name, const std::wstring& value) noexcept {
    return SetValue(key, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

LONG WriteRegBinary(HKEY key, const wchar_t* name, const BYTE* data, size_t size) noexcept {
    return SetValue(key, name, REG_BINARY, data, size);
}

}  // namespace pelmora::win
