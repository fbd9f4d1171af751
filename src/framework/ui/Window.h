#pragma once
// A window with an owner object. The object binds itself to its window on
// WM_NCCREATE and unbinds on WM_NCDESTROY; in between every message reaches its
// HandleMessage, and whatever it does not handle gets the default processing.
// No exception leaves the window procedure.
#include <windows.h>

namespace pelmora::ui {

class WindowClass;

class Window {
public:
    Window() noexcept = default;
    // Destroys a window that is still alive. Messages sent during that destruction no
    // longer reach the derived object (it is gone already): a class that must see its
    // own WM_DESTROY calls Destroy() in its destructor.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window of this object in windowClass (registered on first use).
    // False when the window exists already or creation failed (last error set).
    [[nodiscard]] bool Create(WindowClass& windowClass, DWORD exStyle, const wchar_t* text, DWORD style,
                              const RECT& rect, HWND parent, HMENU menuOrId = nullptr) noexcept;
    void Destroy() noexcept;

    [[nodiscard]] HWND Handle() const noexcept { return handle_; }
    // The object bound to a window of the framework's classes, or none.
    [[nodiscard]] static Window* FromHandle(HWND window) noexcept;

    // For WindowClass: the procedure of every framework class and its extra bytes.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static constexpr int kExtraBytes = sizeof(LONG_PTR);

protected:
    // The one handler signature. True when the message was handled and result holds
    // the answer; false lets the default processing answer.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The default processing, for handlers that work before or after it.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // A handler threw; the message gets the default processing.
    virtual void OnHandlerFailed(UINT message) noexcept;
    // After WM_NCDESTROY, when the object is unbound: a window object that lives as
    // long as its window deletes itself here.
    virtual void OnFinalMessage() noexcept {}

private:
    static void Bind(HWND window, Window* owner) noexcept;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND handle_ = nullptr;
};

}  // namespace pelmora::ui
