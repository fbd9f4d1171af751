#pragma once
// Stands in for the bar: counts its references and never deletes itself, so a test can
// see every AddRef and Release made on it, and records what the runtime told it.
#include <string>
#include <vector>

#include "FakeCom.h"
#include "runtime/BarNotifications.h"

namespace pelmora::test {

// The notifications have no interface id of their own: the runtime only holds the bar
// and calls it, so the fake answers IUnknown alone.
struct BarNotificationsFace : IBarNotifications {
    using Interface = IUnknown;
};

class FakeBar final : public FakeObject<BarNotificationsFace> {
public:
    STDMETHODIMP_(ULONG) Release() override {
        if (--refs < lowest) lowest = refs;
        return static_cast<ULONG>(refs);
    }
    void OnScriptletAttached(const std::wstring& label) override { events.push_back(L"attached " + label); }
    void OnScriptletDetached(const std::wstring& label) override { events.push_back(L"detached " + label); }
    void OnLocationsCollected() override { events.push_back(L"locations collected"); }

    LONG lowest = 1;  // fewest references seen since the test last set it
    std::vector<std::wstring> events;
};

}  // namespace pelmora::test
