#include "bandhost/BandHost.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "bandhost/BandLayout.h"
#include "bandhost/PageText.h"
#include "bandhost/Screenshot.h"
#include "bandhost/WindowQueries.h"
#include "framework/com/Bstr.h"

namespace pelmora::bandhost {

namespace {

constexpr ULONGLONG kMaxClockStepMs = 250;

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_NCLBUTTONDOWN;
}

bool IsWithin(HWND ancestor, HWND window) {
    return ancestor && window && (window == ancestor || ::IsChild(ancestor, window));
}

bool IsListBoxClass(HWND window) {
    std::wstring name = ClassOf(window);
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    return name == L"listbox";
}

struct ChildSearch {
    int id;
    bool listBox;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ChildSearch*>(parameter);
    const bool match = search->listBox ? IsListBoxClass(window) : ::GetDlgCtrlID(window) == search->id;
    if (!match) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDescendant(HWND parent, int id, bool listBox) {
    if (!parent) return nullptr;
    ChildSearch search{id, listBox, nullptr};
    ::EnumChildWindows(parent, &FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The file of the module whose code an object runs (its first vtable lives there);
// empty for an object of the host program itself.
std::wstring ModuleOf(IUnknown* object) {
    if (!object) return {};
    const void* vtable = *reinterpret_cast<void* const*>(object);
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(vtable), &module) ||
        module == ::GetModuleHandleW(nullptr)) {
        return {};
    }
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH * 2);
    return std::wstring(path, length);
}

BOOL CALLBACK CollectShownWindows(HWND window, LPARAM parameter) {
    if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

void CollectFrameWindows(browser::WebBrowser& browser, std::vector<browser::HtmlWindow*>& windows) {
    if (browser.CurrentWindow()) windows.push_back(browser.CurrentWindow());
    for (browser::WebBrowser* frame : browser.Frames()) CollectFrameWindows(*frame, windows);
}

}  // namespace

BandHost::BandHost()
    : listWatch_([this](bool added, const std::wstring& text) {
          transcript_.Add(added ? L"attached" : L"detached", text);
      }) {}

BandHost::~BandHost() {
    CloseBand();
    if (site_) site_->Disconnect();
    if (browser_) {
        browser_->SetTranscriptListener(nullptr);
        browser_->SetBarListener(nullptr);
    }
    frame_.Destroy();
}

bool BandHost::Open(const HostOptions& options) {
    if (IsOpen()) return false;
    options_ = options;
    listBoxId_ = options.listBoxId;
    preferredWidth_ = options.bandWidth;
    transcript_.SetListener([this](const std::wstring& line) {
        if (options_.transcriptPane && frame_.TranscriptPane()) frame_.AppendTranscriptLine(line);
        if (lineListener_) lineListener_(line);
    });
    logTail_ = std::make_unique<LogTail>(options.locateLog ? options.locateLog : ProductLogPath);
    logTail_->SkipExisting();
    transcript_.SetPoll([this] {
        for (const std::wstring& record : logTail_->ReadNew()) transcript_.Add(L"log", record);
    });
    if (!frame_.Open(this, options.frameRect, options.visible, options.quitOnClose)) return false;
    browser_ = browser::CreateWebBrowser(frame_.Handle());
    browser_->SetModalAlerts(true);  // a person, or the tour's dialog watch, ends each box
    browser_->SetBarListener([this](const std::wstring& clsid, bool show) -> HRESULT {
        if (!band_.IsAttached() || _wcsicmp(clsid.c_str(), ClsidText(bar_.clsid).c_str()) != 0) return E_INVALIDARG;
        Note(std::wstring(L"the browser's ShowBrowserBar ") + (show ? L"shows" : L"hides") + L" the bar");
        return show == band_.IsShown() ? S_OK : ShowBand(show);
    });
    browser_->SetTranscriptListener([this](const std::wstring& line) {
        try {
            transcript_.AddBrowserLine(line);
        } catch (...) {
            // The browser's call goes on without its line.
        }
    });
    site_ = CreateBandSite(frame_.BandPane(), com::ComPtr<IWebBrowser2>(static_cast<IWebBrowser2*>(browser_.get())),
                           &transcript_, [this](bool gained) {
                               if (!focusAnswer_ || answeringFocus_ || !band_.IsAttached()) return;
                               answeringFocus_ = true;
                               band_.Activate(gained, nullptr);
                               answeringFocus_ = false;
                           });
    lastTick_ = ::GetTickCount64();
    RefreshPage();
    return true;
}

void BandHost::Note(const std::wstring& text) { transcript_.Add(L"host", text); }

HRESULT BandHost::LoadBar(const ExplorerBar& bar) {
    if (!IsOpen()) return E_UNEXPECTED;
    Note(L"bar \"" + bar.name + L"\" " + ClsidText(bar.clsid) + L" in " + bar.server +
         (bar.threadingModel.empty() ? L"" : L" (" + bar.threadingModel + L")") +
         (bar.vertical ? L"" : L", not registered as a vertical Explorer Bar") +
         (bar.barSize > 0 ? L", BarSize " + std::to_wstring(bar.barSize) : L""));
    com::ComPtr<IUnknown> object;
    const HRESULT hr = ::CoCreateInstance(bar.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    Note(L"CoCreateInstance(" + ClsidText(bar.clsid) + L", CLSCTX_INPROC_SERVER) -> " + HResultText(hr));
    if (FAILED(hr)) return hr;
    if (preferredWidth_ <= 0) preferredWidth_ = bar.barSize;
    bar_ = bar;
    loadedBar_ = true;
    return LoadBand(object.get(), bar.name);
}

HRESULT BandHost::LoadBand(IUnknown* band, const std::wstring& name) {
    if (!IsOpen()) return E_UNEXPECTED;
    if (band_.IsAttached()) return E_UNEXPECTED;
    const HRESULT hr = band_.Attach(band, Site());
    if (FAILED(hr)) return hr;
    bandModule_ = ModuleOf(band);
    bandName_ = !name.empty() ? name : !band_.Title().empty() ? band_.Title() : L"Explorer Bar";
    frame_.SetBandTitle(band_.Title().empty() ? bandName_ : band_.Title());
    UpdateBandMenu();
    PlaceBand();
    WatchListBox();
    return S_OK;
}

int BandHost::BandWidth() const { return ComputeBandSize(band_.Info(), preferredWidth_, 0).cx; }

HRESULT BandHost::ShowBand(bool show) {
    if (!band_.IsAttached()) return E_UNEXPECTED;
    HRESULT hr = S_OK;
    if (show) {
        frame_.SetBandPaneWidth(BandWidth());
        PlaceBand();
        WatchListBox();
        hr = band_.Show(true);
    } else {
        hr = band_.Show(false);
        frame_.SetBandPaneWidth(0);
    }
    UpdateBandMenu();
    return hr;
}

void BandHost::ToggleBand() {
    if (band_.IsAttached()) ShowBand(!band_.IsShown());
}

void BandHost::UpdateBandMenu() {
    if (band_.IsAttached()) {
        frame_.SetBandMenu(bandName_, band_.IsShown(), true);
    } else {
        frame_.SetBandMenu(bandName_.empty() ? L"(no bar)" : bandName_, false, false);
    }
}

void BandHost::PlaceBand() {
    if (!band_.IsAttached()) return;
    const HWND window = band_.Window();
    if (!window) return;
    const RECT area = frame_.BandArea();
    const SIZE size = ComputeBandSize(band_.Info(), preferredWidth_, area.bottom - area.top);
    ::SetWindowPos(window, nullptr, area.left, area.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void BandHost::CloseBand(CloseOrder order) {
    if (!band_.IsAttached()) return;
    const std::wstring module = bandModule_;
    band_.Close(order);
    listWatch_.Stop();
    bandModule_.clear();
    if (IsOpen()) {
        frame_.SetBandPaneWidth(0);
        UpdateBandMenu();
    }
    closedModule_ = module;
    FreeUnusedLibraries();
}

void BandHost::FreeUnusedLibraries() {
    ::CoFreeUnusedLibraries();
    if (!band_.IsAttached()) ReportUnload(closedModule_);
}

HRESULT BandHost::ReopenBand() {
    if (band_.IsAttached() || !loadedBar_) return E_UNEXPECTED;
    const ExplorerBar bar = bar_;
    const HRESULT hr = LoadBar(bar);
    return FAILED(hr) ? hr : ShowBand(true);
}

void BandHost::ReportUnload(const std::wstring& module) {
    if (module.empty()) return;
    const HMODULE loaded = ::GetModuleHandleW(module.c_str());
    if (!loaded) {
        Note(L"CoFreeUnusedLibraries: COM unloaded " + module + L" (its DllCanUnloadNow answered S_OK)");
        return;
    }
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    const auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void (*)()>(::GetProcAddress(loaded, "DllCanUnloadNow")));
    Note(L"CoFreeUnusedLibraries: " + module + L" stays loaded; its DllCanUnloadNow answers " +
         (canUnloadNow ? HResultText(canUnloadNow()) : std::wstring(L"nothing (no such export)")));
}

HRESULT BandHost::Navigate(const std::wstring& url) {
    if (!browser_) return E_UNEXPECTED;
    const HRESULT hr = browser_->Navigate(com::Bstr(url).get(), nullptr, nullptr, nullptr, nullptr);
    if (FAILED(hr)) Note(L"Navigate(" + url + L") -> " + HResultText(hr));
    RefreshPage();
    return hr;
}

HRESULT BandHost::Back() {
    if (!browser_) return E_UNEXPECTED;
    const HRESULT hr = browser_->GoBack();
    if (FAILED(hr)) Note(L"GoBack -> " + HResultText(hr) + L": no page to go back to");
    RefreshPage();
    return hr;
}

void BandHost::OnAddressEntered(const std::wstring& url) {
    size_t start = 0;
    size_t end = url.size();
    while (start < end && std::iswspace(url[start])) ++start;
    while (end > start && std::iswspace(url[end - 1])) --end;
    if (end > start) Navigate(url.substr(start, end - start));
}

void BandHost::OnBack() { Back(); }

bool BandHost::PreTranslate(MSG& message) {
    const bool shown = band_.IsAttached() && band_.IsShown();
    const HWND bandWindow = shown ? band_.Window() : nullptr;
    const bool inBand = IsWithin(bandWindow, message.hwnd);
    if (shown && IsButtonDown(message.message)) {
        if (inBand) {
            if (!band_.HasFocus()) band_.Activate(true, &message);
        } else if (IsWithin(frame_.Handle(), message.hwnd) && band_.HasFocus()) {
            band_.Activate(false, &message);
        }
    }
    if (shown && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        if (band_.TranslateAccelerator(message)) return true;
        // Tab from the frame's own controls moves into the band, as in the browser.
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && !inBand &&
            IsWithin(frame_.Handle(), message.hwnd) && !IsWithin(frame_.BandPane(), message.hwnd)) {
            band_.Activate(true, &message);
            return true;
        }
    }
    return frame_.PreTranslate(message);
}

void BandHost::PumpPending() {
    MSG message;
    // A timer comes only when nothing else waits: its second round means everything
    // pending was handled, even when the timers' work outlasts their period.
    std::set<std::pair<HWND, WPARAM>> timers;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && !timers.insert({message.hwnd, message.wParam}).second) {
            ::DispatchMessageW(&message);
            return;
        }
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that waits for it
            return;
        }
        if (PreTranslate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool BandHost::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        PumpPending();
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return done();
        const ULONGLONG left = deadline - now;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left > 20 ? 20 : left), QS_ALLINPUT);
    }
}

