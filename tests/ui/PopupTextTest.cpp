// The hover help under Xvfb: a real form with real controls, moved over with real
// pointer input, its messages relayed to the popup as the configuration form does.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"
#include "resources/resource.h"
#include "ui/PopupText.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

using test::CentreOf;
using test::Clock;
using test::MovePointerTo;
using test::PumpFor;
using test::PumpPending;
using test::WindowText;
using test::PumpUntil;

constexpr UINT kNewButton = IDC_BUTTON_NEW_IE_WSC;
constexpr UINT kDeleteButton = IDC_BUTTON_DEL_IE_WSC;
constexpr UINT kFramedButton = IDC_BUTTON_DEL_URL_WSC;
constexpr UINT kAttachedList = IDC_LIST_ATTACHED_WSC;
const wchar_t kNewText[] = L"Create new Browser main script.";
const wchar_t kDeleteText[] = L"Delete selected Browser main script.\nYou can not delete \"Checked\" script.";
const wchar_t kFramedText[] = L"Delete selected URL script.";

// A stand-in for the configuration form: shows each of its messages to the popup first.
class HoverForm final : public ui::Window {
public:
    bool Open() {
        static ui::WindowClass formClass(L"PopupTextTestForm", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                         ::GetSysColorBrush(COLOR_BTNFACE));
        const RECT rect{100, 100, 520, 420};
        if (!Create(formClass, 0, L"Hover form", WS_POPUP | WS_VISIBLE | WS_BORDER, rect, nullptr)) return false;
        AddControl(L"BUTTON", L"New", WS_TABSTOP, {10, 10, 90, 34}, kNewButton);
        deleteButton = AddControl(L"BUTTON", L"Delete", WS_DISABLED, {110, 10, 190, 34}, kDeleteButton);
        AddControl(L"LISTBOX", L"", WS_BORDER, {10, 50, 250, 130}, kAttachedList);
        // The group box comes first in the child order and covers the button it frames.
        AddControl(L"BUTTON", L"Frame", BS_GROUPBOX, {10, 150, 300, 280}, static_cast<UINT>(-1));
        AddControl(L"BUTTON", L"Framed", 0, {30, 180, 130, 204}, kFramedButton);
        ::SetForegroundWindow(Handle());
        return popup.Create(0, 0, Handle());
    }

    HWND Control(UINT id) const { return ::GetDlgItem(Handle(), static_cast<int>(id)); }

    POINT FormPoint(int x, int y) const {
        POINT point{x, y};
        ::ClientToScreen(Handle(), &point);
        return point;
    }

    CPopupText popup;
    HWND deleteButton = nullptr;

private:
    HWND AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, RECT rect, UINT id) {
        return ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) override {
        MSG record{Handle(), message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
        const DWORD position = ::GetMessagePos();
        record.pt = POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        popup.RelayEvent(record);
        return false;
    }
};

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

class PopupTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Start every test with the pointer away from the form.
        ASSERT_TRUE(MovePointerTo(POINT{5, 5}));
        ASSERT_TRUE(form.Open()) << ::GetLastError();
        form.popup.SetText(kNewButton, kNewText);
        form.popup.SetText(kDeleteButton, kDeleteText);
        form.popup.SetText(kFramedButton, kFramedText);
        PumpPending();
    }

    bool PopupVisible() const { return ::IsWindowVisible(form.popup.Handle()) != FALSE; }

    // Moves the pointer to the point and waits for the popup; false when it stays hidden.
    bool HoverAndWait(POINT point) {
        return MovePointerTo(point) && PumpUntil([this] { return PopupVisible(); });
    }

    HoverForm form;
};

TEST_F(PopupTextTest, RestingOverAButtonShowsItsTextTwentyPixelsBelowThePointerAfterTheDelay) {
    const POINT point = CentreOf(form.Control(kNewButton));
    const auto start = Clock::now();
    ASSERT_TRUE(MovePointerTo(point));
    EXPECT_FALSE(PopupVisible()) << "shown before the hover delay";
    ASSERT_TRUE(PumpUntil([this] { return PopupVisible(); }));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, 140);

    EXPECT_EQ(WindowText(form.popup.Handle()), kNewText);
    const RECT rect = WindowRect(form.popup.Handle());
    EXPECT_EQ(rect.left, point.x);
    EXPECT_EQ(rect.top, point.y + 20);
    EXPECT_GT(rect.right - rect.left, 8 + 50) << "narrower than the text";
    EXPECT_GT(rect.bottom - rect.top, 8);
    EXPECT_NE(::GetForegroundWindow(), form.popup.Handle());
    EXPECT_NE(::GetFocus(), form.popup.Handle());
}

