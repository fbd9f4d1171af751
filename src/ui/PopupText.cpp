#include "ui/PopupText.h"

#include <cstddef>

#include "core/Logger.h"
#include "framework/ui/WindowClass.h"
#include "framework/win/DeviceContext.h"
#include "ui/PopupPlacement.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "PopupText";

enum class HoverEvent { kPointerMoved, kCancel, kIgnored };

bool AnyMouseButtonDown() noexcept {
    return (::GetKeyState(VK_LBUTTON) | ::GetKeyState(VK_RBUTTON) | ::GetKeyState(VK_MBUTTON)) & 0x8000;
}

HoverEvent Classify(const MSG& message) noexcept {
    switch (message.message) {
    case WM_SETCURSOR:
        // Children pass WM_SETCURSOR up to their parent, so this is how the owner sees
        // the pointer over its controls.
        switch (HIWORD(message.lParam)) {
        case WM_MOUSEMOVE: return HoverEvent::kPointerMoved;
        case WM_LBUTTONDOWN: return HoverEvent::kCancel;
        default: return HoverEvent::kIgnored;
        }
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        // A drag in progress is no hovering.
        return AnyMouseButtonDown() ? HoverEvent::kIgnored : HoverEvent::kPointerMoved;
    case WM_COMMAND:
        return HIWORD(message.wParam) == 0 ? HoverEvent::kCancel : HoverEvent::kIgnored;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        return HoverEvent::kCancel;
    default:
        if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) return HoverEvent::kCancel;
        return HoverEvent::kIgnored;
    }
}

// WM_SETCURSOR is sent while the mouse message behind it is being fetched, when the
// message position can still be that of the previous input (so under Wine): ask the
// cursor itself. Posted pointer messages carry their own position.
POINT PointerPosition(const MSG& message) noexcept {
    POINT cursor{};
    if (message.message == WM_SETCURSOR && ::GetCursorPos(&cursor)) return cursor;
    return message.pt;
}

// Group boxes and static labels carry -1, which a 16-bit dialog template stores as 0xFFFF.
bool HasControlId(int id) noexcept { return id != 0 && id != -1 && id != 0xFFFF; }

win::UniqueGdiObject CreateStatusBarFont() noexcept {
    NONCLIENTMETRICSW metrics{};
    // The size without the field added in Vista: every version accepts it.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return {};
    return win::UniqueGdiObject(::CreateFontIndirectW(&metrics.lfStatusFont));
}

}  // namespace

CPopupText::CPopupText() : font_(CreateStatusBarFont()) {}

CPopupText::~CPopupText() {
    // While this object is whole, so its handlers still see the window go.
    Destroy();
}

bool CPopupText::Create(int x, int y, HWND owner) noexcept {
    if (!owner) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const RECT empty{x, y, x, y};
    if (!Window::Create(ui::DefaultWindowClass(), WS_EX_TOOLWINDOW, L"", WS_POPUP | WS_BORDER, empty, owner)) {
        return false;
    }
    owner_ = owner;
    return true;
}

void CPopupText::SetText(UINT controlId, std::wstring text) { texts_[controlId] = std::move(text); }

void CPopupText::RelayEvent(const MSG& message) noexcept {
    if (!Handle()) return;
    switch (Classify(message)) {
    case HoverEvent::kPointerMoved:
        OnPointerMoved(PointerPosition(message));
        break;
    case HoverEvent::kCancel:
        // The current control is kept: the text comes back only over another control.
        HideAndStopTimer();
        break;
    case HoverEvent::kIgnored:
        break;
    }
}

void CPopupText::OnPointerMoved(POINT screenPoint) noexcept {
    const HWND control = ChildFromPoint(screenPoint);
    if (!control) {
        currentControl_ = nullptr;
        HideAndStopTimer();
        return;
    }
    if (control == currentControl_) return;
    HideAndStopTimer();
    currentControl_ = control;
    const int id = ::GetDlgCtrlID(control);
    if (HasControlId(id)) {
        pendingId_ = static_cast<UINT>(id);
        ::SetTimer(Handle(), kHoverTimer, kHoverDelayMs, nullptr);
    }
}

HWND CPopupText::ChildFromPoint(POINT screenPoint) const noexcept {
    if (!owner_) return nullptr;
    for (HWND child = ::GetWindow(owner_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!HasControlId(::GetDlgCtrlID(child))) continue;
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT rect{};
        if (::GetWindowRect(child, &rect) && ::PtInRect(&rect, screenPoint)) return child;
    }
    return nullptr;
}

void CPopupText::HideAndStopTimer() noexcept {
    ::KillTimer(Handle(), kHoverTimer);
    if (::IsWindowVisible(Handle())) ::ShowWindow(Handle(), SW_HIDE);
}

void CPopupText::ShowPendingText() {
    ::KillTimer(Handle(), kHoverTimer);
    const auto found = texts_.find(pendingId_);
    // Nothing to show for a control without text, nor for a window hidden meanwhile.
    if (found == texts_.end() || !::IsWindowVisible(owner_)) return;
    ::SetWindowTextW(Handle(), found->second.c_str());
    ::ShowWindow(Handle(), SW_SHOWNA);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CPopupText::PlaceForText(const wchar_t* text) noexcept {
    POINT cursor{};
    if (!::GetCursorPos(&cursor)) return;
    RECT textRect{};
    {
        win::WindowDC dc(Handle());
        if (!dc) return;
        win::SelectedObject font(dc.get(), Font());
        ::DrawTextW(dc.get(), text ? text : L"", -1, &textRect, DT_CALCRECT);
    }
    ::InflateRect(&textRect, horizontalMargin_, verticalMargin_);
    const SIZE box{textRect.right - textRect.left, textRect.bottom - textRect.top};
    const RECT placed = PlaceBelowPointer(cursor, box, WorkAreaAt(cursor));
    ::SetWindowPos(Handle(), nullptr, placed.left, placed.top, box.cx, box.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPopupText::Paint() {
    win::PaintDC dc(Handle());
    if (!dc) return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc.get(), &client, ::GetSysColorBrush(COLOR_INFOBK));

    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    win::SelectedObject font(dc.get(), Font());
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), ::GetSysColor(COLOR_INFOTEXT));
    client.left += horizontalMargin_;
    client.top += verticalMargin_ / 2;
    ::DrawTextW(dc.get(), text.c_str(), -1, &client, DT_VCENTER);
}

HFONT CPopupText::Font() const noexcept {
    return font_ ? static_cast<HFONT>(font_.get()) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

bool CPopupText::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_TIMER:
        if (wParam != kHoverTimer) return false;
        ShowPendingText();
        result = 0;
        return true;
    case WM_SETTEXT:
        PlaceForText(reinterpret_cast<const wchar_t*>(lParam));
        result = DefaultProcessing(message, wParam, lParam);
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_MOUSEACTIVATE:
        // The help box never takes the activation (nor the focus) from the form.
        result = MA_NOACTIVATE;
        return true;
    default:
        return false;
    }
}

void CPopupText::OnHandlerFailed(UINT message) noexcept {
    PELMORA_LOG(LOG_ERROR, "Popup text failed to handle a message.", message, "CPopupText::OnHandlerFailed");
}

}  // namespace pelmora