void BandHost::PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

void BandHost::Poll() {
    AdvanceClocks();
    RefreshPage();
    WatchListBox();
    transcript_.Flush();
    if (pollListener_) {
        // A copy: the listener may run steps that replace it.
        const std::function<void()> listener = pollListener_;
        listener();
    }
    WatchDialogs();
}

void BandHost::AdvanceClocks() {
    const ULONGLONG now = ::GetTickCount64();
    // A thread kept busy (a modal box, a slow script) gets its intervals late, not in
    // a storm: the browser does not run the periods it missed. Without the cap, pages
    // with several short intervals would spend each tick catching up, and the next.
    const ULONGLONG elapsed = std::min<ULONGLONG>(now - lastTick_, kMaxClockStepMs);
    lastTick_ = now;
    if (!browser_ || elapsed == 0) return;
    std::vector<browser::HtmlWindow*> windows;
    CollectFrameWindows(*browser_.get(), windows);
    // Each window keeps itself alive while its intervals are recorded.
    for (browser::HtmlWindow* window : windows) {
        const com::ComPtr<IHTMLWindow2> keep(static_cast<IHTMLWindow2*>(window));
        window->AdvanceClock(static_cast<ULONG>(elapsed));
    }
}

void BandHost::RefreshPage() {
    if (!browser_ || !IsOpen()) return;
    frame_.SetPageText(PagePaneText(*browser_.get()));
    const std::wstring url = browser_->HasDocument() ? browser_->CurrentPage().url : std::wstring();
    if (url != shownUrl_) {
        shownUrl_ = url;
        frame_.SetAddress(url);
    }
    frame_.SetBackEnabled(browser_->CanGoBack());
}

