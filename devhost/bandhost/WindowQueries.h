#pragma once
// What the host reads off windows of its thread: a window's class and text, and the
// dialogs open right now (a band's, a message box, the shell's questions).
#include <windows.h>

#include <set>
#include <string>

namespace pelmora::bandhost {

std::wstring ClassOf(HWND window);
std::wstring WindowText(HWND window);
// The visible dialogs of the calling thread.
std::set<HWND> OpenDialogs();

}  // namespace pelmora::bandhost
