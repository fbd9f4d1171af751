#include "framework/ui/Control.h"

#include <cassert>

namespace pelmora::ui {

int Control::Id() const noexcept {
    assert(control_);
    return ::GetDlgCtrlID(control_);
}

void Control::Enable(bool enabled) const noexcept {
    assert(control_);
    ::EnableWindow(control_, enabled ? TRUE : FALSE);
}

bool Control::IsEnabled() const noexcept {
    assert(control_);
    return ::IsWindowEnabled(control_) != FALSE;
}

bool Control::IsVisible() const noexcept {
    assert(control_);
    return ::IsWindowVisible(control_) != FALSE;
}

bool Control::SetText(const std::wstring& text) const noexcept {
    assert(control_);
    return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != FALSE;
}

std::wstring Control::GetText() const {
    assert(control_);
    const auto length = static_cast<int>(Send(WM_GETTEXTLENGTH));
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = static_cast<int>(Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
    return text;
}

void Control::Focus() const noexcept {
    assert(control_);
    ::SetFocus(control_);
}

bool Control::HasFocus() const noexcept { return control_ && ::GetFocus() == control_; }

LRESULT Control::Send(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
    assert(control_);
    return ::SendMessageW(control_, message, wParam, lParam);
}

}  // namespace pelmora::ui
