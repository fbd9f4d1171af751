#include "framework/ui/DialogWindow.h"

namespace pelmora::ui {

namespace {

// Messages whose answer is the dialog procedure's own result; every other answer goes
// through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) noexcept {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

DialogWindow::~DialogWindow() {
    if (handle_) {
        // Unbind first: the derived part is destroyed, so nothing may dispatch to it.
        const HWND dialog = handle_;
        Bind(dialog, nullptr);
        handle_ = nullptr;
        ::DestroyWindow(dialog);
    }
}

DialogWindow* DialogWindow::FromHandle(HWND window) noexcept {
    if (!window) return nullptr;
    // DWLP_USER of any other dialog holds whatever its owner put there.
    if (::GetWindowLongPtrW(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProcedure)) return nullptr;
    return reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
}

void DialogWindow::Bind(HWND dialog, DialogWindow* owner) noexcept {
    ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(owner));
}

INT_PTR CALLBACK DialogWindow::DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    DialogWindow* owner = nullptr;
    if (message == WM_INITDIALOG) {
        owner = reinterpret_cast<DialogWindow*>(lParam);
        if (owner) {
            owner->handle_ = dialog;
            Bind(dialog, owner);
        }
    } else {
        // Messages before WM_INITDIALOG (WM_SETFONT, creation) find no owner yet.
        owner = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!owner) return FALSE;

    ++owner->dispatchDepth_;
    const INT_PTR answer = owner->Dispatch(dialog, message, wParam, lParam);
    --owner->dispatchDepth_;
    if (message == WM_NCDESTROY) {
        Bind(dialog, nullptr);
        owner->handle_ = nullptr;
        owner->finalPending_ = true;
    }
    if (owner->finalPending_ && owner->dispatchDepth_ == 0) {
        owner->finalPending_ = false;
        owner->OnFinalMessage();  // may delete the object
    }
    return answer;
}

INT_PTR DialogWindow::Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    bool answered = false;
    try {
        answered = HandleMessage(message, wParam, lParam, result);
    } catch (...) {
        OnHandlerFailed(message);
        if (message == WM_INITDIALOG) OnSetUpFailed();
        // The handler's work is half done: no default action (such as ending a modal
        // run with the button's id) may follow it.
        return FALSE;
    }
    if (!answered) answered = HandleByDefault(message, wParam, lParam, result);
    if (!answered) return FALSE;
    if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
    // The handle, not handle_: a handler may have destroyed the dialog meanwhile.
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

bool DialogWindow::HandleByDefault(UINT message, WPARAM, LPARAM, LRESULT& result) noexcept {
    if (message != WM_INITDIALOG) return false;
    result = TRUE;
    return true;
}

void DialogWindow::OnHandlerFailed(UINT) noexcept {
    ::OutputDebugStringA("DialogWindow: a message handler threw; the message got the default processing\n");
}

}  // namespace pelmora::ui
