#include "runtime/BarNotifications.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace pelmora {

namespace {

// Internet Explorer runs each frame window, with its band, on a thread of its own:
// every thread has its own current bar, so one window's scripts never reach another
// window's list.
struct CurrentBars {
    std::mutex lock;
    std::map<DWORD, com::ComPtr<IBarNotifications>> byThread;
};

// Made on first use, which comes after the logger's construction, so it goes before
// the logger at unload; the application's exit empties it earlier still.
CurrentBars& Slots() noexcept {
    static CurrentBars slots;
    return slots;
}

}  // namespace

void SetCurrentBarSlot(IBarNotifications* bar) noexcept {
    com::ComPtr<IBarNotifications> previous;  // released outside the lock
    CurrentBars& slots = Slots();
    const DWORD thread = ::GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(slots.lock);
    const auto found = slots.byThread.find(thread);
    if (!bar) {
        if (found == slots.byThread.end()) return;
        previous = std::move(found->second);
        slots.byThread.erase(found);
        return;
    }
    try {
        com::ComPtr<IBarNotifications>& slot = slots.byThread[thread];
        previous = std::move(slot);
        slot = com::ComPtr<IBarNotifications>(bar);
    } catch (...) {
        // Without memory for the slot the bar is simply not current: nothing is listed.
    }
}

void ClearCurrentBarSlotOf(IBarNotifications* bar) noexcept {
    if (!bar) return;
    std::map<DWORD, com::ComPtr<IBarNotifications>> released;  // released outside the lock
    CurrentBars& slots = Slots();
    std::lock_guard<std::mutex> guard(slots.lock);
    for (auto it = slots.byThread.begin(); it != slots.byThread.end();) {
        if (it->second.get() == bar) {
            released.insert(slots.byThread.extract(it++));
        } else {
            ++it;
        }
    }
}

com::ComPtr<IBarNotifications> GetCurrentBarSlot() noexcept {
    CurrentBars& slots = Slots();
    std::lock_guard<std::mutex> guard(slots.lock);
    const auto found = slots.byThread.find(::GetCurrentThreadId());
    return found == slots.byThread.end() ? com::ComPtr<IBarNotifications>() : found->second;
}

void ReleaseAllCurrentBars() noexcept {
    std::map<DWORD, com::ComPtr<IBarNotifications>> released;
    {
        std::lock_guard<std::mutex> guard(Slots().lock);
        released.swap(Slots().byThread);
    }
}

void AbandonAllCurrentBars() noexcept {
    for (auto& entry : Slots().byThread) (void)entry.second.Detach();
}

}  // namespace pelmora
