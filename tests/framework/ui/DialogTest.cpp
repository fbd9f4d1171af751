// Modal dialogs and forms on real templates: bound from WM_INITDIALOG to the last
// message, answers through the dialog procedure, contained failures, who deletes a form.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/FormView.h"
#include "framework/ui/ModalDialogDriver.h"
#include "resources/resource.h"

namespace pelmora::ui {
namespace {

constexpr UINT kAnswer = WM_APP + 1;       // answered with wParam * 2
constexpr UINT kThrow = WM_APP + 2;        // the handler throws
constexpr UINT kEnd = WM_APP + 3;          // ends the modal run with wParam
constexpr UINT kRunAgain = WM_APP + 4;     // a second DoModal inside the run
constexpr UINT kDestroySelf = WM_APP + 5;  // the form destroys its own window
constexpr wchar_t kCaption[] = L"About Pelmora";

// What a dialog object saw, outside the object so that it outlives a form.
struct Log {
    std::vector<UINT> seen;
    bool boundAtInit = false, throwOnInit = false, answerOk = false;
    UINT failedMessage = 0;
    int failures = 0, finalMessages = 0, deletions = 0;
    bool unboundWhenDeleted = false, deletedAfterHandlerReturned = false;
    INT_PTR nestedRun = 0;
    DWORD nestedRunError = 0;
};

template <typename Base>
class Recording final : public Base {
public:
    Recording(Log& log, UINT templateId) : Base(CurrentModuleInstance(), templateId), log_(log) {}
    ~Recording() override {
        ++log_.deletions;
        log_.unboundWhenDeleted = this->Handle() == nullptr && DialogWindow::FromHandle(window_) == nullptr;
    }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        log_.seen.push_back(message);
        switch (message) {
        case WM_INITDIALOG:
            window_ = this->Handle();
            log_.boundAtInit = DialogWindow::FromHandle(window_) == this;
            if (log_.throwOnInit) throw std::runtime_error("set-up failed");
            return false;
        case kAnswer: result = static_cast<LRESULT>(wParam) * 2; return true;
        case kThrow: throw std::runtime_error("handler failed");
        case WM_COMMAND: return LOWORD(wParam) == IDOK && log_.answerOk;
        case kDestroySelf:
            ::DestroyWindow(this->Handle());
            log_.deletedAfterHandlerReturned = log_.deletions == 0;  // still here
            return true;
        }
        if constexpr (std::is_same_v<Base, Dialog>) {
            if (message == kEnd) this->EndDialog(static_cast<INT_PTR>(wParam));
            if (message == kRunAgain) {
                log_.nestedRun = this->DoModal();
                log_.nestedRunError = ::GetLastError();
            }
        }
        return false;
    }
    void OnHandlerFailed(UINT message) noexcept override {
        ++log_.failures;
        log_.failedMessage = message;
    }
    void OnFinalMessage() noexcept override {
        ++log_.finalMessages;
        Base::OnFinalMessage();
    }

