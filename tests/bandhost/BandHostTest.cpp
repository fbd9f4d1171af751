// The development host as the bar's frame: the site's answers, the band's size from
// its band info, the menu's show and hide, the closing sequence, activation by a click
// and by Tab, keys offered only while the band has the focus, and the transcript of
// the band's list box and the product's log.
#include <gtest/gtest.h>
#include <exdisp.h>

#include "bandhost/BandLayout.h"
#include "bandhost/HostFixture.h"
#include "bandhost/LogTail.h"
#include "ui/UiTestSupport.h"

namespace pelmora::test {
namespace {

using BandHostTest = HostFixture;

TEST_F(BandHostTest, SiteAnswersItsWindowTheBrowserServicesAndFocusChanges) {
    IUnknown* site = host.Site();
    com::ComPtr<IOleWindow> window;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IOleWindow, window.put_void()));
    HWND pane = nullptr;
    ASSERT_EQ(S_OK, window->GetWindow(&pane));
    EXPECT_EQ(host.Frame().BandPane(), pane);
    EXPECT_EQ(pane, ::GetParent(band->window.Handle())) << "the band made its window in the site's window";

    com::ComPtr<IServiceProvider> services;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IServiceProvider, services.put_void()));
    com::ComPtr<IUnknown> browser;
    ASSERT_EQ(S_OK, static_cast<IWebBrowser2*>(&host.Browser())->QueryInterface(IID_IUnknown, browser.put_void()));
    struct Case {
        const char* name;
        GUID service;
        IID iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"IWebBrowserApp as IWebBrowserApp", IID_IWebBrowserApp, IID_IWebBrowserApp, S_OK},
        {"IWebBrowserApp as IWebBrowser2", IID_IWebBrowserApp, IID_IWebBrowser2, S_OK},
        {"IWebBrowser2 as IWebBrowser2", IID_IWebBrowser2, IID_IWebBrowser2, S_OK},
        {"the browser as something it is not", IID_IWebBrowserApp, IID_IOleWindow, E_NOINTERFACE},
        {"a service the frame does not offer", IID_IOleWindow, IID_IUnknown, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* answer = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(c.expected, services->QueryService(c.service, c.iid, reinterpret_cast<void**>(&answer)));
        if (c.expected != S_OK) {
            EXPECT_EQ(nullptr, answer);
            continue;
        }
        com::ComPtr<IUnknown> identity;
        ASSERT_EQ(S_OK, answer->QueryInterface(IID_IUnknown, identity.put_void()));
        EXPECT_TRUE(identity == browser);
        answer->Release();
    }
    EXPECT_EQ(E_POINTER, services->QueryService(IID_IWebBrowserApp, IID_IWebBrowserApp, nullptr));
    EXPECT_TRUE(TranscriptHas(L"site: QueryService(IWebBrowserApp, IWebBrowser2) -> S_OK"));
    EXPECT_TRUE(TranscriptHas(L"site: QueryService(IOleWindow, IUnknown) -> E_NOINTERFACE"));

    com::ComPtr<IInputObjectSite> inputSite;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IInputObjectSite, inputSite.put_void()));
    EXPECT_EQ(S_OK, inputSite->OnFocusChangeIS(static_cast<IDeskBand*>(band.get()), FALSE));
    EXPECT_TRUE(TranscriptHas(L"site: OnFocusChangeIS(FALSE)"));
}

