#pragma once
// A registry key and everything below it as text, so a test can compare a whole tree
// exactly (nothing missing, nothing extra) and see the difference when it fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace pelmora::test {

namespace registry_tree_detail {

inline std::wstring Hex(const BYTE* data, size_t size) {
    std::wstring text;
    wchar_t byte[4] = {};
    for (size_t i = 0; i < size; ++i) {
        swprintf(byte, 4, L"%02x", data[i]);
        if (i) text += L' ';
        text += byte;
    }
    return text;
}

// Every UTF-16 unit of the data, the terminating zero included, so that the exact bytes
// of a string value show.
inline std::wstring Text(const BYTE* data, size_t size) {
    std::wstring text = L"\"";
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == L'\0') {
            text += L"\\0";
        } else if (c < 0x20 || c > 0x7e) {
            wchar_t escaped[8] = {};
            swprintf(escaped, 8, L"\\x%04x", static_cast<unsigned>(c));
            text += escaped;
        } else {
            text += c;
        }
    }
    text += L'"';
    if (size % 2) text += L" (odd size " + std::to_wstring(size) + L")";
    return text;
}

inline std::wstring Value(DWORD type, const std::vector<BYTE>& data) {
    switch (type) {
    case REG_SZ:
        return L"REG_SZ " + Text(data.data(), data.size());
    case REG_EXPAND_SZ:
        return L"REG_EXPAND_SZ " + Text(data.data(), data.size());
    case REG_DWORD:
        return L"REG_DWORD " + Hex(data.data(), data.size());
    case REG_BINARY:
        return L"REG_BINARY " + Hex(data.data(), data.size());
    default:
        return L"type " + std::to_wstring(type) + L" " + Hex(data.data(), data.size());
    }
}

inline void Dump(HKEY key, const std::wstring& relative, std::wstring& out) {
    out += L"[" + relative + L"]\n";
    DWORD subkeyCount = 0, maxSubkeyLength = 0, valueCount = 0, maxNameLength = 0, maxDataSize = 0;
    const LONG info = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, &maxSubkeyLength, nullptr,
                                         &valueCount, &maxNameLength, &maxDataSize, nullptr, nullptr);
    if (info != ERROR_SUCCESS) {
        out += L"<cannot read: " + std::to_wstring(info) + L">\n";
        return;
    }
    std::vector<std::wstring> lines;
    for (DWORD i = 0; i < valueCount; ++i) {
        std::vector<wchar_t> name(maxNameLength + 2);
        std::vector<BYTE> data(maxDataSize + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS) {
            lines.push_back(L"<value " + std::to_wstring(i) + L" unreadable>");
            continue;
        }
        data.resize(dataSize);
        const std::wstring shown = nameLength ? std::wstring(name.data(), nameLength) : L"@";
        lines.push_back(L"  " + shown + L" = " + Value(type, data));
    }
    std::sort(lines.begin(), lines.end());
    for (const std::wstring& line : lines) out += line + L"\n";

    std::vector<std::wstring> subkeys;
    for (DWORD i = 0; i < subkeyCount; ++i) {
        std::vector<wchar_t> name(maxSubkeyLength + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            subkeys.emplace_back(name.data(), nameLength);
        }
    }
    std::sort(subkeys.begin(), subkeys.end());
    for (const std::wstring& subkey : subkeys) {
        HKEY child = nullptr;
        const std::wstring path = relative.empty() ? subkey : relative + L"\\" + subkey;
        if (::RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
            out += L"[" + path + L"] <cannot open>\n";
            continue;
        }
        Dump(child, path, out);
        ::RegCloseKey(child);
    }
}

}  // namespace registry_tree_detail

// "[]" for the key itself, then "[sub\path]" for each key below it; under each key one
// line per value ("name = TYPE data", "@" for the default value). Keys and values are
// sorted by name. "<absent>" when the key does not exist.
inline std::wstring DumpRegistryTree(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
    if (status == ERROR_FILE_NOT_FOUND) return L"<absent>\n";
    if (status != ERROR_SUCCESS) return L"<cannot open: " + std::to_wstring(status) + L">\n";
    std::wstring out;
    registry_tree_detail::Dump(key, L"", out);
    ::RegCloseKey(key);
    return out;
}

inline bool RegistryKeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// Creates the key (and its parents); with a name, also a REG_SZ value in it.
inline bool CreateRegistryKey(HKEY root, const std::wstring& path, const wchar_t* valueName = nullptr,
                              const std::wstring& text = L"") {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG status = ERROR_SUCCESS;
    if (valueName) {
        status = ::RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace pelmora::test
