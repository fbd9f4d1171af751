// The stand-ins' test module: serves the fake band through COM (the tests register it
// in the test prefix themselves) and carries HTML resources for the browser's res:
// pages. Its DllCanUnloadNow answers S_OK once no band and no server lock is left.
#include <windows.h>

#include "bandhost/FakeBand.h"

namespace {

LONG g_locks = 0;

class BandFactory final : public pelmora::com::Interfaces<IClassFactory> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return pelmora::com::AnswerQuery(InterfaceFor(iid), out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // static
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* band = new (std::nothrow) pelmora::test::FakeBand();
        if (!band) return E_OUTOFMEMORY;
        const HRESULT hr = band->QueryInterface(iid, out);
        band->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ::InterlockedIncrement(&g_locks);
        } else {
            ::InterlockedDecrement(&g_locks);
        }
        return S_OK;
    }
};

BandFactory g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, pelmora::test::kFakeBandClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return pelmora::test::FakeBand::Live() == 0 && g_locks == 0 ? S_OK : S_FALSE;
}
