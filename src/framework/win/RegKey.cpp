#include "framework/win/RegKey.h"

namespace pelmora::win {

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

}  // namespace pelmora::win
