#pragma once
// What Internet Explorer gives a band: a window to live in, an input-object site that
// hears focus changes, and a service provider that answers with the browser. Each
// piece can be left out or made to fail, as a broken host would.
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <vector>

#include "browser/WebBrowser.h"
#include "framework/com/ComBase.h"

namespace pelmora::test {

class BandSite : public com::ComBase<IOleWindow, IInputObjectSite, IServiceProvider> {
public:
    // A piece left out is not answered; IUnknown always is.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        const bool leftOut = (IsEqualIID(iid, IID_IOleWindow) && !withWindow) ||
                             (IsEqualIID(iid, IID_IInputObjectSite) && !withInputSite) ||
                             (IsEqualIID(iid, IID_IServiceProvider) && !withServices);
        if (leftOut && out) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return ComBase::QueryInterface(iid, out);
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
    com::ComPtr<browser::WebBrowser> browser;
    std::vector<bool> focusChanges;
};

inline com::ComPtr<BandSite> MakeBandSite() {
    return com::ComPtr<BandSite>(new BandSite());
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
