#pragma once
// What the script runtime tells the bar whose window was created last: scriptlets
// attached and detached (the form's "Attached scripts" list) and new document
// locations (the form's New URL scripts button). The bar implements it; the runtime
// keeps the slots that hold the current bars, which the application object fills.
#include <unknwn.h>

#include <string>

#include "framework/com/ComPtr.h"

namespace pelmora {

class IBarNotifications : public IUnknown {
public:
    virtual void OnScriptletAttached(const std::wstring& label) = 0;
    virtual void OnScriptletDetached(const std::wstring& label) = 0;
    virtual void OnLocationsCollected() = 0;
};

// The current bar is the calling thread's: each browser frame window has its thread.
// Makes bar the current bar (a reference taken) and releases the previous one; none
// clears the slot.
void SetCurrentBarSlot(IBarNotifications* bar) noexcept;
// Clears every slot that holds this bar, and no other: a bar that closes must not
// take away the slot of a bar made after it.
void ClearCurrentBarSlotOf(IBarNotifications* bar) noexcept;
// The current bar with a reference for the caller, or none.
com::ComPtr<IBarNotifications> GetCurrentBarSlot() noexcept;
// Every thread's current bar, at unload.
void ReleaseAllCurrentBars() noexcept;
// At process exit: forgets every current bar without releasing it, and without the
// lock, which a thread already ended may hold.
void AbandonAllCurrentBars() noexcept;

}  // namespace pelmora
