#include "browser/HtmlLocation.h"

namespace pelmora::browser {

HRESULT HtmlLocation::InternalQueryInterface(REFIID iid, void** out) noexcept {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLLocation)) {
        *out = static_cast<IHTMLLocation*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HtmlLocation::get_host(BSTR* p) {
    return CopyText(parts_.port.empty() ? parts_.hostName : parts_.hostName + L":" + parts_.port, p);
}

com::ComPtr<IHTMLLocation> MakeHtmlLocation(const std::wstring& url) {
    auto* location = new com::ComObject<HtmlLocation>();
    com::ComPtr<IHTMLLocation> result(static_cast<IHTMLLocation*>(location));
    location->Init(SplitUrl(url));
    return result;
}

}  // namespace pelmora::browser
