#pragma once
// Every message box of the DLL goes through one presenter. It is MessageBoxW unless
// replaced: tests install a recorder, since a modal box would wait for a user forever.
#include <windows.h>

#include <string>

namespace pelmora::ui {

using MessageBoxPresenter = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// The presenter's answer (IDOK, IDYES, ...), or 0 when the box could not be shown.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) noexcept;

// Replaces the presenter for the process (none restores MessageBoxW); returns the previous one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) noexcept;

}  // namespace pelmora::ui