TEST(BandLayoutTest, WidthAndHeightFollowTheBandInfo) {
    struct Case {
        const char* name;
        DWORD mask;
        POINTL minimum, maximum, step, ideal;
        DWORD modes;
        int preferred, available;
        SIZE expected;
    };
    const DWORD all = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS;
    const Case cases[] = {
        {"the bar's width within no limits", all, {50, 50}, {-1, -1}, {1, 1}, {0, 0}, 8, 403, 700, {403, 700}},
        {"never narrower than the minimum", all, {300, 50}, {-1, -1}, {1, 1}, {0, 0}, 8, 200, 700, {300, 700}},
        {"the ideal width without a bar width", all, {50, 50}, {-1, -1}, {1, 1}, {250, 0}, 8, 0, 700, {250, 700}},
        {"the default width without either", all, {50, 50}, {-1, -1}, {1, 1}, {0, 0}, 8, 0, 700,
         {bandhost::kDefaultBandWidth, 700}},
        {"a variable height stops at the maximum", all, {50, 50}, {-1, 400}, {1, 1}, {0, 0}, 8, 200, 700, {200, 400}},
        {"and grows in steps above the minimum", all, {50, 50}, {-1, -1}, {1, 40}, {0, 0}, 8, 200, 700, {200, 690}},
        {"a fixed height ignores maximum and step", all, {50, 50}, {-1, 400}, {1, 40}, {0, 0}, 0, 200, 700,
         {200, 700}},
        {"but not the minimum", all, {50, 900}, {-1, -1}, {1, 1}, {0, 0}, 0, 200, 700, {200, 900}},
        {"unfilled members constrain nothing", DBIM_MODEFLAGS, {500, 900}, {-1, 10}, {1, 1}, {0, 0}, 8, 200, 700,
         {200, 700}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DESKBANDINFO info{};
        info.dwMask = c.mask;
        info.ptMinSize = c.minimum;
        info.ptMaxSize = c.maximum;
        info.ptIntegral = c.step;
        info.ptActual = c.ideal;
        info.dwModeFlags = c.modes;
        const SIZE size = bandhost::ComputeBandSize(info, c.preferred, c.available);
        EXPECT_EQ(c.expected.cx, size.cx);
        EXPECT_EQ(c.expected.cy, size.cy);
    }
}

TEST_F(BandHostTest, BandIsSizedShownAndHiddenByTheMenuAndClosedInTheBrowsersOrder) {
    const std::vector<std::string> opening = {"SetSite(site)", "GetBandInfo(vertical)", "ShowDW(TRUE)"};
    EXPECT_EQ(opening, band->calls);
    RECT bandRect{};
    ::GetWindowRect(band->window.Handle(), &bandRect);
    const RECT area = host.Frame().BandArea();
    EXPECT_EQ(band->info.ptMinSize.x, bandRect.right - bandRect.left) << "no BarSize: the minimum over the default";
    EXPECT_EQ(area.bottom - area.top, bandRect.bottom - bandRect.top);
    EXPECT_TRUE(::IsWindowVisible(band->window.Handle()));
    EXPECT_TRUE(TranscriptHas(L"title \"Fake bar\""));

    HMENU bandMenu = ::GetSubMenu(::GetSubMenu(::GetMenu(host.FrameHandle()), 1), 0);
    const auto checked = [&] {
        return (::GetMenuState(bandMenu, bandhost::FrameWindow::kBandCommand, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checked());
    ::SendMessageW(host.FrameHandle(), WM_COMMAND, bandhost::FrameWindow::kBandCommand, 0);
    EXPECT_EQ("ShowDW(FALSE)", band->calls.back());
    EXPECT_FALSE(::IsWindowVisible(band->window.Handle()));
    EXPECT_FALSE(::IsWindowVisible(host.Frame().BandPane()));
    EXPECT_FALSE(checked());
    ::SendMessageW(host.FrameHandle(), WM_COMMAND, bandhost::FrameWindow::kBandCommand, 0);
    EXPECT_EQ("ShowDW(TRUE)", band->calls.back());
    EXPECT_TRUE(::IsWindowVisible(band->window.Handle()));

    const size_t before = band->calls.size();
    host.CloseBand();
    const std::vector<std::string> closing = {"ShowDW(FALSE)", "CloseDW", "SetSite(NULL)"};
    EXPECT_EQ(closing, CallsFrom(before));
    EXPECT_EQ(1, band->refs) << "the host let every reference go";
    EXPECT_FALSE(band->site) << "the band let the site go";
    EXPECT_FALSE(checked());
    EXPECT_TRUE(TranscriptHas(L"host: SetSite(NULL) -> S_OK"));
    host.CloseBand();
    EXPECT_EQ(before + 3, band->calls.size()) << "closing twice calls nothing more";
}

TEST_F(BandHostTest, KeysReachTheBandOnlyWhileItHasTheFocusWhichAClickOrTabGivesIt) {
    const HWND tree = band->window.tree;
    const HTREEITEM first = TreeView_GetRoot(tree);
    TreeView_SelectItem(tree, first);
    const auto press = [&](HWND target, WPARAM key) {
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        host.PumpFor(50);
    };
    const auto offered = [&](size_t from) {
        const std::vector<std::string> calls = CallsFrom(from);
        return std::count_if(calls.begin(), calls.end(),
                             [](const std::string& call) { return call.rfind("TranslateAcceleratorIO", 0) == 0; });
    };

    ::SetFocus(host.Frame().AddressBox());
    size_t mark = band->calls.size();
    press(host.Frame().AddressBox(), 'A');
    EXPECT_EQ(0, offered(mark)) << "the focus is outside the band";
    EXPECT_GT(band->focusQuestions, 0);

    // A click into the band that lacks the focus activates it first.
    mark = band->calls.size();
    ::PostMessageW(band->window.list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(band->window.list, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    host.PumpFor(50);
    ASSERT_FALSE(CallsFrom(mark).empty());
    EXPECT_EQ("UIActivateIO(TRUE, " + std::to_string(WM_LBUTTONDOWN) + ")", CallsFrom(mark).front());
    EXPECT_TRUE(TranscriptHas(L"site: OnFocusChangeIS(TRUE)"));

    // The band takes the key: the tree never sees it.
    ::SetFocus(tree);
    band->translateAnswer = S_OK;
    mark = band->calls.size();
    press(tree, VK_DOWN);
    EXPECT_EQ(2, offered(mark)) << "key down and key up";
    EXPECT_EQ(first, TreeView_GetSelection(tree));
    // The band leaves it: the tree moves its selection.
    band->translateAnswer = S_FALSE;
    press(tree, VK_DOWN);
    EXPECT_NE(first, TreeView_GetSelection(tree));

    // A click elsewhere in the frame deactivates the band; Tab in the address box moves
    // into it again.
    mark = band->calls.size();
    ::PostMessageW(host.Frame().PagePane(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(host.Frame().PagePane(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    host.PumpFor(50);
    ASSERT_FALSE(CallsFrom(mark).empty());
    EXPECT_EQ("UIActivateIO(FALSE, " + std::to_string(WM_LBUTTONDOWN) + ")", CallsFrom(mark).front());
    ::SetFocus(host.Frame().AddressBox());
    mark = band->calls.size();
    press(host.Frame().AddressBox(), VK_TAB);
    ASSERT_FALSE(CallsFrom(mark).empty());
    EXPECT_EQ("UIActivateIO(TRUE, " + std::to_string(WM_KEYDOWN) + ")", CallsFrom(mark).front());
    EXPECT_EQ(tree, ::GetFocus());
}

TEST_F(BandHostTest, TranscriptFollowsTheListBoxAndTheLogInTheOrderThingsHappened) {
    {
        // What a log held when the tail started is old; a log found later is all new.
        const std::wstring otherLog = folder / L"other.log";
        WriteFileBytes(otherLog, "old record\r\n");
        bandhost::LogTail tail([&] { return otherLog; });
        tail.SkipExisting();
        WriteFileBytes(otherLog, "old record\r\nnew record\r\n");
        EXPECT_EQ(std::vector<std::wstring>{L"new record"}, tail.ReadNew());
        std::wstring later;
        bandhost::LogTail unknown([&] { return later; });
        unknown.SkipExisting();
        later = otherLog;
        EXPECT_EQ((std::vector<std::wstring>{L"old record", L"new record"}), unknown.ReadNew());
    }

    WriteFileBytes(logPath, "record zero\r\n");
    host.Poll();
    EXPECT_TRUE(TranscriptHas(L"log: record zero")) << "the log was made after the host started";
    const size_t start = host.Transcript().Lines().size();
    const HWND list = band->window.list;
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"{34A715A0}\\first.WSC"));
    WriteFileBytes(logPath, "record zero\r\nrecord one\r\npart of ");
    ::SendMessageW(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"second"));
    // Detached and attached again under the same label within one step: both seen.
    ::SendMessageW(list, LB_DELETESTRING, 1, 0);
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"{34A715A0}\\first.WSC"));
    WriteFileBytes(logPath, "record zero\r\nrecord one\r\npart of record two\r\n");
    // The logger rotates: the old file's end is in the backup now.
    WriteFileBytes(logPath, "record zero\r\nrecord one\r\npart of record two\r\nrecord three\r\n");
    ASSERT_TRUE(::MoveFileExW(logPath.c_str(), (logPath + L".bak").c_str(), MOVEFILE_REPLACE_EXISTING));
    WriteFileBytes(logPath, "record four\r\n");
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    host.Poll();
    // The last entry's deletion is seen once (Wine's list box resets itself for it).
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"only"));
    ::SendMessageW(list, LB_DELETESTRING, 0, 0);

    const std::vector<std::wstring> expected = {
        L"attached: {34A715A0}\\first.WSC", L"log: record one",          L"attached: second",
        L"detached: {34A715A0}\\first.WSC", L"attached: {34A715A0}\\first.WSC", L"log: part of record two",
        L"log: record three",               L"log: record four",          L"detached: second",
        L"detached: {34A715A0}\\first.WSC", L"attached: only", L"detached: only"};
    const auto& lines = host.Transcript().Lines();
    EXPECT_EQ(expected, std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(start), lines.end()));
}

}  // namespace
}  // namespace pelmora::test
