#pragma once
// Answers the modal dialogs a call on the UI thread opens, as a user at the screen
// would. The modal loop runs inside the call that opened it, so a second thread waits
// for each dialog (a #32770 window of the UI thread) and hands it to its answer; a
// dialog an answer left open 5 seconds later is cancelled, so that a failing test does
// not hang. The window queries are the development host's, which its tours use too.
//
// ModalDialogDriver answers the one dialog with a caption. DialogSequence answers the
// dialogs one after the other: it records each one's caption and texts, hands it to
// the answer when it is the next one expected, and cancels any other.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bandhost/WindowQueries.h"

namespace pelmora::test {

inline constexpr int kDialogWaitMs = 5000;

// The window of thread that has the keyboard focus.
inline HWND FocusOfThread(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Presses a dialog's button as a click does: BM_CLICK posted to it.
inline std::function<void(HWND)> PressButton(int id) {
    return [id](HWND dialog) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
}

class ModalDialogDriver {
public:
    ModalDialogDriver(std::wstring caption, std::function<void(HWND)> answer)
        : thread_([this, ui = ::GetCurrentThreadId(), caption = std::move(caption), answer = std::move(answer)] {
              HWND dialog = nullptr;
              for (int waited = 0; !dialog && waited < kDialogWaitMs; waited += 20) {
                  if (!(dialog = bandhost::FindDialog(ui, caption))) ::Sleep(20);
              }
              if (!dialog) return;
              found_ = true;
              answer(dialog);
              bandhost::CancelUnlessGone(dialog, kDialogWaitMs, false);
          }) {}
    ~ModalDialogDriver() { thread_.join(); }
    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;

    [[nodiscard]] bool found() const { return found_; }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;  // last: started once the members it uses exist
};

struct SeenDialog {
    std::wstring caption;
    std::wstring texts;  // the visible static texts, joined by " | "
    bool answered = false;
};

struct ExpectedDialog {
    std::wstring caption;
    std::function<void(HWND)> answer;
};

class DialogSequence {
public:
    // Watches the calling thread's dialogs until every expected one was answered and
    // closed, or until quietMs pass without a dialog of the thread.
    explicit DialogSequence(std::vector<ExpectedDialog> expected, int quietMs = 4000)
        : expected_(std::move(expected)),
          thread_([this, ui = ::GetCurrentThreadId(), quietMs] { Watch(ui, quietMs); }) {}
    ~DialogSequence() { Finish(); }
    DialogSequence(const DialogSequence&) = delete;
    DialogSequence& operator=(const DialogSequence&) = delete;

    // Stops watching; what was seen stays readable.
    void Finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    [[nodiscard]] std::vector<SeenDialog> Seen() {
        std::lock_guard<std::mutex> hold(lock_);
        return seen_;
    }
    [[nodiscard]] std::vector<std::wstring> Captions() {
        std::vector<std::wstring> captions;
        for (const SeenDialog& dialog : Seen()) captions.push_back(dialog.caption + (dialog.answered ? L"" : L" (cancelled)"));
        return captions;
    }

private:
    void Watch(DWORD ui, int quietMs) {
        std::set<HWND> handled;
        size_t next = 0;
        int quiet = 0;
        while (!stop_ && quiet < quietMs) {
            const std::set<HWND> open = bandhost::OpenDialogs(ui);
            HWND fresh = nullptr;
            for (const HWND dialog : open)
                if (!handled.count(dialog)) fresh = dialog;
            if (!fresh) {
                if (open.empty()) quiet += 20;
                ::Sleep(20);
                continue;
            }
            quiet = 0;
            ::Sleep(100);  // let it finish showing
            handled.insert(fresh);
            SeenDialog seen{bandhost::WindowText(fresh), bandhost::DialogTexts(fresh), false};
            const bool expected = next < expected_.size() && expected_[next].caption == seen.caption;
            seen.answered = expected;
            {
                std::lock_guard<std::mutex> hold(lock_);
                seen_.push_back(seen);
            }
            if (expected) expected_[next++].answer(fresh);
            else ::PostMessageW(fresh, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            bandhost::CancelUnlessGone(fresh, kDialogWaitMs, true);
        }
    }

    std::vector<ExpectedDialog> expected_;
    std::mutex lock_;
    std::vector<SeenDialog> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;  // last: started once the members it uses exist
};

}  // namespace pelmora::test
