#include "core/LogMask.h"

#include "framework/win/RegKey.h"
#include "core/ProductKey.h"

namespace pelmora {

DWORD ReadLogMask() noexcept {
    try {
        win::UniqueHKey key;
        if (win::OpenRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key) != ERROR_SUCCESS &&
            win::CreateRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key) != ERROR_SUCCESS) {
            return 0;
        }
        DWORD mask = 0;
        DWORD type = 0;
        DWORD size = sizeof(mask);
        const LONG status =
            ::RegQueryValueExW(key.get(), L"LogErrors", nullptr, &type, reinterpret_cast<BYTE*>(&mask), &size);
        if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(mask)) {
            const DWORD off = 0;
            ::RegSetValueExW(key.get(), L"LogErrors", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
            return 0;
        }
        return mask;
    } catch (...) {
        return 0;
    }
}

}  // namespace pelmora
