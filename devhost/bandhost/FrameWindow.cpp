#include "bandhost/FrameWindow.h"
#include "bandhost/WindowQueries.h"

#include <commctrl.h>

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/WindowClass.h"
#include "framework/win/DeviceContext.h"

namespace pelmora::bandhost {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 100;
constexpr int kRowHeight = 30;
constexpr int kGap = 4;
constexpr int kLabelHeight = 16;
constexpr int kCloseButton = 1;

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
    return ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ui::CurrentModuleInstance(), nullptr);
}

void Place(HWND window, int x, int y, int width, int height) {
    ::SetWindowPos(window, nullptr, x, y, width > 0 ? width : 0, height > 0 ? height : 0,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// The band site's window: the bar's title strip with its close button; the band's
// window lives below the strip, placed by the owner.
class FrameWindow::BandPaneWindow final : public ui::Window {
public:
    explicit BandPaneWindow(FrameWindow& frame) noexcept : frame_(frame) {}
    ~BandPaneWindow() override { Destroy(); }

    bool Open(HWND parent) {
        static ui::WindowClass paneClass(L"PelmoraBandHostPane", CS_HREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                         ::GetSysColorBrush(COLOR_BTNFACE));
        if (!Create(paneClass, 0, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, RECT{0, 0, 10, 10}, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBandPane)))) {
            return false;
        }
        closeButton_ = CreateChild(Handle(), WC_BUTTONW, L"x", BS_PUSHBUTTON, kCloseButton);
        ::SendMessageW(closeButton_, WM_SETFONT, reinterpret_cast<WPARAM>(frame_.font_), FALSE);
        return closeButton_ != nullptr;
    }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_SIZE:
            Place(closeButton_, LOWORD(lParam) - 20, 2, 18, kTitleStripHeight - 4);
            ::InvalidateRect(Handle(), nullptr, TRUE);
            if (frame_.events_) frame_.events_->OnBandPaneSized();
            return false;
        case WM_PAINT: {
            const win::PaintDC paint(Handle());
            RECT strip{};
            ::GetClientRect(Handle(), &strip);
            strip.bottom = kTitleStripHeight;
            ::DrawEdge(paint.get(), &strip, BDR_RAISEDINNER, BF_RECT);
            const win::SelectedObject font(paint.get(), frame_.font_);
            ::SetBkMode(paint.get(), TRANSPARENT);
            RECT text = strip;
            text.left += 6;
            text.right -= 24;
            ::DrawTextW(paint.get(), frame_.bandTitle_.c_str(), -1, &text,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            result = 0;
            return true;
        }
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == closeButton_ && closeButton_ && HIWORD(wParam) == BN_CLICKED) {
                if (frame_.events_) frame_.events_->OnToggleBand();
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
        }
    }

    FrameWindow& frame_;
    HWND closeButton_ = nullptr;
};

FrameWindow::FrameWindow() noexcept = default;

FrameWindow::~FrameWindow() {
    // Our own WM_DESTROY must still reach us, and the pane dies with its window first.
    Destroy();
    if (font_) ::DeleteObject(font_);
}

bool FrameWindow::Open(FrameEvents* events, const RECT& rect, bool visible, bool quitOnDestroy) {
    static ui::WindowClass frameClass(L"PelmoraBandHostFrame", CS_HREDRAW | CS_VREDRAW,
                                      ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE));
    events_ = events;
    quitOnDestroy_ = quitOnDestroy;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);

    HMENU menu = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    HMENU view = ::CreatePopupMenu();
    HMENU go = ::CreatePopupMenu();
    bandMenu_ = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, kCloseCommand, L"&Close");
    ::AppendMenuW(bandMenu_, MF_STRING | MF_GRAYED, kBandCommand, L"(no bar)");
    ::AppendMenuW(view, MF_POPUP, reinterpret_cast<UINT_PTR>(bandMenu_), L"&Explorer Bar");
    ::AppendMenuW(go, MF_STRING, kBackCommand, L"&Back\tAlt+Left");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(go), L"&Go");
    if (!Create(frameClass, WS_EX_CONTROLPARENT, L"Pelmora development host",
                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), rect, nullptr, menu)) {
        ::DestroyMenu(menu);
        return false;
    }
    return addressBox_ && bandPane_;
}

