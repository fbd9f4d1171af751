#include "browser/HtmlDocument.h"

namespace pelmora::browser {

void HtmlDocument::Init(std::wstring url, std::wstring title, com::ComPtr<IHTMLLocation> location) {
    url_ = std::move(url);
    title_ = std::move(title);
    location_ = std::move(location);
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
