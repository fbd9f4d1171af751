#pragma once
// What the host and the tests read off windows: a window's class and text, and the
// dialogs a thread has open (a band's, a message box, the shell's questions). The tour
// asks about its own thread; a test's helper thread asks about the UI thread while
// that one runs a modal loop.
#include <windows.h>

#include <set>
#include <string>

namespace pelmora::bandhost {

std::wstring ClassOf(HWND window);
std::wstring WindowText(HWND window);
// The visible dialogs of thread (the calling one when none is named).
std::set<HWND> OpenDialogs(DWORD thread = 0);
// The dialog of thread with that caption, shown or not; none when there is none. Only
// dialogs are asked their text: asking another thread's window sends it a message,
// which would wait forever once that thread stops pumping.
HWND FindDialog(DWORD thread, const std::wstring& caption);
// The dialog's visible static texts that are not empty, joined by " | ".
std::wstring DialogTexts(HWND dialog);
// Waits up to timeoutMs until the dialog another thread runs has gone (or, with
// hiddenIsGone, is hidden), then cancels it as Esc would, so that nothing waits for it.
void CancelUnlessGone(HWND dialog, int timeoutMs, bool hiddenIsGone);

}  // namespace pelmora::bandhost