void FrameWindow::CreateChildren() {
    backButton_ = CreateChild(Handle(), WC_BUTTONW, L"Back", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, kBackButton);
    addressBox_ = CreateChild(Handle(), WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP, kAddressBox, WS_EX_CLIENTEDGE);
    goButton_ = CreateChild(Handle(), WC_BUTTONW, L"Go", BS_PUSHBUTTON | WS_TABSTOP, kGoButton);
    pageLabel_ = CreateChild(Handle(), WC_STATICW, L"Page", SS_LEFT, -1);
    pagePane_ = CreateChild(Handle(), WC_EDITW, L"",
                            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, kPagePane,
                            WS_EX_CLIENTEDGE);
    transcriptLabel_ = CreateChild(Handle(), WC_STATICW, L"Transcript", SS_LEFT, -1);
    transcriptPane_ = CreateChild(Handle(), WC_EDITW, L"",
                                  ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                      WS_HSCROLL | WS_TABSTOP,
                                  kTranscriptPane, WS_EX_CLIENTEDGE);
    ::SendMessageW(transcriptPane_, EM_SETLIMITTEXT, 0, 0);
    ::SendMessageW(pagePane_, EM_SETLIMITTEXT, 0, 0);
    for (HWND child : {backButton_, addressBox_, goButton_, pageLabel_, pagePane_, transcriptLabel_, transcriptPane_})
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    pane_ = std::make_unique<BandPaneWindow>(*this);
    if (pane_->Open(Handle())) bandPane_ = pane_->Handle();
}

bool FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        CreateChildren();
        ::SetTimer(Handle(), kTickTimer, kTickMs, nullptr);
        result = 0;
        return true;
    case WM_SIZE:
        Layout();
        return false;
    case WM_TIMER:
        if (wParam == kTickTimer && events_) events_->OnTick();
        result = 0;
        return true;
    case WM_SETFOCUS:
        // The browser's window got the focus (a band hands it back with Tab): the
        // address box takes it, as in the browser.
        ::SetFocus(addressBox_);
        result = 0;
        return true;
    case WM_COMMAND:
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
            OnCommand(LOWORD(wParam));
            result = 0;
            return true;
        }
        return false;
    case WM_CLOSE:
        if (events_) events_->OnFrameClosing();
        return false;  // DefWindowProc destroys the window
    case WM_DESTROY:
        ::KillTimer(Handle(), kTickTimer);
        events_ = nullptr;
        // The children go with the frame: nothing may reach them after this.
        backButton_ = addressBox_ = goButton_ = pageLabel_ = pagePane_ = nullptr;
        transcriptLabel_ = transcriptPane_ = bandPane_ = nullptr;
        if (quitOnDestroy_) ::PostQuitMessage(0);
        result = 0;
        return true;
    default:
        return false;
    }
}

void FrameWindow::OnCommand(int id) {
    if (!events_) return;
    switch (id) {
    case kBackButton:
    case kBackCommand:
        events_->OnBack();
        break;
    case kGoButton:
        events_->OnAddressEntered(AddressText());
        break;
    case kBandCommand:
        events_->OnToggleBand();
        break;
    case kCloseCommand:
        ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

bool FrameWindow::PreTranslate(const MSG& message) {
    if (message.message == WM_KEYDOWN && message.hwnd == addressBox_ && message.wParam == VK_RETURN) {
        if (events_) events_->OnAddressEntered(AddressText());
        return true;
    }
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_LEFT && ::IsChild(Handle(), message.hwnd) &&
        !::IsChild(bandPane_, message.hwnd)) {
        if (events_) events_->OnBack();
        return true;
    }
    return false;
}

void FrameWindow::Layout() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int width = client.right;
    const int height = client.bottom;
    Place(backButton_, kGap, 3, 60, kRowHeight - 6);
    Place(addressBox_, 60 + 2 * kGap, 4, width - 60 - 50 - 4 * kGap, kRowHeight - 8);
    Place(goButton_, width - 50 - kGap, 3, 50, kRowHeight - 6);
    const int top = kRowHeight;
    const int paneWidth = bandPaneWidth_ > 0 ? bandPaneWidth_ : 0;
    if (bandPane_) {
        Place(bandPane_, 0, top, paneWidth, height - top);
        ::ShowWindow(bandPane_, paneWidth > 0 ? SW_SHOWNA : SW_HIDE);
    }
    const int left = paneWidth > 0 ? paneWidth + kGap : kGap;
    const int rightWidth = width - left - kGap;
    const int pageHeight = (height - top - 2 * kLabelHeight - kGap) * 2 / 5;
    Place(pageLabel_, left, top, rightWidth, kLabelHeight);
    Place(pagePane_, left, top + kLabelHeight, rightWidth, pageHeight);
    const int transcriptTop = top + kLabelHeight + pageHeight + kGap;
    Place(transcriptLabel_, left, transcriptTop, rightWidth, kLabelHeight);
    Place(transcriptPane_, left, transcriptTop + kLabelHeight, rightWidth,
          height - transcriptTop - kLabelHeight - kGap);
}

