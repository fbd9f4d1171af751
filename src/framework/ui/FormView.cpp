#include "framework/ui/FormView.h"

namespace pelmora::ui {

namespace {
constexpr LONG_PTR kFrameStyleBits = WS_BORDER | WS_CAPTION;
}

bool FormView::Create(HWND parent, const RECT& rect, UINT controlId, DWORD style) noexcept {
    if (Handle()) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    const HWND form = ::CreateDialogParamW(TemplateModule(), MAKEINTRESOURCEW(TemplateId()), parent, &DialogProcedure,
                                           reinterpret_cast<LPARAM>(static_cast<DialogWindow*>(this)));
    // A set-up that failed destroyed the window already and unbound the object.
    if (!form || Handle() != form) return false;
    const LONG_PTR templateStyle = ::GetWindowLongPtrW(form, GWL_STYLE);
    if (!(templateStyle & WS_CHILD)) {
        // A top-level template would make a window that no parent's destruction ends.
        ::DestroyWindow(form);
        ::SetLastError(ERROR_INVALID_WINDOW_STYLE);
        return false;
    }
    ::SetWindowLongPtrW(form, GWL_STYLE,
                        (templateStyle & ~kFrameStyleBits) | (static_cast<LONG_PTR>(style) & kFrameStyleBits));
    ::SetWindowLongPtrW(form, GWLP_ID, static_cast<LONG_PTR>(controlId));
    // SWP_FRAMECHANGED: the frame may have lost or gained its border.
    ::SetWindowPos(form, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ownedByWindow_ = true;
    const bool visible = (style & WS_VISIBLE) != 0;
    if (visible != ((templateStyle & WS_VISIBLE) != 0)) ::ShowWindow(form, visible ? SW_SHOWNORMAL : SW_HIDE);
    return true;
}

bool FormView::PreTranslateMessage(MSG& message) noexcept {
    const HWND form = Handle();
    if (!form || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    if (message.hwnd != form && !::IsChild(form, message.hwnd)) return false;
    return ::IsDialogMessageW(form, &message) != FALSE;
}

void FormView::OnFinalMessage() noexcept {
    if (ownedByWindow_) delete this;
}

void FormView::OnSetUpFailed() noexcept {
    if (Handle()) ::DestroyWindow(Handle());
}

}  // namespace pelmora::ui
