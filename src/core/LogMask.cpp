#include "core/LogMask.h"

#include "core/ProductKey.h"
#include "framework/win/RegKey.h"

namespace pelmora {

namespace {

constexpr wchar_t kLogMaskValue[] = L"LogErrors";

// The product key as the last full read left it open. Reading the mask through it is
// one registry call, where opening and closing the key for every report would make a
// report cost several times what appending it does. The value is still read at every
// report, so a change takes effect at the next one; any failure through the kept key
// (the key deleted, the value gone) lets go of it and reads the mask the full way.
class KeptProductKey {
public:
    KeptProductKey() = default;
    ~KeptProductKey() = default;
    KeptProductKey(const KeptProductKey&) = delete;
    KeptProductKey& operator=(const KeptProductKey&) = delete;

    bool TryRead(DWORD& mask) noexcept {
        ::AcquireSRWLockShared(&lock_);
        const bool read = key_ && win::ReadRegDword(key_.get(), kLogMaskValue, mask) == ERROR_SUCCESS;
        ::ReleaseSRWLockShared(&lock_);
        return read;
    }

    DWORD ReadAfresh() noexcept {
        ::AcquireSRWLockExclusive(&lock_);
        key_.reset();
        DWORD mask = 0;
        if (OpenOrCreateProductKey(key_) == ERROR_SUCCESS &&
            win::ReadRegDword(key_.get(), kLogMaskValue, mask) != ERROR_SUCCESS) {
            // Logging stays off; a failed write changes nothing for the caller.
            (void)win::WriteRegDword(key_.get(), kLogMaskValue, 0);
            mask = 0;
        }
        ::ReleaseSRWLockExclusive(&lock_);
        return mask;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    win::UniqueHKey key_;
};

}  // namespace

DWORD ReadLogMask() noexcept {
    static KeptProductKey productKey;
    DWORD mask = 0;
    return productKey.TryRead(mask) ? mask : productKey.ReadAfresh();
}

}  // namespace pelmora