    Log& log_;
    HWND window_ = nullptr;
};
using RecordingDialog = Recording<Dialog>;
using RecordingForm = Recording<FormView>;

// Runs dialog modally and lets answer drive it from a second thread.
INT_PTR RunModal(Dialog& dialog, const std::function<void(HWND)>& answer) {
    test::ModalDialogDriver driver(kCaption, answer);
    return dialog.DoModal();
}

TEST(Dialog, IsBoundForOneModalRunAnswersThroughTheDialogProcedureAndBelongsToTheActiveWindow) {
    const HWND active = ::CreateWindowExW(0, L"Static", L"active", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                          nullptr, nullptr, nullptr);
    ::SetForegroundWindow(active);
    ::SetActiveWindow(active);
    ASSERT_EQ(::GetActiveWindow(), active);
    Log log;
    log.answerOk = true;
    RecordingDialog dialog(log, IDD_ABOUTBOX);
    bool boundDuringRun = false;
    HWND owner = nullptr;
    LRESULT answer = 0, answerAfterThrow = 0;
    const INT_PTR result = RunModal(dialog, [&](HWND shown) {
        boundDuringRun = DialogWindow::FromHandle(shown) == &dialog;
        owner = ::GetWindow(shown, GW_OWNER);
        answer = ::SendMessageW(shown, kAnswer, 21, 0);
        ::SendMessageW(shown, kThrow, 0, 0);
        answerAfterThrow = ::SendMessageW(shown, kAnswer, 5, 0);
        ::PostMessageW(shown, kRunAgain, 0, 0);
        ::PostMessageW(::GetDlgItem(shown, IDOK), BM_CLICK, 0, 0);  // answered by the handler: no end
        ::PostMessageW(shown, kEnd, 7, 0);
    });
    EXPECT_EQ(result, 7);
    EXPECT_TRUE(log.boundAtInit && boundDuringRun);
    EXPECT_EQ(owner, active) << "a dialog without owner belongs to the active window";
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(log.failures, 1);
    EXPECT_EQ(log.failedMessage, kThrow);
    EXPECT_EQ(answerAfterThrow, 10) << "the dialog stopped working after a throwing handler";
    EXPECT_EQ(log.nestedRun, Dialog::kNotShown);
    EXPECT_EQ(log.nestedRunError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(std::find(log.seen.begin(), log.seen.end(), static_cast<UINT>(WM_COMMAND)), log.seen.end());
    // Nothing before WM_INITDIALOG, nothing after WM_NCDESTROY, then the object is free.
    ASSERT_FALSE(log.seen.empty());
    EXPECT_EQ(log.seen.front(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(log.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(log.finalMessages, 1);
    EXPECT_EQ(dialog.Handle(), nullptr);
    ::DestroyWindow(active);
}

TEST(Dialog, RunThatCannotStartReturnsNotShownAndLeavesNoWindow) {
    Log missingLog, failingLog;
    RecordingDialog missing(missingLog, 9999);
    EXPECT_EQ(missing.DoModal(), Dialog::kNotShown);
    EXPECT_TRUE(missingLog.seen.empty());

    failingLog.throwOnInit = true;
    RecordingDialog failing(failingLog, IDD_ABOUTBOX);
    EXPECT_EQ(failing.DoModal(), Dialog::kNotShown);
    EXPECT_EQ(failingLog.failedMessage, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(failingLog.finalMessages, 1);
    EXPECT_EQ(bandhost::FindDialog(::GetCurrentThreadId(), kCaption), nullptr);
}

INT_PTR CALLBACK ForeignProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, 0x1234);
    return message == WM_INITDIALOG;
}

TEST(FormView, BelongsToItsWindowOnceCreatedAndIsDeletedOnceWhoeverEndsIt) {
    const HWND host = ::CreateWindowExW(0, L"Static", L"host", WS_POPUP | WS_VISIBLE, 20, 20, 600, 800, nullptr,
                                        nullptr, nullptr, nullptr);
    enum class End { kParentDestroyed, kObjectDeleted, kOwnHandler };
    for (const End end : {End::kParentDestroyed, End::kObjectDeleted, End::kOwnHandler}) {
        SCOPED_TRACE(static_cast<int>(end));
        const HWND parent = end == End::kParentDestroyed
                                ? ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 600, 800, host,
                                                    nullptr, nullptr, nullptr)
                                : host;
        Log log;
        auto* form = new RecordingForm(log, IDD_CONFIGWSC2);
        const DWORD style = end == End::kObjectDeleted ? WS_CHILD | WS_BORDER | WS_VISIBLE : WS_CHILD;
        ASSERT_TRUE(form->Create(parent, RECT{10, 20, 310, 520}, IDD_CONFIGWSC2, style));
        const HWND window = form->Handle();
        EXPECT_TRUE(log.boundAtInit);
        EXPECT_EQ(DialogWindow::FromHandle(window), form);
        EXPECT_EQ(::GetDlgCtrlID(window), IDD_CONFIGWSC2);
        RECT placed{};
        ::GetWindowRect(window, &placed);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(placed.left == 10 && placed.top == 20 && placed.right == 310 && placed.bottom == 520);
        // The template's border and visibility give way to the requested style.
        EXPECT_EQ(::IsWindowVisible(window) != FALSE, (style & WS_VISIBLE) != 0);
        EXPECT_EQ((::GetWindowLongPtrW(window, GWL_STYLE) & WS_BORDER) != 0, (style & WS_BORDER) != 0);
        EXPECT_FALSE(form->Create(parent, RECT{0, 0, 10, 10}, 105)) << "a second window for a bound form";
        EXPECT_EQ(::SendMessageW(window, kAnswer, 4, 0), 8);

        if (end == End::kParentDestroyed) ::DestroyWindow(parent);
        if (end == End::kObjectDeleted) delete form;
        if (end == End::kOwnHandler) {
            EXPECT_EQ(::SendMessageW(window, kDestroySelf, 0, 0), 0);
            EXPECT_TRUE(log.deletedAfterHandlerReturned);
        }
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(log.deletions, 1);
        EXPECT_EQ(log.finalMessages, end == End::kObjectDeleted ? 0 : 1) << "unbound before the window went";
        EXPECT_EQ(log.unboundWhenDeleted, end != End::kObjectDeleted);
    }

    // A set-up that fails leaves no window, and the caller keeps the object.
    Log log;
    log.throwOnInit = true;
    auto* form = new RecordingForm(log, IDD_CONFIGWSC2);
    EXPECT_FALSE(form->Create(host, RECT{0, 0, 200, 200}, 104));
    EXPECT_EQ(log.deletions, 0);
    EXPECT_EQ(::GetWindow(host, GW_CHILD), nullptr) << "a failed form left its window";
    delete form;

    // Dialogs of other procedures are not taken for bound ones.
    const HWND foreign = ::CreateDialogParamW(CurrentModuleInstance(), MAKEINTRESOURCEW(IDD_CONFIGWSC2), host,
                                              &ForeignProcedure, 0);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(DialogWindow::FromHandle(foreign), nullptr);
    EXPECT_EQ(DialogWindow::FromHandle(host), nullptr);
    ::DestroyWindow(host);
}

}  // namespace
}  // namespace pelmora::ui
