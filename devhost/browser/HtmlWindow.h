#pragma once
// A page's window: its document and location, alert into the transcript (and a
// modal box when the session asks for one), navigate
// through its browser, interval timers driven by the host's clock, and the
// HTMLWindowEvents connection point through which onload and onunload reach sinks.
#include <memory>
#include <vector>

#include "browser/BrowserSession.h"
#include "browser/DispatchTypes.h"
#include "browser/UnsupportedMembers.h"
#include "framework/com/ComBase.h"
#include "framework/com/ConnectionPoint.h"

namespace pelmora::browser {

class WebBrowser;

class HtmlWindow : public com::ComBase<MshtmlDispatch<UnsupportedHtmlWindow2>, IHTMLFramesCollection2, IDispatch,
                                       IConnectionPointContainer> {
public:
    HtmlWindow() noexcept;
    void Init(std::shared_ptr<BrowserSession> session, WebBrowser* browser, com::ComPtr<IHTMLDocument2> document,
              com::ComPtr<IHTMLLocation> location, std::wstring url);

    // A script hands setInterval a function object, which the type library's BSTR
    // would turn into its source text: the object is kept so the interval can call it.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override;
    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override;
    HRESULT STDMETHODCALLTYPE alert(BSTR message) override;
    HRESULT STDMETHODCALLTYPE navigate(BSTR url) override;
    HRESULT STDMETHODCALLTYPE setInterval(BSTR expression, LONG msec, VARIANT* language, LONG* timerID) override;
    HRESULT STDMETHODCALLTYPE clearInterval(LONG timerID) override;
    HRESULT STDMETHODCALLTYPE get_self(IHTMLWindow2** p) override;
    HRESULT STDMETHODCALLTYPE get_window(IHTMLWindow2** p) override { return get_self(p); }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    void FireOnload();
    void FireOnunload();
    // Ends the page: no more sinks, no document, no browser to navigate.
    void Close() noexcept;

    // Advances the window's clock; every interval that fell due is recorded in the
    // transcript as often as it fell due ("interval <expression>"), and one set with a
    // function object calls it each time. The stand-in has no script engine of its own
    // to run an expression's text. Intervals end with the page.
    void AdvanceClock(ULONG milliseconds);
    [[nodiscard]] size_t IntervalCount() const noexcept { return intervals_.size(); }
    // The sinks advised on the window's events now.
    [[nodiscard]] size_t SinkCount() const noexcept { return events_.ConnectionCount(); }

private:
    struct Interval {
        LONG id;
        ULONG period;
        ULONGLONG due;
        std::wstring expression;
        com::ComPtr<IDispatch> function;
    };

    std::shared_ptr<BrowserSession> session_;
    WebBrowser* browser_ = nullptr;  // the browser showing this page; cleared when it ends
    com::ComPtr<IHTMLDocument2> document_;
    com::ComPtr<IHTMLLocation> location_;
    std::wstring url_;
    com::ConnectionPoint events_;
    std::vector<Interval> intervals_;
    com::ComPtr<IDispatch> functionBeingSet_;  // during an Invoke of setInterval
    LONG nextIntervalId_ = 1;
    ULONGLONG clock_ = 0;
};

}  // namespace pelmora::browser
