#include "runtime/BarNotifications.h"

namespace pelmora {

namespace {

// Made on first use, which comes after the logger's construction, so it goes before
// the logger at unload; the application's exit empties it earlier still.
com::ComPtr<IBarNotifications>& CurrentBar() noexcept {
    static com::ComPtr<IBarNotifications> bar;
    return bar;
}

}  // namespace

void SetCurrentBarSlot(IBarNotifications* bar) noexcept { CurrentBar() = com::ComPtr<IBarNotifications>(bar); }

com::ComPtr<IBarNotifications> GetCurrentBarSlot() noexcept { return CurrentBar(); }

}  // namespace pelmora
