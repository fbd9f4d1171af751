#include "ui/SharedPropertyBag.h"

#include <mutex>

#include "framework/com/ComBase.h"

namespace pelmora {

namespace {

struct SharedList {
    std::mutex lock;
    com::ComPtr<CPropBag> list;
};

// Made on first use, after the logger, so it goes before the logger at unload; the
// application's exit empties it earlier still.
SharedList& Slot() noexcept {
    static SharedList slot;
    return slot;
}

}  // namespace

com::ComPtr<CPropBag> GetSharedPropertyBagSlot() noexcept {
    SharedList& slot = Slot();
    std::lock_guard<std::mutex> guard(slot.lock);
    if (!slot.list) {
        try {
            slot.list = com::ComPtr<CPropBag>(new CPropBag());
        } catch (...) {
            return {};
        }
        // The slot's own reference must not keep the DLL loaded: the list goes when
        // the DLL does. Only the references handed out count.
        com::UnlockProcessModule();
    }
    return slot.list;
}

void ReleaseSharedPropertyBag() noexcept {
    com::ComPtr<CPropBag> released;  // let go outside the lock
    std::lock_guard<std::mutex> guard(Slot().lock);
    if (!Slot().list) return;
    com::LockProcessModule();  // given back for the list's own lock, which it releases
    released = std::move(Slot().list);
}

void AbandonSharedPropertyBag() noexcept { (void)Slot().list.Detach(); }

}  // namespace pelmora
