#pragma once
// An HTML page's document: its URL, title, location and window.
#include "browser/DispatchTypes.h"
#include "browser/UnsupportedMembers.h"
#include "framework/com/ComBase.h"

namespace pelmora::browser {

class HtmlDocument : public com::ComBase<MshtmlDispatch<UnsupportedHtmlDocument2>, IHTMLDocument, IDispatch> {
public:
    HtmlDocument() noexcept : ComBase(IID_IHTMLDocument2) {}
    void Init(std::wstring url, std::wstring title, com::ComPtr<IHTMLLocation> location);
    void SetWindow(com::ComPtr<IHTMLWindow2> window) noexcept { window_ = std::move(window); }

    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override { return CopyText(url_, p); }
    HRESULT STDMETHODCALLTYPE get_title(BSTR* p) override { return CopyText(title_, p); }
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR* p) override { return CopyText(L"complete", p); }

    // Ends the page: the document lets its window go.
    void Close() noexcept { window_.reset(); }

private:
    std::wstring url_;
    std::wstring title_;
    com::ComPtr<IHTMLLocation> location_;
    com::ComPtr<IHTMLWindow2> window_;
};

}  // namespace pelmora::browser