RECT FrameWindow::BandArea() const noexcept {
    RECT area{};
    if (bandPane_) ::GetClientRect(bandPane_, &area);
    area.top = kTitleStripHeight;
    if (area.bottom < area.top) area.bottom = area.top;
    return area;
}

void FrameWindow::SetBandPaneWidth(int width) {
    if (width == bandPaneWidth_) return;
    bandPaneWidth_ = width;
    Layout();
}

void FrameWindow::SetBandTitle(const std::wstring& title) {
    bandTitle_ = title;
    if (bandPane_) ::InvalidateRect(bandPane_, nullptr, TRUE);
}

void FrameWindow::SetBandMenu(const std::wstring& name, bool checked, bool enabled) {
    ::ModifyMenuW(bandMenu_, kBandCommand, MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED) |
                                              (enabled ? MF_ENABLED : MF_GRAYED),
                  kBandCommand, name.c_str());
}

void FrameWindow::SetAddress(const std::wstring& url) {
    if (addressBox_) ::SetWindowTextW(addressBox_, url.c_str());
}

void FrameWindow::SetPageText(const std::wstring& text) {
    if (pagePane_ && WindowText(pagePane_) != text) ::SetWindowTextW(pagePane_, text.c_str());
}

void FrameWindow::AppendTranscriptLine(const std::wstring& line) {
    if (!transcriptPane_) return;
    LRESULT length = ::SendMessageW(transcriptPane_, WM_GETTEXTLENGTH, 0, 0);
    if (length > kTranscriptPaneChars) {
        // A person reads the last lines; the whole run is on standard output. An edit
        // control that only grows makes each line dearer than the last.
        const LRESULT firstKept =
            ::SendMessageW(transcriptPane_, EM_LINEINDEX,
                           ::SendMessageW(transcriptPane_, EM_LINEFROMCHAR, length - kTranscriptPaneChars / 2, 0), 0);
        ::SendMessageW(transcriptPane_, EM_SETSEL, 0, firstKept);
        ::SendMessageW(transcriptPane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        length = ::SendMessageW(transcriptPane_, WM_GETTEXTLENGTH, 0, 0);
    }
    ::SendMessageW(transcriptPane_, EM_SETSEL, static_cast<WPARAM>(length), length);
    const std::wstring text = (length > 0 ? L"\r\n" : L"") + line;
    ::SendMessageW(transcriptPane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    // The caret at the start of the new line: the pane shows the last lines from their
    // beginnings, not scrolled to the right by a long one.
    const LRESULT lastLine = ::SendMessageW(transcriptPane_, EM_GETLINECOUNT, 0, 0) - 1;
    const LRESULT lineStart = ::SendMessageW(transcriptPane_, EM_LINEINDEX, static_cast<WPARAM>(lastLine), 0);
    ::SendMessageW(transcriptPane_, EM_SETSEL, static_cast<WPARAM>(lineStart), lineStart);
    ::SendMessageW(transcriptPane_, EM_SCROLLCARET, 0, 0);
}

void FrameWindow::SetBackEnabled(bool enabled) {
    if (backButton_) ::EnableWindow(backButton_, enabled ? TRUE : FALSE);
}

std::wstring FrameWindow::AddressText() const { return WindowText(addressBox_); }

}  // namespace pelmora::bandhost