HWND BandHost::FindBandControl(int id) const {
    return band_.IsAttached() ? FindDescendant(band_.Window(), id, false) : nullptr;
}

void BandHost::WatchListBox() {
    if (!band_.IsAttached() || listWatch_.Watched()) return;
    const HWND list = listBoxId_ != 0 ? FindBandControl(listBoxId_) : FindDescendant(band_.Window(), 0, true);
    if (list) listWatch_.Watch(list);
}

HWND BandHost::FollowedListBox() {
    WatchListBox();
    return listWatch_.Watched();
}

void BandHost::FollowListBox(int id) {
    listBoxId_ = id;
    listWatch_.Stop();
    WatchListBox();
}

void BandHost::WatchDialogs() {
    const std::set<HWND> open = OpenDialogs();
    std::vector<SeenDialog> still;
    const ULONGLONG now = ::GetTickCount64();
    for (const HWND dialog : open) {
        const auto seen = std::find_if(dialogs_.begin(), dialogs_.end(),
                                       [&](const SeenDialog& known) { return known.window == dialog; });
        const bool kept = keptDialogs_.count(dialog) != 0;
        if (seen == dialogs_.end()) {
            std::wstring texts = DialogTexts(dialog);
            for (wchar_t& c : texts)
                if (c == L'\r' || c == L'\n') c = L' ';  // one transcript line
            transcript_.Add(L"dialog", L"\"" + WindowText(dialog) + L"\"" + (texts.empty() ? L"" : L": " + texts));
            if (options_.dismissDialogs && !kept) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            still.push_back({dialog, now});
        } else if (kept || !options_.dismissDialogs) {
            still.push_back({dialog, now});  // its time to end counts from its release
        } else if (now - seen->since > 1500) {
            // It did not take Cancel (a box without one): end it as its owner would.
            transcript_.Add(L"dialog", L"\"" + WindowText(dialog) + L"\" ended");
            ::EndDialog(dialog, IDCANCEL);
        } else {
            still.push_back(*seen);
        }
    }
    dialogs_ = std::move(still);
    for (auto kept = keptDialogs_.begin(); kept != keptDialogs_.end();)
        kept = ::IsWindow(*kept) ? std::next(kept) : keptDialogs_.erase(kept);
}

