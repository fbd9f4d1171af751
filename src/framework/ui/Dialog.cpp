#include "framework/ui/Dialog.h"

namespace pelmora::ui {

INT_PTR Dialog::DoModal(HWND owner) noexcept {
    if (Handle()) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return kNotShown;
    }
    if (!owner) {
        const HWND active = ::GetActiveWindow();
        owner = active ? ::GetAncestor(active, GA_ROOT) : nullptr;
    }
    return ::DialogBoxParamW(TemplateModule(), MAKEINTRESOURCEW(TemplateId()), owner, &DialogProcedure,
                             reinterpret_cast<LPARAM>(static_cast<DialogWindow*>(this)));
}

void Dialog::EndDialog(INT_PTR result) noexcept {
    if (Handle()) ::EndDialog(Handle(), result);
}

bool Dialog::HandleByDefault(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(id);
            result = 0;
            return true;
        }
    }
    return DialogWindow::HandleByDefault(message, wParam, lParam, result);
}

void Dialog::OnSetUpFailed() noexcept { EndDialog(kNotShown); }

}  // namespace pelmora::ui
