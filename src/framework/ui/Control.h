#pragma once
// Thin helpers over a child control: one method per message (or per window call),
// nothing kept but the control's handle, which the control's parent owns. The
// wrappers of the single control kinds derive from it.
#include <windows.h>

#include <string>

namespace pelmora::ui {

class Control {
public:
    Control() noexcept = default;
    explicit Control(HWND control) noexcept : control_(control) {}
    // The control with that id in dialog (none when it has none).
    Control(HWND dialog, int controlId) noexcept : control_(::GetDlgItem(dialog, controlId)) {}

    [[nodiscard]] HWND Handle() const noexcept { return control_; }
    explicit operator bool() const noexcept { return control_ != nullptr; }
    [[nodiscard]] int Id() const noexcept;

    void Enable(bool enabled) const noexcept;
    [[nodiscard]] bool IsEnabled() const noexcept;
    [[nodiscard]] bool IsVisible() const noexcept;

    bool SetText(const std::wstring& text) const noexcept;
    [[nodiscard]] std::wstring GetText() const;

    // Gives the control the keyboard focus; it must belong to the calling thread.
    void Focus() const noexcept;
    [[nodiscard]] bool HasFocus() const noexcept;

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept;

private:
    HWND control_ = nullptr;
};

}  // namespace pelmora::ui
