#pragma once
// Stands in for the bar: counts its references and never deletes itself, so a test can
// see every AddRef and Release made on it, and records what the runtime told it.
#include <objbase.h>

#include <string>
#include <vector>

#include "runtime/BarNotifications.h"

namespace pelmora::test {

class FakeBar final : public IBarNotifications {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override {
        if (--refs < lowest) lowest = refs;
        return static_cast<ULONG>(refs);
    }
    void OnScriptletAttached(const std::wstring& label) override { events.push_back(L"attached " + label); }
    void OnScriptletDetached(const std::wstring& label) override { events.push_back(L"detached " + label); }
    void OnLocationsCollected() override { events.push_back(L"locations collected"); }

    LONG refs = 1;    // the test's own reference
    LONG lowest = 1;  // fewest references seen since the test last set it
    std::vector<std::wstring> events;
};

}  // namespace pelmora::test
