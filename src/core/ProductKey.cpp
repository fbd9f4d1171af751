#include "core/ProductKey.h"

#include "framework/win/RegKey.h"

namespace pelmora {

LONG OpenProductKey(win::UniqueHKey& key) noexcept {
    try {
        return win::OpenRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;  // the path could not be copied
    }
}

LONG OpenOrCreateProductKey(win::UniqueHKey& key, bool* created) noexcept {
    if (created) *created = false;
    if (OpenProductKey(key) == ERROR_SUCCESS) return ERROR_SUCCESS;
    try {
        const LONG status = win::CreateRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key);
        if (created) *created = status == ERROR_SUCCESS;
        return status;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace pelmora
