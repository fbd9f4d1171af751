#include "framework/ui/Window.h"

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/WindowClass.h"

namespace pelmora::ui {

namespace {
constexpr int kOwnerSlot = 0;
}

Window::~Window() {
    if (handle_) {
        // Unbind first: the derived part is destroyed, so nothing may dispatch to it.
        const HWND window = handle_;
        Bind(window, nullptr);
        handle_ = nullptr;
        ::DestroyWindow(window);
    }
}

bool Window::Create(WindowClass& windowClass, DWORD exStyle, const wchar_t* text, DWORD style, const RECT& rect,
                    HWND parent, HMENU menuOrId) noexcept {
    if (handle_) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    if (!windowClass.EnsureRegistered()) return false;
    const HWND window = ::CreateWindowExW(exStyle, windowClass.Name(), text, style, rect.left, rect.top,
                                          rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                          CurrentModuleInstance(), this);
    // A creation refused after WM_NCCREATE has already unbound the object.
    return window != nullptr && handle_ == window;
}

void Window::Destroy() noexcept {
    if (handle_) ::DestroyWindow(handle_);
}

Window* Window::FromHandle(HWND window) noexcept {
    if (!window) return nullptr;
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(window, kOwnerSlot));
}

void Window::Bind(HWND window, Window* owner) noexcept {
    ::SetWindowLongPtrW(window, kOwnerSlot, reinterpret_cast<LONG_PTR>(owner));
}

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Window* owner = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        owner = static_cast<Window*>(create->lpCreateParams);
        if (owner) {
            owner->handle_ = window;
            Bind(window, owner);
        }
    } else {
        owner = FromHandle(window);
    }
    if (!owner) return ::DefWindowProcW(window, message, wParam, lParam);

    const LRESULT result = owner->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Bind(window, nullptr);
        owner->handle_ = nullptr;
        owner->OnFinalMessage();
    }
    return result;
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    try {
        if (HandleMessage(message, wParam, lParam, result)) return result;
    } catch (...) {
        OnHandlerFailed(message);
        // A window whose set-up failed is not created.
        if (message == WM_NCCREATE) return FALSE;
        if (message == WM_CREATE) return -1;
    }
    return DefaultProcessing(message, wParam, lParam);
}

LRESULT Window::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ::DefWindowProcW(handle_, message, wParam, lParam);
}

void Window::OnHandlerFailed(UINT message) noexcept {
    ::OutputDebugStringA("Window: a message handler threw; the message got the default processing\n");
}

}  // namespace pelmora::ui
