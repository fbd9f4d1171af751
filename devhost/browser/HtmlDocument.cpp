#include "browser/HtmlDocument.h"

namespace pelmora::browser {

void HtmlDocument::Init(std::wstring url, std::wstring title, com::ComPtr<IHTMLLocation> location) {
    url_ = std::move(url);
    title_ = std::move(title);
    location_ = std::move(location);
}

HRESULT HtmlDocument::InternalQueryInterface(REFIID iid, void** out) noexcept {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLDocument) ||
        IsEqualIID(iid, IID_IHTMLDocument2)) {
        *out = static_cast<IHTMLDocument2*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HtmlDocument::get_parentWindow(IHTMLWindow2** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (!window_) return E_ACCESSDENIED;  // the page has gone
    return window_.CopyTo(p);
}

HRESULT STDMETHODCALLTYPE HtmlDocument::get_location(IHTMLLocation** p) {
    if (!p) return E_POINTER;
    return location_.CopyTo(p);
}

}  // namespace pelmora::browser
