#include "bandhost/BandSite.h"

#include "bandhost/BarRegistration.h"

namespace pelmora::bandhost {

std::wstring InterfaceName(REFIID iid) {
    if (IsEqualIID(iid, IID_IWebBrowserApp)) return L"IWebBrowserApp";
    if (IsEqualIID(iid, IID_IWebBrowser2)) return L"IWebBrowser2";
    if (IsEqualIID(iid, IID_IWebBrowser)) return L"IWebBrowser";
    if (IsEqualIID(iid, IID_IUnknown)) return L"IUnknown";
    if (IsEqualIID(iid, IID_IDispatch)) return L"IDispatch";
    if (IsEqualIID(iid, IID_IOleWindow)) return L"IOleWindow";
    if (IsEqualIID(iid, IID_IInputObjectSite)) return L"IInputObjectSite";
    if (IsEqualIID(iid, IID_IServiceProvider)) return L"IServiceProvider";
    return ClsidText(iid);
}

void BandSite::Init(HWND window, com::ComPtr<IWebBrowser2> browser, HostTranscript* transcript,
                    FocusListener onFocusChange) {
    window_ = window;
    browser_ = std::move(browser);
    transcript_ = transcript;
    onFocusChange_ = std::move(onFocusChange);
}

void BandSite::Disconnect() noexcept {
    window_ = nullptr;
    browser_.reset();
    transcript_ = nullptr;
    onFocusChange_ = nullptr;
}

STDMETHODIMP BandSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP BandSite::OnFocusChangeIS(IUnknown*, BOOL gained) {
    Note(gained ? L"OnFocusChangeIS(TRUE): the band has the focus"
                : L"OnFocusChangeIS(FALSE): the band lost the focus");
    try {
        if (onFocusChange_) onFocusChange_(gained != FALSE);
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

STDMETHODIMP BandSite::QueryService(REFGUID service, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOINTERFACE;
    const bool browserService = IsEqualGUID(service, IID_IWebBrowserApp) || IsEqualGUID(service, IID_IWebBrowser2);
    if (browserService) hr = browser_ ? browser_->QueryInterface(iid, out) : E_FAIL;
    try {
        Note(L"QueryService(" + InterfaceName(service) + L", " + InterfaceName(iid) + L") -> " + HResultText(hr));
    } catch (...) {
    }
    return hr;
}

void BandSite::Note(const std::wstring& text) noexcept {
    try {
        if (transcript_) transcript_->Add(L"site", text);
    } catch (...) {
        // A full transcript must not fail the band's call.
    }
}

com::ComPtr<BandSite> CreateBandSite(HWND window, com::ComPtr<IWebBrowser2> browser,
                                                     HostTranscript* transcript,
                                                     BandSite::FocusListener onFocusChange) {
    com::ComPtr<BandSite> site(new BandSite());
    site->Init(window, std::move(browser), transcript, std::move(onFocusChange));
    return site;
}

}  // namespace pelmora::bandhost
