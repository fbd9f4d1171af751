#pragma once
// A document's location: the parts of its URL, read-only (a page changes location by
// navigating, not by writing here).
#include "browser/DispatchTypes.h"
#include "browser/UnsupportedMembers.h"
#include "browser/UrlParts.h"
#include "framework/com/ComBase.h"

namespace pelmora::browser {

class HtmlLocation : public com::ComBase<MshtmlDispatch<UnsupportedHtmlLocation>, IDispatch> {
public:
    HtmlLocation() noexcept : ComBase(IID_IHTMLLocation) {}
    void Init(UrlParts parts) { parts_ = std::move(parts); }

    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override { return CopyText(parts_.href, p); }
    HRESULT STDMETHODCALLTYPE get_protocol(BSTR* p) override { return CopyText(parts_.protocol, p); }
    HRESULT STDMETHODCALLTYPE get_host(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_hostname(BSTR* p) override { return CopyText(parts_.hostName, p); }
    HRESULT STDMETHODCALLTYPE get_port(BSTR* p) override { return CopyText(parts_.port, p); }
    HRESULT STDMETHODCALLTYPE get_pathname(BSTR* p) override { return CopyText(parts_.pathName, p); }
    HRESULT STDMETHODCALLTYPE get_search(BSTR* p) override { return CopyText(parts_.search, p); }
    HRESULT STDMETHODCALLTYPE get_hash(BSTR* p) override { return CopyText(parts_.hash, p); }
    HRESULT STDMETHODCALLTYPE toString(BSTR* p) override { return CopyText(parts_.href, p); }

private:
    UrlParts parts_;
};

com::ComPtr<IHTMLLocation> MakeHtmlLocation(const std::wstring& url);

}  // namespace pelmora::browser
