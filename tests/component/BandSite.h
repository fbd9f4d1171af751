#pragma once
// What Internet Explorer gives a band: a window to live in, an input-object site that
// hears focus changes, and a service provider that answers with the browser. Each
// piece can be left out or made to fail, as a broken host would.
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <vector>

#include "browser/WebBrowser.h"
#include "framework/com/ComObject.h"

namespace pelmora::test {

class BandSite : public com::ComObjectRoot,
                 public IOleWindow,
                 public IInputObjectSite,
                 public IServiceProvider {
public:
    HRESULT InternalQueryInterface(REFIID iid, void** out) noexcept {
        if (IsEqualIID(iid, IID_IUnknown) || (IsEqualIID(iid, IID_IOleWindow) && withWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else if (IsEqualIID(iid, IID_IInputObjectSite) && withInputSite) {
            *out = static_cast<IInputObjectSite*>(this);
        } else if (IsEqualIID(iid, IID_IServiceProvider) && withServices) {
            *out = static_cast<IServiceProvider*>(this);
        } else {
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* window) override {
        if (failGetWindow) return E_UNEXPECTED;
        *window = bandWindow;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL gained) override {
        focusChanges.push_back(gained != FALSE);
        return S_OK;
    }
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!browser || !IsEqualGUID(service, IID_IWebBrowserApp)) return E_NOINTERFACE;
        return browser->QueryInterface(iid, out);
    }

    bool withWindow = true;
    bool failGetWindow = false;
    bool withInputSite = true;
    bool withServices = true;
    HWND bandWindow = nullptr;
    com::ComPtr<com::ComObject<browser::WebBrowser>> browser;
    std::vector<bool> focusChanges;
};

inline com::ComPtr<com::ComObject<BandSite>> MakeBandSite() {
    return com::ComPtr<com::ComObject<BandSite>>(new com::ComObject<BandSite>());
}

// A top-level frame with one child: the band window the site hands out.
struct BandFrame {
    BandFrame() {
        frame = ::CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, 20, 20, 520, 820, nullptr, nullptr,
                                  nullptr, nullptr);
        band = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 780, frame, nullptr, nullptr,
                                 nullptr);
    }
    ~BandFrame() { ::DestroyWindow(frame); }
    BandFrame(const BandFrame&) = delete;
    BandFrame& operator=(const BandFrame&) = delete;
    HWND frame = nullptr;
    HWND band = nullptr;
};

}  // namespace pelmora::test
