#include "browser/WebBrowser.h"

#include <olectl.h>

#include <cwchar>
#include <new>

#include "browser/BrowserEvents.h"
#include "browser/HtmlLocation.h"
#include "browser/NonHtmlDocument.h"
#include "framework/com/Variant.h"

namespace pelmora::browser {

namespace {

// Frames that load themselves (directly or through others) stop here.
constexpr int kMaxFrameDepth = 8;

}  // namespace

WebBrowser::WebBrowser() noexcept
    : ComBase(IID_IWebBrowser2), events_(this, DIID_DWebBrowserEvents2) {}

WebBrowser::~WebBrowser() { Unload(false); }

com::ComPtr<WebBrowser> CreateWebBrowser(HWND frameWindow) {
    com::ComPtr<WebBrowser> browser(new WebBrowser());
    browser->session_ = std::make_shared<BrowserSession>();
    browser->frameWindow_ = frameWindow;
    browser->session_->frameWindow = frameWindow;
    return browser;
}

com::ConnectionPoint* WebBrowser::Events() noexcept {
    if (!isFrame_) return &events_;
    return top_ ? &top_->events_ : nullptr;
}

std::vector<WebBrowser*> WebBrowser::Frames() const {
    std::vector<WebBrowser*> frames;
    for (const auto& frame : frames_) frames.push_back(frame.get());
    return frames;
}

HRESULT STDMETHODCALLTYPE WebBrowser::Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    if (!URL) return E_INVALIDARG;
    try {
        const std::wstring url(URL, ::SysStringLen(URL));
        if (!isFrame_) return NavigateTop(url);
        // A frame navigates on its own: its events, its window, its DocumentComplete.
        WebBrowser* top = top_;
        if (!top) return E_ACCESSDENIED;
        if (top->navigating_) return E_PENDING;
        com::ComPtr<IWebBrowser2> keepAlive(static_cast<IWebBrowser2*>(this));
        top->navigating_ = true;
        if (Begin(url, 1)) {
            FireOnloads();
            FireDocumentCompletes();
        }
        top->navigating_ = false;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE WebBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                                VARIANT* PostData, VARIANT* Headers) {
    if (!URL) return E_INVALIDARG;
    const VARIANT* value = URL;
    if (V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
    if (!value) return E_INVALIDARG;
    if (V_VT(value) == VT_BSTR) return Navigate(V_BSTR(value), Flags, TargetFrameName, PostData, Headers);
    if (V_VT(value) == (VT_BYREF | VT_BSTR) && V_BSTRREF(value))
        return Navigate(*V_BSTRREF(value), Flags, TargetFrameName, PostData, Headers);
    return E_INVALIDARG;  // item-id lists are not URLs this browser can show
}

HRESULT WebBrowser::NavigateTop(const std::wstring& url, ptrdiff_t historyIndex) {
    if (navigating_) {
        pending_.push_back({url, historyIndex});
        return S_OK;
    }
    com::ComPtr<IWebBrowser2> keepAlive(static_cast<IWebBrowser2*>(this));
    navigating_ = true;
    pending_.push_back({url, historyIndex});
    while (!pending_.empty()) {
        const PendingNavigation next = pending_.front();
        pending_.erase(pending_.begin());
        if (Begin(next.url, 0)) {
            if (next.historyIndex >= 0 && static_cast<size_t>(next.historyIndex) < history_.size()) {
                historyIndex_ = static_cast<size_t>(next.historyIndex);
            } else {
                // A new page drops the pages one could have gone forward to.
                if (!history_.empty()) history_.resize(historyIndex_ + 1);
                history_.push_back(next.url);
                historyIndex_ = history_.size() - 1;
            }
            FireOnloads();
            FireDocumentCompletes();
        }
    }
    navigating_ = false;
    return S_OK;
}

// As Internet Explorer, a step beyond either end of the history fails.
HRESULT WebBrowser::Travel(ptrdiff_t step) {
    if (isFrame_) return top_ ? top_->Travel(step) : E_FAIL;
    const ptrdiff_t target = static_cast<ptrdiff_t>(historyIndex_) + step;
    if (history_.empty() || target < 0 || target >= static_cast<ptrdiff_t>(history_.size())) return E_FAIL;
    try {
        return NavigateTop(history_[static_cast<size_t>(target)], target);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

bool WebBrowser::Begin(const std::wstring& url, int depth) {
    com::ConnectionPoint* events = Events();
    if (!events) return false;
    session_->transcript.Record(L"BeforeNavigate2", url);
    if (FireBeforeNavigate2(*events, AsDispatch(), url)) {
        session_->transcript.Record(L"Cancelled", url);
        return false;
    }
    const PageLoad load = session_->Load(url);
    if (FAILED(load.status)) {
        wchar_t status[16] = {};
        swprintf(status, 16, L"0x%08lX", static_cast<unsigned long>(load.status));
        session_->transcript.Record(L"NavigateError", url + L" " + status);
        if (FireNavigateError(*events, AsDispatch(), url, load.status)) {
            session_->transcript.Record(L"Cancelled", url);
            return false;
        }
    }
    Unload(true);
    readyState_ = READYSTATE_LOADING;
    BuildPage(load.page);
    session_->transcript.Record(L"NavigateComplete2", url);
    FireNavigateComplete2(*events, AsDispatch(), url);
    if (depth < kMaxFrameDepth)
        for (const std::wstring& frameUrl : load.page.frameUrls) AddFrame(frameUrl, depth + 1);
    return true;
}

void WebBrowser::BuildPage(const PageDescription& page) {
    page_ = page;
    if (!page.isHtml) {
        auto* document = new NonHtmlDocument();
        document_ = com::ComPtr<IDispatch>(static_cast<IDispatch*>(document));
        return;
    }
    com::ComPtr<IHTMLLocation> location = MakeHtmlLocation(page.url);
    htmlDocument_ = com::ComPtr<HtmlDocument>(new HtmlDocument());
    htmlDocument_->Init(page.url, page.title, location);
    window_ = com::ComPtr<HtmlWindow>(new HtmlWindow());
    window_->Init(session_, this, com::ComPtr<IHTMLDocument2>(static_cast<IHTMLDocument2*>(htmlDocument_.get())),
                  location, page.url);
    htmlDocument_->SetWindow(com::ComPtr<IHTMLWindow2>(static_cast<IHTMLWindow2*>(window_.get())));
    document_ = com::ComPtr<IDispatch>(static_cast<IHTMLDocument2*>(htmlDocument_.get()));
}

void WebBrowser::AddFrame(const std::wstring& url, int depth) {
    com::ComPtr<WebBrowser> frame(new WebBrowser());
    frame->session_ = session_;
    frame->top_ = isFrame_ ? top_ : this;
    frame->isFrame_ = true;
    frame->frameWindow_ = frameWindow_;
    frames_.push_back(frame);
    frame->Begin(url, depth);
}

void WebBrowser::FireOnloads() {
    for (const auto& frame : frames_) frame->FireOnloads();
    if (document_) readyState_ = READYSTATE_COMPLETE;
    if (window_) window_->FireOnload();
}

void WebBrowser::FireDocumentCompletes() {
    for (const auto& frame : frames_) frame->FireDocumentCompletes();
    com::ConnectionPoint* events = Events();
    if (!document_ || !events) return;
    session_->transcript.Record(L"DocumentComplete", page_.url);
    FireDocumentComplete(*events, AsDispatch(), page_.url);
}

// The page ends: the window first, then its frames, as the document is torn down
// from the top. Without events when the browser itself goes away.
void WebBrowser::Unload(bool fireEvents) {
    if (fireEvents && window_) window_->FireOnunload();
    const std::vector<com::ComPtr<WebBrowser>> frames = std::move(frames_);
    frames_.clear();
    for (const auto& frame : frames) {
        frame->Unload(fireEvents);
        frame->top_ = nullptr;
    }
    if (window_) window_->Close();
    if (htmlDocument_) htmlDocument_->Close();
    window_.reset();
    htmlDocument_.reset();
    document_.reset();
    readyState_ = READYSTATE_UNINITIALIZED;
}

// As Internet Explorer, a refresh reloads the page's windows without the navigation
// events of DWebBrowserEvents2.
HRESULT STDMETHODCALLTYPE WebBrowser::Refresh() {
    if (!document_) return S_OK;
    WebBrowser* top = isFrame_ ? top_ : this;
    if (!top || top->navigating_) return E_PENDING;
    try {
        com::ComPtr<IWebBrowser2> keepAlive(static_cast<IWebBrowser2*>(this));
        const PageDescription page = page_;
        top->navigating_ = true;
        Unload(true);
        BuildPage(page);
        for (const std::wstring& frameUrl : page.frameUrls) AddFrame(frameUrl, 1);
        FireOnloads();
        top->navigating_ = false;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Navigations finish inside their call, so nothing is ever in flight to stop.
HRESULT STDMETHODCALLTYPE WebBrowser::Stop() {
    session_->transcript.Record(L"Stop", page_.url);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebBrowser::Quit() {
    if (isFrame_) return E_FAIL;
    Unload(true);
    events_.Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_Document(IDispatch** ppDisp) {
    if (!ppDisp) return E_POINTER;
    return document_.CopyTo(ppDisp);
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_TopLevelContainer(VARIANT_BOOL* pBool) {
    if (!pBool) return E_POINTER;
    *pBool = isFrame_ ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_LocationName(BSTR* LocationName) {
    return CopyText(page_.title, LocationName);
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_LocationURL(BSTR* LocationURL) { return CopyText(page_.url, LocationURL); }

HRESULT STDMETHODCALLTYPE WebBrowser::get_Busy(VARIANT_BOOL* pBool) {
    if (!pBool) return E_POINTER;
    *pBool = readyState_ == READYSTATE_LOADING ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_HWND(SHANDLE_PTR* pHWND) {
    if (!pHWND) return E_POINTER;
    *pHWND = reinterpret_cast<SHANDLE_PTR>(frameWindow_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebBrowser::get_ReadyState(READYSTATE* plReadyState) {
    if (!plReadyState) return E_POINTER;
    *plReadyState = readyState_;
    return S_OK;
}

STDMETHODIMP WebBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return events_.EnumerateAsOnlyPoint(points);
}

STDMETHODIMP WebBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return events_.Find(iid, point);
}

}  // namespace pelmora::browser

namespace pelmora::browser {

HRESULT STDMETHODCALLTYPE WebBrowser::ShowBrowserBar(VARIANT* pvaClsid, VARIANT* pvarShow, VARIANT*) {
    if (!pvaClsid) return E_INVALIDARG;
    com::Variant clsid;
    if (FAILED(::VariantChangeType(clsid.get(), pvaClsid, 0, VT_BSTR))) return E_INVALIDARG;
    bool show = true;  // an omitted argument shows the bar
    if (pvarShow && V_VT(pvarShow) != VT_EMPTY && V_VT(pvarShow) != VT_ERROR) {
        com::Variant flag;
        if (FAILED(::VariantChangeType(flag.get(), pvarShow, 0, VT_BOOL))) return E_INVALIDARG;
        show = V_BOOL(flag.get()) != VARIANT_FALSE;
    }
    if (!session_->barListener) return E_FAIL;
    const std::wstring text(V_BSTR(clsid.get()), ::SysStringLen(V_BSTR(clsid.get())));
    // The listener may end this browser's page: keep the object through the call.
    const com::ComPtr<IWebBrowser2> self(static_cast<IWebBrowser2*>(this));
    const auto listener = session_->barListener;
    return listener(text, show);
}

}  // namespace pelmora::browser
