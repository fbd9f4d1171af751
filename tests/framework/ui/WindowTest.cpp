// The window framework with real windows: binding, dispatch, unbinding, failures.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"

namespace pelmora::ui {
namespace {

constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;

ui::WindowClass& TestClass() {
    static ui::WindowClass windowClass(L"WindowTestClass");
    return windowClass;
}

class RecordingWindow : public Window {
public:
    bool Open(HWND parent = nullptr) {
        return Create(TestClass(), 0, L"recording", parent ? WS_CHILD : WS_POPUP, RECT{0, 0, 50, 50}, parent);
    }

    std::vector<UINT> seen;
    int finalMessages = 0;
    int failures = 0;
    UINT failedMessage = 0;
    bool throwOnCreate = false;

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        seen.push_back(message);
        if (message == WM_CREATE && throwOnCreate) throw std::runtime_error("set-up failed");
        if (message == kThrow) throw std::runtime_error("handler failed");
        if (message == kAnswer) {
            result = static_cast<LRESULT>(wParam) * 2;
            return true;
        }
        return false;
    }
    void OnHandlerFailed(UINT message) noexcept override {
        ++failures;
        failedMessage = message;
    }
    void OnFinalMessage() noexcept override { ++finalMessages; }
};

TEST(Window, BindsOnCreationAndDispatchesToItsOwner) {
    RecordingWindow window;
    ASSERT_TRUE(window.Open()) << ::GetLastError();
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(Window::FromHandle(window.Handle()), &window);
    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(window.seen.front(), static_cast<UINT>(WM_NCCREATE));

    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 21, 0), 42);
    EXPECT_EQ(window.seen.back(), kAnswer);
    // Unhandled messages get the default processing: the text is stored.
    ASSERT_TRUE(::SetWindowTextW(window.Handle(), L"changed"));
    wchar_t text[16] = {};
    ::GetWindowTextW(window.Handle(), text, 16);
    EXPECT_STREQ(text, L"changed");
}

TEST(Window, UnbindsOnDestructionAndCallsTheFinalHandlerOnce) {
    RecordingWindow window;
    ASSERT_TRUE(window.Open());
    const HWND handle = window.Handle();
    ASSERT_TRUE(::DestroyWindow(handle));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(window.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(window.finalMessages, 1);

    // Reused as a parent: its child's object is unbound when the parent goes.
    RecordingWindow child;
    ASSERT_TRUE(window.Open());
    ASSERT_TRUE(child.Open(window.Handle()));
    EXPECT_FALSE(window.Open()) << "a second window for a bound object";
    ::DestroyWindow(window.Handle());
    EXPECT_EQ(child.Handle(), nullptr);
    EXPECT_EQ(child.finalMessages, 1);
}

TEST(Window, ObjectGoingAwayDestroysItsWindow) {
    HWND handle = nullptr;
    {
        RecordingWindow window;
        ASSERT_TRUE(window.Open());
        handle = window.Handle();
    }
    EXPECT_FALSE(::IsWindow(handle));
}

TEST(Window, ThrowingHandlerIsContainedAndReported) {
    RecordingWindow window;
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(::SendMessageW(window.Handle(), kThrow, 0, 0), 0);
    EXPECT_EQ(window.failures, 1);
    EXPECT_EQ(window.failedMessage, kThrow);
    EXPECT_TRUE(::IsWindow(window.Handle()));
    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 5, 0), 10) << "window stopped working";
}

TEST(Window, ThrowingDuringCreateFailsTheCreationAndLeavesNoWindow) {
    RecordingWindow window;
    window.throwOnCreate = true;
    EXPECT_FALSE(window.Open());
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(window.failures, 1);
    EXPECT_EQ(window.failedMessage, static_cast<UINT>(WM_CREATE));
}

TEST(WindowClass, RegistersOnceAndUnregistersWhenItGoes) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    {
        WindowClass scoped(L"ScopedWindowTestClass");
        ASSERT_TRUE(scoped.EnsureRegistered());
        EXPECT_TRUE(scoped.EnsureRegistered()) << "second registration must not fail";
        ASSERT_TRUE(::GetClassInfoExW(CurrentModuleInstance(), L"ScopedWindowTestClass", &info));
        EXPECT_EQ(info.lpfnWndProc, &Window::WindowProcedure);
    }
    EXPECT_FALSE(::GetClassInfoExW(CurrentModuleInstance(), L"ScopedWindowTestClass", &info));
}

}  // namespace
}  // namespace pelmora::ui
