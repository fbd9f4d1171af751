#pragma once
// A window class of this module, registered on first use and unregistered when the
// object goes (a DLL's classes outlive it otherwise, and a reload at another address
// would find the old window procedure). Declare one static object per class.
#include <windows.h>

#include <mutex>

namespace pelmora::ui {

class WindowClass {
public:
    // name must stay valid for the object's life (a literal). cursor and background
    // are optional; the window procedure is the framework's own.
    explicit WindowClass(const wchar_t* name, UINT style = 0, HCURSOR cursor = nullptr,
                         HBRUSH background = nullptr) noexcept;
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    // Registers the class the first time; later calls answer at once. False (with the
    // last error set) when registration failed; the next call tries again.
    [[nodiscard]] bool EnsureRegistered() noexcept;
    [[nodiscard]] const wchar_t* Name() const noexcept { return name_; }

private:
    const wchar_t* name_;
    UINT style_;
    HCURSOR cursor_;
    HBRUSH background_;
    std::mutex lock_;
    ATOM atom_ = 0;
};

// The framework's plain class: no cursor, background brush or icon of its own.
WindowClass& DefaultWindowClass() noexcept;

}  // namespace pelmora::ui
