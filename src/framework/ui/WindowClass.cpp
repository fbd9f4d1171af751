#include "framework/ui/WindowClass.h"

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Window.h"

namespace pelmora::ui {

WindowClass::WindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background) noexcept
    : name_(name), style_(style), cursor_(cursor), background_(background) {}

WindowClass::~WindowClass() {
    if (atom_) ::UnregisterClassW(name_, CurrentModuleInstance());
}

bool WindowClass::EnsureRegistered() noexcept {
    std::lock_guard<std::mutex> guard(lock_);
    if (atom_) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style_;
    windowClass.lpfnWndProc = &Window::WindowProcedure;
    windowClass.cbWndExtra = Window::kExtraBytes;
    windowClass.hInstance = CurrentModuleInstance();
    windowClass.hCursor = cursor_;
    windowClass.hbrBackground = background_;
    windowClass.lpszClassName = name_;
    atom_ = ::RegisterClassExW(&windowClass);
    return atom_ != 0;
}

WindowClass& DefaultWindowClass() noexcept {
    static WindowClass plain(L"PlainFrameworkWindow");
    return plain;
}

}  // namespace pelmora::ui
