#pragma once
// The browser object: IWebBrowser2 over the SHDocVw type library and the
// DWebBrowserEvents2 connection point. A navigation runs to its end inside the call
// and fires what Internet Explorer fires, in its order:
//   BeforeNavigate2 (a sink may cancel), the old window's onunload, NavigateComplete2,
//   each frame's BeforeNavigate2 and NavigateComplete2, the frames' and then the new
//   window's onload, DocumentComplete for each frame's browser object and last for
//   the top browser.
// Frames are browser objects of their own; their events reach the top browser's
// sinks with the frame's object as pDisp, as in Internet Explorer. A navigation a
// sink starts during another one runs after it.
// A page that cannot be loaded (a res: URL without its module or resource) fires
// NavigateError after BeforeNavigate2, while the old page is still shown; unless a
// sink cancels it, the error document then loads in its place like any page.
// Completed navigations of the top browser form its history, for GoBack and GoForward.
// Every event round goes to the sinks advised when it began: one that an earlier sink
// unadvises is still called. With modal alerts, a page's alert is a message box owned
// by the frame window, whose modal loop runs the thread's timers and posted messages
// in the middle of the script's call, as the browser's does.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserSession.h"
#include "browser/DispatchTypes.h"
#include "browser/HtmlDocument.h"
#include "browser/HtmlWindow.h"
#include "browser/UnsupportedMembers.h"
#include "framework/com/ComBase.h"
#include "framework/com/ConnectionPoint.h"

namespace pelmora::browser {

class WebBrowser : public com::ComBase<ShDocVwDispatch<UnsupportedWebBrowser2>, IWebBrowserApp, IWebBrowser, IDispatch,
                                       IConnectionPointContainer> {
public:
    WebBrowser() noexcept;
    ~WebBrowser();

    HRESULT STDMETHODCALLTYPE GoBack() override { return Travel(-1); }
    HRESULT STDMETHODCALLTYPE GoForward() override { return Travel(1); }
    HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                       VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                        VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Quit() override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* pBool) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* LocationName) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* pBool) override;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* pHWND) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* plReadyState) override;
    // Shows or hides the Explorer Bar of that class (a braced CLSID text) through the
    // frame's listener, as View > Explorer Bar does.
    HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT* pvaClsid, VARIANT* pvarShow, VARIANT* pvarSize) override;

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // For the host and the tests.
    void DescribePage(const PageDescription& page) { session_->pages[page.url] = page; }
    [[nodiscard]] const Transcript& GetTranscript() const noexcept { return session_->transcript; }
    // Hears every transcript line as it is recorded (see Transcript::listener).
    void SetTranscriptListener(std::function<void(const std::wstring&)> listener) {
        session_->transcript.listener = std::move(listener);
    }
    // alert shows a modal message box (the host); otherwise it only writes its line.
    void SetModalAlerts(bool modal) noexcept { session_->modalAlerts = modal; }
    // Answers ShowBrowserBar (class id text, show); without one it fails.
    void SetBarListener(std::function<HRESULT(const std::wstring&, bool)> listener) {
        session_->barListener = std::move(listener);
    }
    // The sinks advised on the browser's events now.
    [[nodiscard]] size_t SinkCount() const noexcept { return events_.ConnectionCount(); }
    // The page last loaded, and whether its document is still shown.
    [[nodiscard]] const PageDescription& CurrentPage() const noexcept { return page_; }
    [[nodiscard]] bool HasDocument() const noexcept { return static_cast<bool>(document_); }
    [[nodiscard]] bool CanGoBack() const noexcept { return !isFrame_ && historyIndex_ > 0; }
    // The window of the page shown, or none (nothing shown, or not an HTML page).
    [[nodiscard]] HtmlWindow* CurrentWindow() const noexcept { return window_.get(); }
    // The browser objects of the shown page's frames, in the page's order.
    [[nodiscard]] std::vector<WebBrowser*> Frames() const;

private:
    friend com::ComPtr<WebBrowser> CreateWebBrowser(HWND frameWindow);

    // A top navigation; historyIndex names the history entry it travels to, or none (-1)
    // for a new entry.
    HRESULT NavigateTop(const std::wstring& url, ptrdiff_t historyIndex = -1);
    HRESULT Travel(ptrdiff_t step);
    // Steps of one navigation, each run over the frame tree; false when cancelled.
    bool Begin(const std::wstring& url, int depth);
    void FireOnloads();
    void FireDocumentCompletes();
    void Unload(bool fireEvents);
    void BuildPage(const PageDescription& page);
    void AddFrame(const std::wstring& url, int depth);
    com::ConnectionPoint* Events() noexcept;
    IDispatch* AsDispatch() noexcept { return static_cast<IWebBrowser2*>(this); }

    std::shared_ptr<BrowserSession> session_;
    WebBrowser* top_ = nullptr;  // none for the top browser; cleared when the frame's page ends
    bool isFrame_ = false;
    HWND frameWindow_ = nullptr;
    com::ConnectionPoint events_;
    READYSTATE readyState_ = READYSTATE_UNINITIALIZED;
    PageDescription page_;
    com::ComPtr<IDispatch> document_;
    com::ComPtr<HtmlDocument> htmlDocument_;
    com::ComPtr<HtmlWindow> window_;
    std::vector<com::ComPtr<WebBrowser>> frames_;
    bool navigating_ = false;
    struct PendingNavigation {
        std::wstring url;
        ptrdiff_t historyIndex;
    };
    std::vector<PendingNavigation> pending_;
    std::vector<std::wstring> history_;
    size_t historyIndex_ = 0;
};

// A top browser whose get_HWND answers frameWindow (may be none).
com::ComPtr<WebBrowser> CreateWebBrowser(HWND frameWindow = nullptr);

}  // namespace pelmora::browser
