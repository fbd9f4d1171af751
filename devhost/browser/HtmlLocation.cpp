#include "browser/HtmlLocation.h"

namespace pelmora::browser {

HRESULT STDMETHODCALLTYPE HtmlLocation::get_host(BSTR* p) {
    return CopyText(parts_.port.empty() ? parts_.hostName : parts_.hostName + L":" + parts_.port, p);
}

com::ComPtr<IHTMLLocation> MakeHtmlLocation(const std::wstring& url) {
    auto* location = new HtmlLocation();
    com::ComPtr<IHTMLLocation> result(static_cast<IHTMLLocation*>(location));
    location->Init(SplitUrl(url));
    return result;
}

}  // namespace pelmora::browser