void BandHost::ReleaseDialogs() {
    for (const HWND dialog : keptDialogs_)
        if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    keptDialogs_.clear();
}

void BandHost::RaiseThreadWindows() {
    // Not the frame alone: it would cover the thread's popups that have no owner, such
    // as an AutoComplete drop-down. And not activated: the focus stays where it is, and
    // with it what a focused control shows.
    std::vector<HWND> shown;  // the topmost first
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectShownWindows, reinterpret_cast<LPARAM>(&shown));
    for (auto window = shown.rbegin(); window != shown.rend(); ++window)
        ::SetWindowPos(*window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HRESULT BandHost::SaveScreenshot(const std::wstring& path, SIZE* size) {
    if (!IsOpen()) return E_UNEXPECTED;
    if (!::IsWindowVisible(frame_.Handle())) ::ShowWindow(frame_.Handle(), SW_SHOWNA);
    RaiseThreadWindows();
    ::RedrawWindow(frame_.Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(200);  // let the screen catch up with what was drawn
    Picture picture;
    HRESULT hr = CaptureWindow(frame_.Handle(), picture);
    if (SUCCEEDED(hr)) hr = WritePng(picture, path);
    Note(L"screenshot " + path + L" (" + std::to_wstring(picture.width) + L"x" + std::to_wstring(picture.height) +
         L") -> " + HResultText(hr));
    if (SUCCEEDED(hr) && size) *size = SIZE{static_cast<LONG>(picture.width), static_cast<LONG>(picture.height)};
    return hr;
}

}  // namespace pelmora::bandhost
