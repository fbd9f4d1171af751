#pragma once
// A form: a modeless child dialog on a template, filling (part of) a parent window.
// Create the object with new. Once Create has succeeded the object belongs to its
// window: it is deleted after the window's last message, whoever destroys the window
// (DestroyWindow on it or on an ancestor). Deleting the object first destroys the
// window without a second deletion. Before a successful Create the caller owns it.
#include <windows.h>

#include "framework/ui/DialogWindow.h"

namespace pelmora::ui {

class FormView : public DialogWindow {
public:
    FormView(HINSTANCE module, UINT templateId) noexcept : DialogWindow(module, templateId) {}

    // Creates the form from its template as a child of parent, placed at rect (client
    // coordinates of parent) with controlId as its id. The template decides the style,
    // except that WS_BORDER, WS_CAPTION and WS_VISIBLE are taken from style. False
    // (last error set where the system gave one) when the window exists, the template
    // is missing or not a child template, or WM_INITDIALOG's handler threw; the
    // caller still owns the object then.
    [[nodiscard]] bool Create(HWND parent, const RECT& rect, UINT controlId, DWORD style = WS_CHILD) noexcept;

    // Dialog navigation (Tab, arrows, Enter, Escape, mnemonics) for a key message
    // of the form or one of its controls, from the message loop of whoever hosts
    // the form. True when the message was used and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message) noexcept;

protected:
    // Deletes the object when its window owns it. A form that overrides this calls
    // it last.
    void OnFinalMessage() noexcept override;
    void OnSetUpFailed() noexcept override;

private:
    bool ownedByWindow_ = false;
};

}  // namespace pelmora::ui
