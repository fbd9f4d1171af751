#include "core/LogMask.h"

#include "core/ProductKey.h"
#include "framework/win/RegKey.h"

namespace pelmora {

namespace {
constexpr wchar_t kLogMaskValue[] = L"LogErrors";
}  // namespace

DWORD ReadLogMask() noexcept {
    win::UniqueHKey key;
    if (OpenOrCreateProductKey(key) != ERROR_SUCCESS) return 0;
    DWORD mask = 0;
    if (win::ReadRegDword(key.get(), kLogMaskValue, mask) != ERROR_SUCCESS) {
        // Logging stays off; a failed write changes nothing for the caller.
        (void)win::WriteRegDword(key.get(), kLogMaskValue, 0);
        return 0;
    }
    return mask;
}

}  // namespace pelmora
