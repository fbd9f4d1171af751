#include "browser/HtmlWindow.h"

#include <mshtmdid.h>
#include <olectl.h>

#include <new>
#include <string>

#include "browser/WebBrowser.h"

namespace pelmora::browser {

namespace {

// A function's source text on one transcript line: each run of blanks and line ends
// becomes one blank.
std::wstring OnOneLine(const std::wstring& text) {
    std::wstring line;
    for (const wchar_t c : text) {
        const bool blank = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
        if (!blank) line += c;
        else if (!line.empty() && line.back() != L' ') line += L' ';
    }
    if (!line.empty() && line.back() == L' ') line.pop_back();
    return line;
}

constexpr wchar_t kAlertCaption[] = L"Message from webpage";

}  // namespace

HtmlWindow::HtmlWindow() noexcept
    : ComBase(IID_IHTMLWindow2), events_(this, DIID_HTMLWindowEvents) {}

void HtmlWindow::Init(std::shared_ptr<BrowserSession> session, WebBrowser* browser,
                      com::ComPtr<IHTMLDocument2> document, com::ComPtr<IHTMLLocation> location, std::wstring url) {
    session_ = std::move(session);
    browser_ = browser;
    document_ = std::move(document);
    location_ = std::move(location);
    url_ = std::move(url);
}

STDMETHODIMP HtmlWindow::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argumentError) {
    static DISPID setIntervalId = DISPID_UNKNOWN;
    if (setIntervalId == DISPID_UNKNOWN) {
        LPOLESTR name = const_cast<LPOLESTR>(L"setInterval");
        if (FAILED(GetIDsOfNames(IID_NULL, &name, 1, lcid, &setIntervalId))) setIntervalId = DISPID_UNKNOWN;
    }
    // Arguments come last first: the expression is the last one.
    if (id == setIntervalId && setIntervalId != DISPID_UNKNOWN && (flags & DISPATCH_METHOD) && params &&
        params->cArgs >= 2) {
        const VARIANT& expression = params->rgvarg[params->cArgs - 1];
        if (V_VT(&expression) == VT_DISPATCH) functionBeingSet_ = com::ComPtr<IDispatch>(V_DISPATCH(&expression));
    }
    const HRESULT hr = MshtmlDispatch::Invoke(id, iid, lcid, flags, params, result, exception, argumentError);
    functionBeingSet_.reset();
    return hr;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::get_location(IHTMLLocation** p) {
    if (!p) return E_POINTER;
    return location_.CopyTo(p);
}

HRESULT STDMETHODCALLTYPE HtmlWindow::get_document(IHTMLDocument2** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (!document_) return E_ACCESSDENIED;  // the page has gone
    return document_.CopyTo(p);
}

HRESULT STDMETHODCALLTYPE HtmlWindow::get_self(IHTMLWindow2** p) {
    if (!p) return E_POINTER;
    *p = this;
    static_cast<IHTMLWindow2*>(this)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::alert(BSTR message) {
    const std::wstring text = message ? std::wstring(message, ::SysStringLen(message)) : L"";
    try {
        session_->transcript.Record(L"alert", text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!session_->modalAlerts) return S_OK;
    // The box's modal loop may end this page, or the browser: both stay alive until
    // the call returns, as the script's reference to the window keeps them.
    const com::ComPtr<IHTMLWindow2> self(static_cast<IHTMLWindow2*>(this));
    ::MessageBoxW(session_->frameWindow, text.c_str(), kAlertCaption, MB_OK | MB_ICONWARNING);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::navigate(BSTR url) {
    if (!url) return E_INVALIDARG;
    if (!browser_) return E_ACCESSDENIED;
    return browser_->Navigate(url, nullptr, nullptr, nullptr, nullptr);
}

HRESULT STDMETHODCALLTYPE HtmlWindow::setInterval(BSTR expression, LONG msec, VARIANT*, LONG* timerID) {
    if (!timerID) return E_POINTER;
    *timerID = 0;
    if (!expression) return E_INVALIDARG;
    if (!browser_) return E_ACCESSDENIED;
    // IE runs an interval of 0 ms as if it were 10 ms; never a busy loop.
    const ULONG period = msec < 10 ? 10 : static_cast<ULONG>(msec);
    try {
        intervals_.push_back({nextIntervalId_, period, clock_ + period,
                              functionBeingSet_ ? OnOneLine(std::wstring(expression, ::SysStringLen(expression)))
                                                : std::wstring(expression, ::SysStringLen(expression)),
                              functionBeingSet_});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *timerID = nextIntervalId_++;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::clearInterval(LONG timerID) {
    for (auto it = intervals_.begin(); it != intervals_.end(); ++it) {
        if (it->id == timerID) {
            intervals_.erase(it);
            break;
        }
    }
    return S_OK;  // as IE: an unknown id is no error
}

void HtmlWindow::AdvanceClock(ULONG milliseconds) {
    const ULONGLONG until = clock_ + milliseconds;
    while (true) {
        Interval* next = nullptr;
        for (Interval& interval : intervals_)
            if (interval.due <= until && (!next || interval.due < next->due)) next = &interval;
        if (!next) break;
        clock_ = next->due;
        next->due += next->period;
        session_->transcript.Record(L"interval", next->expression);
        // The function may clear intervals or end the page: next is not used after it.
        const com::ComPtr<IDispatch> function = next->function;
        if (function) {
            DISPPARAMS none = {nullptr, nullptr, 0, 0};
            const HRESULT hr = function->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                                nullptr, nullptr, nullptr);
            if (FAILED(hr)) session_->transcript.Record(L"interval", L"function failed");
        }
    }
    clock_ = until;
}

STDMETHODIMP HtmlWindow::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return events_.EnumerateAsOnlyPoint(points);
}

STDMETHODIMP HtmlWindow::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return events_.Find(iid, point);
}

void HtmlWindow::FireOnload() {
    session_->transcript.Record(L"onload", url_);
    DISPPARAMS none = {};
    events_.FireFromSnapshot(DISPID_HTMLWINDOWEVENTS_ONLOAD, &none);
}

void HtmlWindow::FireOnunload() {
    session_->transcript.Record(L"onunload", url_);
    DISPPARAMS none = {};
    events_.FireFromSnapshot(DISPID_HTMLWINDOWEVENTS_ONUNLOAD, &none);
}

void HtmlWindow::Close() noexcept {
    events_.Clear();
    intervals_.clear();
    browser_ = nullptr;
    document_.reset();
}

}  // namespace pelmora::browser
