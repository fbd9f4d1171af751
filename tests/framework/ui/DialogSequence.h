#pragma once
// Answers the modal dialogs a call on the UI thread opens one after the other, as a
// user at the screen would: a second thread waits for each dialog of the UI thread
// (class #32770), records its caption and texts, and, when it is the next one
// expected, hands it to that answer; any other dialog is recorded and cancelled, and
// so is a dialog that an answer left open, so that a failing test does not hang.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pelmora::test {

struct SeenDialog {
    std::wstring caption;
    std::wstring texts;  // the visible static texts, joined by " | "
    bool answered = false;
};

struct ExpectedDialog {
    std::wstring caption;
    std::function<void(HWND)> answer;
};

// Presses a dialog's button as a click does: BM_CLICK posted to it.
inline std::function<void(HWND)> PressButton(int id) {
    return [id](HWND dialog) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
}

inline std::wstring WindowTextOf(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

inline BOOL CALLBACK CollectStaticText(HWND window, LPARAM context) {
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (::lstrcmpiW(className, L"Static") != 0 || !::IsWindowVisible(window)) return TRUE;
    const std::wstring text = WindowTextOf(window);
    if (text.empty()) return TRUE;
    auto* texts = reinterpret_cast<std::wstring*>(context);
    if (!texts->empty()) *texts += L" | ";
    *texts += text;
    return TRUE;
}

inline BOOL CALLBACK CollectVisibleDialogs(HWND window, LPARAM context) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

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
            std::vector<HWND> open;
            ::EnumThreadWindows(ui, &CollectVisibleDialogs, reinterpret_cast<LPARAM>(&open));
            HWND fresh = nullptr;
            for (const HWND dialog : open)
                if (!handled.count(dialog)) fresh = dialog;
            if (!fresh) {
                if (next >= expected_.size() && open.empty()) quiet += 20;
                if (next < expected_.size() && open.empty()) quiet += 20;
                ::Sleep(20);
                continue;
            }
            quiet = 0;
            ::Sleep(100);  // let it finish showing
            handled.insert(fresh);
            SeenDialog seen{WindowTextOf(fresh), {}, false};
            ::EnumChildWindows(fresh, &CollectStaticText, reinterpret_cast<LPARAM>(&seen.texts));
            const bool expected = next < expected_.size() && expected_[next].caption == seen.caption;
            seen.answered = expected;
            {
                std::lock_guard<std::mutex> hold(lock_);
                seen_.push_back(seen);
            }
            if (expected) expected_[next++].answer(fresh);
            else ::PostMessageW(fresh, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            for (int waited = 0; ::IsWindow(fresh) && ::IsWindowVisible(fresh) && waited < 5000; waited += 20)
                ::Sleep(20);
            if (::IsWindow(fresh) && ::IsWindowVisible(fresh))
                ::PostMessageW(fresh, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }

    std::vector<ExpectedDialog> expected_;
    std::mutex lock_;
    std::vector<SeenDialog> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;  // last: started once the members it uses exist
};

}  // namespace pelmora::test
