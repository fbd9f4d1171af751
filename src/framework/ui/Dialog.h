#pragma once
// A modal dialog on a template: one object per run, usually on the caller's stack.
// DoModal creates the dialog, runs its modal loop and returns once the dialog ended;
// the window is gone and the object unbound by then.
#include <windows.h>

#include "framework/ui/DialogWindow.h"

namespace pelmora::ui {

class Dialog : public DialogWindow {
public:
    // Result of a run that never showed the dialog.
    static constexpr INT_PTR kNotShown = -1;

    // The template templateId of module.
    Dialog(HINSTANCE module, UINT templateId) noexcept : DialogWindow(module, templateId) {}

    // Runs the dialog modally, owned by owner; with none, by the top-level window of
    // the thread's active window (so a band's dialog is modal to its browser frame).
    // The value given to EndDialog; kNotShown when the object runs already (last error
    // ERROR_ALREADY_EXISTS), the template is missing, or WM_INITDIALOG's handler threw.
    INT_PTR DoModal(HWND owner = nullptr) noexcept;

    // Ends the modal run with result once the current message is handled.
    void EndDialog(INT_PTR result) noexcept;

protected:
    // Buttons IDOK and IDCANCEL (also Enter, Escape and the close box, through the
    // dialog manager) end the run with their id unless a handler answered them.
    bool HandleByDefault(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override;
    void OnSetUpFailed() noexcept override;
};

}  // namespace pelmora::ui
