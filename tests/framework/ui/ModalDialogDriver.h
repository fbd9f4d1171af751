#pragma once
// Answers a modal dialog that the calling thread is about to run. The modal loop runs
// inside the call that opened it, so a second thread waits for the dialog (a #32770
// window of the UI thread with the caption) and hands it to answer. A dialog still open
// 5 seconds after answer is cancelled, so that a failing test does not hang.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>

namespace pelmora::test {

inline BOOL CALLBACK MatchDialogCaption(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<std::pair<const std::wstring*, HWND>*>(context);
    wchar_t className[16] = {}, text[256] = {};
    ::GetClassNameW(window, className, 16);
    // The text is asked only of dialogs: reading another thread's window text sends it
    // a message, which would wait forever once the UI thread stops pumping.
    if (std::wstring(className) != L"#32770") return TRUE;
    ::GetWindowTextW(window, text, 256);
    if (*search->first != text) return TRUE;
    search->second = window;
    return FALSE;
}

// The dialog of thread with that caption, or none.
inline HWND FindThreadDialog(DWORD thread, const std::wstring& caption) {
    std::pair<const std::wstring*, HWND> search{&caption, nullptr};
    ::EnumThreadWindows(thread, &MatchDialogCaption, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The window of thread that has the keyboard focus.
inline HWND FocusOfThread(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

class ModalDialogDriver {
public:
    ModalDialogDriver(std::wstring caption, std::function<void(HWND)> answer)
        : thread_([this, ui = ::GetCurrentThreadId(), caption = std::move(caption), answer = std::move(answer)] {
              HWND dialog = nullptr;
              for (int waited = 0; !dialog && waited < 5000; waited += 20) {
                  if (!(dialog = FindThreadDialog(ui, caption))) ::Sleep(20);
              }
              if (!dialog) return;
              found_ = true;
              answer(dialog);
              for (int waited = 0; ::IsWindow(dialog) && waited < 5000; waited += 20) ::Sleep(20);
              if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
          }) {}
    ~ModalDialogDriver() { thread_.join(); }
    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;

    [[nodiscard]] bool found() const { return found_; }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;  // last: started once the members it uses exist
};

}  // namespace pelmora::test