TEST_F(PopupTextTest, DisabledButtonShowsItsTextOnTwoLines) {
    ASSERT_FALSE(::IsWindowEnabled(form.Control(kDeleteButton)));
    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    const RECT oneLine = WindowRect(form.popup.Handle());

    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kDeleteButton))));
    EXPECT_EQ(WindowText(form.popup.Handle()), kDeleteText);
    const RECT twoLines = WindowRect(form.popup.Handle());
    // The text breaks at its line feed only; margins of 4 above and below each box.
    EXPECT_EQ(twoLines.bottom - twoLines.top - 8, 2 * (oneLine.bottom - oneLine.top - 8));
}

TEST_F(PopupTextTest, MovingToAnotherControlHidesAtOnceAndShowsTheNewTextAfterTheDelay) {
    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    // Inside the group box, which is passed over for the button it frames.
    const auto start = Clock::now();
    ASSERT_TRUE(MovePointerTo(CentreOf(form.Control(kFramedButton))));
    EXPECT_FALSE(PopupVisible()) << "the old text stayed up";
    ASSERT_TRUE(PumpUntil([this] { return PopupVisible(); }));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 140);
    EXPECT_EQ(WindowText(form.popup.Handle()), kFramedText);
}

TEST_F(PopupTextTest, ControlWithoutTextAndEmptyFormAreaHideThePopupAndShowNothing) {
    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    ASSERT_TRUE(MovePointerTo(CentreOf(form.Control(kAttachedList))));
    EXPECT_FALSE(PopupVisible());
    PumpFor(400);
    EXPECT_FALSE(PopupVisible()) << "the list box has no text to show";

    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    ASSERT_TRUE(MovePointerTo(form.FormPoint(380, 20)));  // the form, no control
    PumpFor(400);
    EXPECT_FALSE(PopupVisible());
}

TEST_F(PopupTextTest, ClickHidesTheTextUntilThePointerReachesAnotherControl) {
    const POINT point = CentreOf(form.Control(kNewButton));
    ASSERT_TRUE(HoverAndWait(point));
    ASSERT_TRUE(test::ClickLeftButton());
    PumpFor(400);
    EXPECT_FALSE(PopupVisible());

    ASSERT_TRUE(MovePointerTo(POINT{point.x + 3, point.y + 2}));  // still the same button
    PumpFor(400);
    EXPECT_FALSE(PopupVisible()) << "came back over the clicked control";

    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kFramedButton))));
    EXPECT_EQ(WindowText(form.popup.Handle()), kFramedText);
}

TEST_F(PopupTextTest, KeyPressHidesTheText) {
    ::SetFocus(form.Handle());
    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    ASSERT_TRUE(test::PressKey(VK_SHIFT));
    ASSERT_TRUE(PumpUntil([this] { return !PopupVisible(); }, 1000));
}

TEST_F(PopupTextTest, TimerFiringAfterTheFormWasHiddenShowsNothing) {
    ASSERT_TRUE(MovePointerTo(CentreOf(form.Control(kNewButton))));
    ::ShowWindow(form.Handle(), SW_HIDE);
    PumpFor(400);
    EXPECT_FALSE(PopupVisible());
}

TEST_F(PopupTextTest, PaintsTheTextInInfoColoursOnInfoBackground) {
    ASSERT_TRUE(HoverAndWait(CentreOf(form.Control(kNewButton))));
    HWND popup = form.popup.Handle();
    ::RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    ::GetClientRect(popup, &client);
    ASSERT_GT(client.right, 0);

    const COLORREF background = ::GetSysColor(COLOR_INFOBK);
    const COLORREF ink = ::GetSysColor(COLOR_INFOTEXT);
    ASSERT_NE(background, ink);
    HDC dc = ::GetDC(popup);
    ASSERT_NE(dc, nullptr);
    int backgroundPixels = 0, inkPixels = 0, otherPixels = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = ::GetPixel(dc, x, y);
            if (pixel == background) ++backgroundPixels;
            else if (pixel == ink) ++inkPixels;
            else ++otherPixels;
        }
    }
    // The left margin is background: the text starts 4 pixels in.
    const COLORREF margin = ::GetPixel(dc, 1, client.bottom / 2);
    ::ReleaseDC(popup, dc);
    const int all = client.right * client.bottom;
    EXPECT_GT(backgroundPixels, all / 2);
    EXPECT_GT(inkPixels, 20) << "no text drawn";
    EXPECT_EQ(margin, background);
}

TEST(PopupTextCreate, RefusesAMissingOwnerAndASecondWindow) {
    CPopupText popup;
    EXPECT_FALSE(popup.Create(0, 0, nullptr));
    EXPECT_EQ(popup.Handle(), nullptr);

    HoverForm form;
    ASSERT_TRUE(form.Open());
    const HWND first = form.popup.Handle();
    EXPECT_FALSE(form.popup.Create(0, 0, form.Handle()));
    EXPECT_EQ(form.popup.Handle(), first);
    EXPECT_FALSE(::IsWindowVisible(first)) << "created shown";
}

}  // namespace
}  // namespace pelmora
