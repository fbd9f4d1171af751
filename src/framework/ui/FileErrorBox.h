#pragma once
// The standard box for a failed file operation: the file's path and what went wrong,
// with an OK button.
#include <windows.h>

#include <string>

namespace pelmora::ui {

// The path, a line end, then the system's description of error, or fallback when the
// system has none.
std::wstring FileErrorBoxText(const std::wstring& path, DWORD error, const std::wstring& fallback);

// Owned by the thread's active window. Never throws: a box that cannot be built is not shown.
void ShowFileErrorBox(const std::wstring& path, DWORD error, const std::wstring& fallback,
                      const std::wstring& caption) noexcept;

}  // namespace pelmora::ui
