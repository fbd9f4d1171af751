#pragma once
// A dialog built from a template in a module's resources, with an owner object. The
// object binds itself to its dialog on WM_INITDIALOG and unbinds after WM_NCDESTROY;
// in between every message reaches its HandleMessage, with the same signature as a
// Window's, and whatever it does not handle gets the dialog manager's processing.
// No exception leaves the dialog procedure. Dialog (modal) and FormView (modeless
// child) are the two ways to create one.
#include <windows.h>

namespace pelmora::ui {

class DialogWindow {
public:
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return handle_; }
    // The object bound to a dialog of this framework, or none (also for every other window).
    [[nodiscard]] static DialogWindow* FromHandle(HWND window) noexcept;

    [[nodiscard]] HINSTANCE TemplateModule() const noexcept { return module_; }
    [[nodiscard]] UINT TemplateId() const noexcept { return templateId_; }

protected:
    // The template is looked up in module when the dialog is created.
    DialogWindow(HINSTANCE module, UINT templateId) noexcept : module_(module), templateId_(templateId) {}

    // The one handler signature. True when the message was handled and result holds
    // the answer (for WM_INITDIALOG: TRUE to let the dialog manager set the focus);
    // false lets the dialog manager answer. The answer reaches the sender whether the
    // message returns it directly or through DWLP_MSGRESULT.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // What an unhandled message gets before the dialog manager's processing; true
    // when that answered it. The base lets WM_INITDIALOG set the default focus.
    virtual bool HandleByDefault(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    // A handler threw; the message gets the dialog manager's processing.
    virtual void OnHandlerFailed(UINT message) noexcept;
    // WM_INITDIALOG's handler threw: the dialog is not usable and must go away.
    virtual void OnSetUpFailed() noexcept = 0;
    // After WM_NCDESTROY, when the object is unbound and no handler of it is running
    // any more: a dialog object that lives as long as its window deletes itself here.
    virtual void OnFinalMessage() noexcept {}

    // The procedure given to the dialog functions; the object to bind is their lParam.
    static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    [[nodiscard]] HWND Item(int controlId) const noexcept { return ::GetDlgItem(handle_, controlId); }

private:
    static void Bind(HWND dialog, DialogWindow* owner) noexcept;
    INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HINSTANCE module_;
    UINT templateId_;
    HWND handle_ = nullptr;
    // Messages of this object being dispatched now: a dialog destroyed from inside a
    // handler gets its final call only when the outermost handler has returned.
    int dispatchDepth_ = 0;
    bool finalPending_ = false;
};

}  // namespace pelmora::ui
