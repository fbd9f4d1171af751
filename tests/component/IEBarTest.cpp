// The Explorer Bar as the browser drives it: its band answers, its site handling, and
// the configuration form it puts into the band, driven with real messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "component/BandFormFixture.h"
#include "component/BandSite.h"
#include "component/FakeBar.h"
#include "component/Guids.h"
#include "component/IEBar.h"
#include "component/PelmoraApp.h"
#include "framework/com/Bstr.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ResourceString.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "library/ScriptletCode.h"
#include "runtime/EventTestSupport.h"
#include "runtime/ScriptEditing.h"
#include "ui/ConfigWSC2.h"
#include "ui/TreeDriving.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

using com::ComPtr;

using test::AttachedEntries;
using test::BarObject;
using test::kBrowserEventsId;
using test::kWindowEventsId;
using test::MakeBar;
using Frame = test::BandFrame;

TEST(IEBarTest, AnswersTheBrowsersBandQuestionsWithoutASite) {
    const LONG locksBefore = test::ModuleLockCount();
    ComPtr<IDeskBand> bar = MakeBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(locksBefore + 1, test::ModuleLockCount());

    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;
    EXPECT_EQ(S_OK, bar->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info));
    EXPECT_EQ(50, info.ptMinSize.x);
    EXPECT_EQ(50, info.ptMinSize.y);
    EXPECT_EQ(-1, info.ptMaxSize.x);
    EXPECT_EQ(-1, info.ptMaxSize.y);
    EXPECT_EQ(1, info.ptIntegral.y);
    EXPECT_EQ(0, info.ptActual.x);
    EXPECT_STREQ(L"Pelmora", info.wszTitle);
    EXPECT_EQ(static_cast<DWORD>(DBIMF_VARIABLEHEIGHT), info.dwModeFlags);
    EXPECT_EQ(0u, info.dwMask & DBIM_BKCOLOR);
    EXPECT_EQ(E_INVALIDARG, bar->GetBandInfo(0, 0, nullptr));

    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(S_OK, bar->GetWindow(&window));
    EXPECT_EQ(nullptr, window);
    ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, bar.As(withSite));
    void* site = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, &site));
    EXPECT_EQ(nullptr, site);

    ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, bar.As(persist));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    EXPECT_EQ(S_OK, persist->Save(stream.get(), TRUE));
    STATSTG stat{};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(0u, stat.cbSize.QuadPart);
    CLSID clsid{};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_IEBar, clsid));

    // Deactivating never makes the form; closing without one leaves the current bar.
    ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, bar.As(input));
    test::FakeBar other;
    GetPelmoraApp().SetCurrentBar(&other);
    EXPECT_EQ(S_OK, input->UIActivateIO(FALSE, nullptr));
    EXPECT_EQ(nullptr, BarObject(bar)->Form());
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    EXPECT_EQ(S_OK, bar->CloseDW(0));
    EXPECT_EQ(&other, static_cast<IBarNotifications*>(GetPelmoraApp().GetCurrentBar().get()));
    GetPelmoraApp().SetCurrentBar(nullptr);

    // IIEBar is the identity; the rest of the list answers; the events need their sink.
    ComPtr<IUnknown> identity;
    ComPtr<IIEBar> automation;
    ASSERT_EQ(S_OK, bar->QueryInterface(IID_IUnknown, identity.put_void()));
    ASSERT_EQ(S_OK, bar.As(automation));
    EXPECT_EQ(static_cast<IUnknown*>(automation.get()), identity.get());
    for (const IID* iid : {&IID_IDockingWindow, &IID_IOleWindow, &IID_IPersist, &IID_IDispatch,
                           &IID_IConnectionPointContainer}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(S_OK, bar->QueryInterface(*iid, answer.put_void()));
    }
    UINT typeInfoCount = 0;
    EXPECT_EQ(S_OK, automation->GetTypeInfoCount(&typeInfoCount));
    EXPECT_EQ(1u, typeInfoCount);
    EXPECT_EQ(S_OK, automation->Init());
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, bar.As(container));
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__IIEBarEvents, point.put()));
    test::CountingDispatch plainSink;
    DWORD cookie = 7;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point->Advise(&plainSink, &cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(5));
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(points.put()));
    ComPtr<IConnectionPoint> listed;
    EXPECT_EQ(S_OK, points->Next(1, listed.put(), nullptr));
    EXPECT_EQ(point, listed);
    EXPECT_EQ(S_FALSE, points->Next(1, listed.put(), nullptr));
    points.reset();

    point.reset();
    container.reset();
    automation.reset();
    identity.reset();
    input.reset();
    persist.reset();
    withSite.reset();
    bar.reset();
    EXPECT_EQ(locksBefore, test::ModuleLockCount());
}

TEST(IEBarTest, SiteWithoutAPieceTheBarNeedsIsRefusedWithItsRecord) {
    struct Case {
        const char* name;
        bool withWindow, failGetWindow, withInputSite;
        const char* record;
    };
    const Case cases[] = {
        {"no IOleWindow", false, false, true, "Failed to query for IOleWindow Interface. in CIEBar::SetSite at IEBar"},
        {"GetWindow fails", true, true, true, "Can not get parent window. in CIEBar::SetSite at IEBar"},
        {"no IInputObjectSite", true, false, false,
         "Failed to query for IInputObjectSite Interface. in CIEBar::SetSite at IEBar"},
    };
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    Frame frame;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto site = test::MakeBandSite();
        site->withWindow = c.withWindow;
        site->failGetWindow = c.failGetWindow;
        site->withInputSite = c.withInputSite;
        site->bandWindow = frame.band;
        ComPtr<IDeskBand> bar = MakeBar();
        ComPtr<IObjectWithSite> withSite;
        ASSERT_EQ(S_OK, bar.As(withSite));
        EXPECT_EQ(E_FAIL, withSite->SetSite(static_cast<IOleWindow*>(site.get())));
        EXPECT_EQ(nullptr, BarObject(bar)->Form());
        EXPECT_EQ(1u, test::CountOf(log.NewText(), c.record));
        EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
    }

    // Activated before any site: no form, and the bar is not left current to hold the DLL.
    const LONG locksBefore = test::ModuleLockCount();
    {
        ComPtr<IInputObject> input;
        ASSERT_EQ(S_OK, MakeBar().As(input));
        EXPECT_EQ(E_FAIL, input->UIActivateIO(TRUE, nullptr));
        EXPECT_EQ(1u, test::CountOf(log.NewText(), "Can't create a child window without a parent."));
        EXPECT_FALSE(GetPelmoraApp().GetCurrentBar());
    }
    EXPECT_EQ(locksBefore, test::ModuleLockCount());
}

using test::BandFormTest;

TEST_F(BandFormTest, CheckedMainScriptRunsWhileShownAndTheListFollowsEveryAttach) {
    test::LogCapture log;
    ASSERT_NO_FATAL_FAILURE(Show());
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());

    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC"}, AttachedEntries(Form()->Handle()));
    ASSERT_TRUE(Form()->RunningScriptlet());

    // Space on another script moves the one check mark and the running script with it.
    PressSpace(IDC_TREE_IE_WSC, MainItem(L"b.WSC"));
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\b.WSC"}, AttachedEntries(Form()->Handle()));
    EXPECT_FALSE(Enabled(IDC_BUTTON_DEL_IE_WSC));  // the selected script is checked

    // A completed document reaches the script and lets New URL scripts be used.
    const size_t before = browser->GetTranscript().lines.size();
    ASSERT_NO_FATAL_FAILURE(Navigate());
    const auto& lines = browser->GetTranscript().lines;
    EXPECT_NE(std::find(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end(), L"alert main complete"),
              lines.end());
    EXPECT_TRUE(Enabled(IDC_BUTTON_NEW_URL_WSC));

    // A folder shows no URL scripts; its key names it in the caption.
    ui::TreeView(Control(IDC_TREE_IE_WSC)).SelectItem(MainItem(L"news"));
    test::PumpPending();
    wchar_t caption[80] = {};
    ::GetDlgItemTextW(Form()->Handle(), IDC_STATIC_URL_WSC_OWNER, caption, 80);
    EXPECT_STREQ(L"for \"\\news\\\"", caption);
    EXPECT_EQ(0u, ui::TreeView(Control(IDC_TREE_URL_WSC)).GetCount());
    EXPECT_FALSE(Enabled(IDC_BUTTON_NEW_URL_WSC));
    EXPECT_FALSE(Enabled(IDC_BUTTON_DEL_URL_WSC));

    // Hiding stops the script and keeps the mark; showing again runs it again.
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    EXPECT_EQ(nullptr, Form()->RunningScriptlet());
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\b.WSC"}, AttachedEntries(Form()->Handle()));

    // Unchecking leaves nothing running.
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"b.WSC"));
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    EXPECT_EQ(0u, test::CountOf(log.Added(), "<ERROR"));

    ASSERT_EQ(S_OK, bar->CloseDW(0));
    EXPECT_EQ(nullptr, Form());
    EXPECT_FALSE(GetPelmoraApp().GetCurrentBar());
}

TEST_F(BandFormTest, CheckingAMainScriptSelectsItSoItRunsWithItsOwnUrlScripts) {
    // a.WSC has a site script for h.example; b.WSC has none.
    const std::wstring siteScript = GetUrlScriptDirectory() + L"\\a.WSC\\h.example.WSC";
    ASSERT_TRUE(::CreateDirectoryW((GetUrlScriptDirectory() + L"\\a.WSC").c_str(), nullptr));
    CScriptletCode code(test::LoadWindowEventsTypeInfo().get());
    code.AddProperty(L"window");
    ASSERT_EQ(S_OK, code.Save(siteScript));
    ASSERT_NO_FATAL_FAILURE(Show());
    ui::TreeView(Control(IDC_TREE_IE_WSC)).SelectItem(MainItem(L"a.WSC"));
    test::PumpPending();
    const HTREEITEM site = Form()->Store().GetCurrentUrlTree()->FindItemByPath(nullptr, L"h.example.WSC");
    ASSERT_TRUE(site);
    ClickCheckBox(IDC_TREE_URL_WSC, site);

    const std::wstring siteLabel = kWindowEventsId + L"\\h.example.WSC";
    struct Case {
        const wchar_t* check;
        std::vector<std::wstring> listed;
    };
    const Case cases[] = {
        {L"b.WSC", {kBrowserEventsId + L"\\b.WSC"}},
        {L"a.WSC", {kBrowserEventsId + L"\\a.WSC", siteLabel}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.check);
        ClickCheckBox(IDC_TREE_IE_WSC, MainItem(c.check));
        EXPECT_EQ(MainItem(c.check), ui::TreeView(Control(IDC_TREE_IE_WSC)).GetSelectedItem());
        ASSERT_NO_FATAL_FAILURE(Navigate());
        EXPECT_EQ(c.listed, AttachedEntries(Form()->Handle()));
    }
}

// What a user can do wrong, or find broken, leaves a record and a form that works.
TEST_F(BandFormTest, BrokenScriptsFoldersAndMarksLeaveARecordAndAWorkingForm) {
    const auto checked = [&] { return Form()->Store().GetCheckedMainScriptKey(); };
    test::LogCapture log;

    // A corrupt state value: the trees load with default marks, nothing checked.
    ASSERT_NO_FATAL_FAILURE(Show());
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"b.WSC"));
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    const BYTE garbage[] = {0xFF, 0x01, 0x7F, 0x00, 0x13};
    ASSERT_EQ(ERROR_SUCCESS, test::WriteProductValue(test::ToAnsi(kMainTreeStateValueName).c_str(), REG_BINARY,
                                                      garbage, sizeof garbage));
    (void)log.NewText();
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    EXPECT_EQ(L"", checked());
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    EXPECT_EQ(1u, test::CountOf(log.NewText(), "State value is corrupted."));

    // A main script that does not compile is checked but does not run.
    test::WriteFileBytes(mainDirectory + L"\\a.WSC", test::Replaced(test::ReadFileBytes(mainDirectory + L"\\a.WSC"),
                                                                    "<![CDATA[", "<![CDATA[ function ( {"));
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    EXPECT_EQ(1u, test::CountOf(log.NewText(), "Can not attach scriptlet"));

    // A main script that throws in an event: one record, and the browser goes on.
    test::WriteFileBytes(mainDirectory + L"\\b.WSC",
                         test::Replaced(test::ReadFileBytes(mainDirectory + L"\\b.WSC"),
                                        "browser.Document.parentWindow.alert('main complete');",
                                        "throw new Error('broken on purpose');"));
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"b.WSC"));
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\b.WSC"}, AttachedEntries(Form()->Handle()));
    // The detach of a.WSC, whose attach failed, says that it had nothing to undo.
    const std::string detached = log.NewText();
    EXPECT_EQ(1u, test::CountOf(detached, "Unadvise scriptlet failed.")) << detached;
    EXPECT_EQ(1u, test::CountOf(detached, "<WARNING(-2147024809)> Can not detach browser scriptlet.")) << detached;
    ASSERT_NO_FATAL_FAILURE(Navigate());
    ASSERT_NO_FATAL_FAILURE(Navigate());
    const std::string thrown = log.NewText();
    EXPECT_EQ(2u, test::CountOf(thrown, "Invoke of DocumentComplete scriptlet function failed."));
    // The script's own words follow each failure record, for the person writing it.
    EXPECT_EQ(2u, test::CountOf(thrown, "Script error: broken on purpose")) << thrown;
    EXPECT_EQ(L"DocumentComplete http://h.example/index.html", browser->GetTranscript().lines.back());

    // The product key refuses writes: the hide's save of the marks fails, one record.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0,
                                             READ_CONTROL | WRITE_DAC, &key));
    const auto allow = [&](const wchar_t* dacl) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl, SDDL_REVISION_1, &sd, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd));
        ::LocalFree(sd);
    };
    allow(L"D:(A;;KR;;;WD)");
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    allow(L"D:(A;;KA;;;WD)");
    ::RegCloseKey(key);
    EXPECT_EQ(1u, test::CountOf(log.NewText(), "Can not save the marks of " + test::ToAnsi(kMainTreeStateValueName) +
                                                   ". in CFileBrowser::SaveState"));

    // The main-script folder removed while hidden: shown again, an empty tree, nothing runs.
    test::RemoveTree(mainDirectory);
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    EXPECT_EQ(0u, ui::TreeView(Control(IDC_TREE_IE_WSC)).GetCount());
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    EXPECT_TRUE(Enabled(IDC_BUTTON_NEW_IE_WSC));
    for (int id : {IDC_BUTTON_DEL_IE_WSC, IDC_BUTTON_NEW_URL_WSC,
                   IDC_BUTTON_DEL_URL_WSC}) {
        EXPECT_FALSE(Enabled(id)) << id << " is of no use without scripts";
    }
    EXPECT_EQ(0u, test::CountOf(log.Added(), "Exception"));
}

// Another program saves, adds and removes scripts while the band is shown: the form
// follows within a second, the trees keep their marks, selection and open folders.
TEST_F(BandFormTest, ScriptsSavedOrAddedByAnotherProgramAreFollowedWhileShown) {
    const auto withAlert = [&](const std::wstring& name, const std::string& text) {
        const std::wstring path = mainDirectory + name;
        WriteMainScript(name);
        // The count is a global of the script: it starts over when the script does.
        const std::string counted = "'" + text + " ' + (seen = (typeof seen == 'number' ? seen : 0) + 1)";
        test::WriteFileBytes(path, test::Replaced(test::ReadFileBytes(path), "'main complete'", counted));
    };
    const auto alerted = [&](const std::wstring& text) {
        Navigate();
        const auto& lines = browser->GetTranscript().lines;
        return std::find(lines.begin(), lines.end(), L"alert " + text) != lines.end();
    };
    const std::wstring urlFolder = GetUrlScriptDirectory() + L"\\a.WSC";
    ASSERT_TRUE(::CreateDirectoryW(urlFolder.c_str(), nullptr));
    test::WriteFileBytes(urlFolder + L"\\g.example.WSC", "<?XML version=\"1.0\"?>");
    test::LogCapture log;
    ASSERT_NO_FATAL_FAILURE(Show());
    const HWND mainTree = Control(IDC_TREE_IE_WSC);
    ui::TreeView(mainTree).Expand(MainItem(L"news"), TVE_EXPAND);
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"news\\c.WSC"));
    ui::TreeView(mainTree).SelectItem(MainItem(L"a.WSC"));
    ASSERT_TRUE(Form()->RunningScriptlet());

    // Saved anew: it runs again, globals and all, without a click.
    withAlert(L"\\news\\c.WSC", "second version");
    test::PumpFor(1500);
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\news\\c.WSC"}, AttachedEntries(Form()->Handle()));
    EXPECT_TRUE(alerted(L"second version 1"));
    EXPECT_TRUE(alerted(L"second version 2"));

    // A version that does not compile leaves nothing running, until the next save.
    test::WriteFileBytes(mainDirectory + L"\\news\\c.WSC", "<?XML version=\"1.0\"?><package><component>");
    ASSERT_TRUE(test::PumpUntil([&] { return AttachedEntries(Form()->Handle()).empty(); }, 2000));
    test::PumpFor(600);
    EXPECT_EQ(1u, test::CountOf(log.NewText(), "Can not attach scriptlet"));
    withAlert(L"\\news\\c.WSC", "third version");
    ASSERT_TRUE(test::PumpUntil([&] { return !AttachedEntries(Form()->Handle()).empty(); }, 2000));
    EXPECT_TRUE(alerted(L"third version 1"));

    // Added and removed by another program: the tree follows; the mark, the selection
    // and the open folder stay.
    WriteMainScript(L"\\news\\d.WSC");
    ASSERT_TRUE(::DeleteFileW((mainDirectory + L"\\b.WSC").c_str()));
    ASSERT_TRUE(test::PumpUntil([&] { return MainItem(L"news\\d.WSC") && !MainItem(L"b.WSC"); }, 2000));
    EXPECT_EQ(L"\\news\\c.WSC", Form()->Store().GetCheckedMainScriptKey());
    EXPECT_EQ(MainItem(L"a.WSC"), ui::TreeView(mainTree).GetSelectedItem());
    EXPECT_TRUE(ui::TreeView(mainTree).GetItemState(MainItem(L"news"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\news\\c.WSC"}, AttachedEntries(Form()->Handle()));

    // The URL scripts of the selected script are followed the same way, marks kept.
    const auto urlItem = [&](const wchar_t* key) {
        return Form()->Store().GetCurrentUrlTree()->FindItemByPath(nullptr, key);
    };
    ASSERT_TRUE(urlItem(L"g.example.WSC"));
    ClickCheckBox(IDC_TREE_URL_WSC, urlItem(L"g.example.WSC"));
    ASSERT_TRUE(Form()->Store().GetCurrentUrlTree()->IsScriptChecked(L"\\g.example.WSC"));
    test::WriteFileBytes(urlFolder + L"\\h.example.WSC", "<?XML version=\"1.0\"?>");
    ASSERT_TRUE(test::PumpUntil([&] { return urlItem(L"h.example.WSC") != nullptr; }, 2000));
    EXPECT_TRUE(Form()->Store().GetCurrentUrlTree()->IsScriptChecked(L"\\g.example.WSC"));
    EXPECT_FALSE(Form()->Store().GetCurrentUrlTree()->IsScriptChecked(L"\\h.example.WSC"));

    // Hidden, nothing is followed.
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    WriteMainScript(L"\\e.WSC");
    test::PumpFor(800);
    EXPECT_EQ(0u, ui::TreeView(mainTree).GetCount());
}

TEST_F(BandFormTest, FocusEntersTheRememberedControlAndTabOnHelpLeavesForTheBrowser) {
    ASSERT_NO_FATAL_FAILURE(Show());
    ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, bar.As(input));
    ::SetForegroundWindow(frame.frame);
    ASSERT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    test::PumpPending();
    EXPECT_EQ(Control(IDC_TREE_IE_WSC), ::GetFocus());
    EXPECT_EQ(S_OK, input->HasFocusIO());
    ASSERT_FALSE(site->focusChanges.empty());
    EXPECT_TRUE(site->focusChanges.back());

    // Tab inside the form moves within it; from Help it leaves the band.
    ::SetFocus(Control(IDC_BUTTON_ABOUT));
    MSG tab{Control(IDC_BUTTON_ABOUT), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_EQ(S_OK, input->TranslateAcceleratorIO(&tab));
    EXPECT_EQ(Control(IDC_BUTTON_HELP), ::GetFocus());
    tab.hwnd = Control(IDC_BUTTON_HELP);
    EXPECT_EQ(S_OK, input->TranslateAcceleratorIO(&tab));
    EXPECT_EQ(frame.frame, ::GetFocus());
    EXPECT_FALSE(site->focusChanges.back());
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
}

TEST_F(BandFormTest, SiteWithoutABrowserKeepsTheFormWorkingAndSaysWhyNothingRuns) {
    struct Case {
        bool withServices;
        const char* record;
    };
    const Case cases[] = {
        {false, "Failed to query for IServiceProvider. in CConfigWSC2::SetSite"},
        {true, "Failed to query for IWebBrowserApp. in CConfigWSC2::SetSite"},  // no browser behind it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        test::LogCapture log;
        site->withServices = c.withServices;
        site->browser.reset();
        ASSERT_NO_FATAL_FAILURE(Show());
        ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
        EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
        const std::string added = log.Added();
        EXPECT_EQ(1u, test::CountOf(added, c.record));
        EXPECT_EQ(1u, test::CountOf(added, "Site or WebBrowser is not set. in CConfigWSC2::AttachScriptlet"));
        // Help without a browser does nothing, and nothing breaks.
        ::SendMessageW(Control(IDC_BUTTON_HELP), BM_CLICK, 0, 0);
        EXPECT_TRUE(::IsWindow(Form()->Handle()));
        ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));  // unchecked for the next case
        ASSERT_EQ(S_OK, bar->CloseDW(0));
    }
}

const std::wstring kSiteLabel = test::kWindowEventsId + L"\\h.example.WSC";
constexpr int kFolderMarked = 2, kChecked = 4;

// Browsing the trees only changes what the lower tree shows: the checked main script
// keeps running, with its own URL scripts, whatever the user selects or clicks.
TEST_F(BandFormTest, BrowsingTheTreesNeverChangesWhatRunsOrWithWhichUrlScripts) {
    // The running script sits in a folder, whose check box then shows it marked.
    ASSERT_TRUE(::CreateDirectoryW((GetUrlScriptDirectory() + L"\\news").c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(WriteSiteScript(L"\\news\\c.WSC"));
    ASSERT_NO_FATAL_FAILURE(Show());
    const ui::TreeView mainTree(Control(IDC_TREE_IE_WSC));
    mainTree.Expand(MainItem(L"news"), TVE_EXPAND);
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"news\\c.WSC"));
    ASSERT_TRUE(UrlItem(L"h.example.WSC"));
    ClickCheckBox(IDC_TREE_URL_WSC, UrlItem(L"h.example.WSC"));
    const std::vector<std::wstring> running{kBrowserEventsId + L"\\news\\c.WSC", kSiteLabel};

    struct Case {
        const char* name;
        std::function<void()> act;
        bool restarts;  // the script was saved anew: it runs again, still with its own URL scripts
    };
    const Case cases[] = {
        {"the folder news selected", [&] { mainTree.SelectItem(MainItem(L"news")); }, false},
        {"another main script selected", [&] { mainTree.SelectItem(MainItem(L"b.WSC")); }, false},
        {"the running script's folder's check box clicked",
         [&] {
             ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"news"), false);
             EXPECT_EQ(kFolderMarked, MarkOf(IDC_TREE_IE_WSC, MainItem(L"news")));
             EXPECT_EQ(MainItem(L"b.WSC"), mainTree.GetSelectedItem()) << "the folder was selected";
         },
         false},
        {"the running script saved anew while another is selected",
         [&] {
             mainTree.SelectItem(MainItem(L"b.WSC"));
             WriteMainScript(L"\\news\\c.WSC");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComPtr<CIEBrowserScriptlet> before(Form()->RunningScriptlet());
        ASSERT_TRUE(before);
        c.act();
        test::PumpPending();
        if (c.restarts) {
            EXPECT_TRUE(test::PumpUntil([&] { return Form()->RunningScriptlet() != before.get(); }, 3000));
        } else {
            test::PumpFor(1000);  // the watch has had its turns
            EXPECT_EQ(before.get(), Form()->RunningScriptlet());
        }
        EXPECT_EQ(kChecked, MarkOf(IDC_TREE_IE_WSC, MainItem(L"news\\c.WSC")));
        ASSERT_NO_FATAL_FAILURE(Navigate());
        EXPECT_EQ(running, AttachedEntries(Form()->Handle()));
    }
}

// Files that leave the script folders for a moment and come back (editors that save by
// rename, sync clients, checkouts) keep their marks: the folder watch writes no mark,
// a checked main script stops while away and runs again on its return.
TEST_F(BandFormTest, ScriptsThatLeaveAndComeBackKeepTheirMarksAndTheWatchWritesNone) {
    ASSERT_NO_FATAL_FAILURE(WriteSiteScript(L"\\a.WSC"));
    ASSERT_NO_FATAL_FAILURE(Show());
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    ClickCheckBox(IDC_TREE_URL_WSC, UrlItem(L"h.example.WSC"));
    // Saved once by the user's own hide, so that the registry holds the marks.
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    const std::string names[] = {test::ToAnsi(kMainTreeStateValueName), "\\a.WSC"};
    const auto saved = [&] {
        std::string both;
        for (const std::string& name : names) {
            const test::RegistryValue value = test::ReadProductValue(name.c_str());
            both += std::to_string(value.type) + ":" + value.bytes + "|";
        }
        return both;
    };
    // A save of the same marks writes the same bytes (which Wine does not even store):
    // held under another type, the values show a save by getting their own type back.
    for (const std::string& name : names) {
        const std::string bytes = test::ReadProductValue(name.c_str()).bytes;
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductValue(name.c_str(), REG_NONE, bytes.data(),
                                                         static_cast<DWORD>(bytes.size())));
    }
    const std::string savedBefore = saved();
    ASSERT_GT(savedBefore.size(), 20u);

    struct Case {
        const char* name;
        std::wstring path;
        std::function<bool()> away;
        std::function<bool()> back;
    };
    const Case cases[] = {
        {"the running main script", mainDirectory + L"\\a.WSC",
         [&] { return !MainItem(L"a.WSC") && AttachedEntries(Form()->Handle()).empty(); },
         [&] {
             return MainItem(L"a.WSC") && MarkOf(IDC_TREE_IE_WSC, MainItem(L"a.WSC")) == kChecked &&
                    AttachedEntries(Form()->Handle()).size() == 1;
         }},
        {"a checked URL script", GetUrlScriptDirectory() + L"\\a.WSC\\h.example.WSC", [&] { return !UrlItem(L"h.example.WSC"); },
         [&] { return UrlItem(L"h.example.WSC") && MarkOf(IDC_TREE_URL_WSC, UrlItem(L"h.example.WSC")) == kChecked; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring& path = c.path;
        const std::wstring aside = location.path() + L"\\aside.WSC";
        ASSERT_TRUE(::MoveFileW(path.c_str(), aside.c_str())) << ::GetLastError();
        EXPECT_TRUE(test::PumpUntil(c.away, 3000));
        test::PumpFor(500);
        EXPECT_EQ(savedBefore, saved()) << "the watch wrote the marks";
        ASSERT_TRUE(::MoveFileW(aside.c_str(), path.c_str())) << ::GetLastError();
        EXPECT_TRUE(test::PumpUntil(c.back, 3000));
        EXPECT_EQ(savedBefore, saved()) << "the watch wrote the marks";
    }
    // Back while a command runs (its box open, say): the watch looks again after it,
    // so the checked script shows and runs again.
    ASSERT_TRUE(::MoveFileW((mainDirectory + L"\\a.WSC").c_str(), (location.path() + L"\\aside.WSC").c_str()));
    ASSERT_TRUE(test::PumpUntil(cases[0].away, 3000));
    ASSERT_TRUE(::MoveFileW((location.path() + L"\\aside.WSC").c_str(), (mainDirectory + L"\\a.WSC").c_str()));
    ::SendMessageW(Form()->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DEL_URL_WSC, BN_CLICKED), 0);
    EXPECT_TRUE(test::PumpUntil(cases[0].back, 3000));

    // Away while the band is hidden and shown again: the marks are still saved.
    ASSERT_TRUE(::MoveFileW((mainDirectory + L"\\a.WSC").c_str(), (location.path() + L"\\aside.WSC").c_str()));
    ASSERT_TRUE(test::PumpUntil([&] { return !MainItem(L"a.WSC"); }, 3000));
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    ASSERT_TRUE(::MoveFileW((location.path() + L"\\aside.WSC").c_str(), (mainDirectory + L"\\a.WSC").c_str()));
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
    EXPECT_EQ(L"\\a.WSC", Form()->Store().GetCheckedMainScriptKey());
    ASSERT_NO_FATAL_FAILURE(Navigate());
    EXPECT_EQ((std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC", kSiteLabel}), AttachedEntries(Form()->Handle()));

    // Checking another script while the checked one is away leaves one checked script.
    ASSERT_TRUE(::MoveFileW((mainDirectory + L"\\a.WSC").c_str(), (location.path() + L"\\aside.WSC").c_str()));
    ASSERT_TRUE(test::PumpUntil([&] { return !MainItem(L"a.WSC"); }, 3000));
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"b.WSC"));
    ASSERT_TRUE(::MoveFileW((location.path() + L"\\aside.WSC").c_str(), (mainDirectory + L"\\a.WSC").c_str()));
    ASSERT_TRUE(test::PumpUntil([&] { return MainItem(L"a.WSC") != nullptr; }, 3000));
    EXPECT_EQ(kChecked - 1, MarkOf(IDC_TREE_IE_WSC, MainItem(L"a.WSC")));
    EXPECT_EQ(L"\\b.WSC", Form()->Store().GetCheckedMainScriptKey());
}

// A check change posted for an item that the trees lost before it was handled (the
// watch refilled them, or a command did in a script's modal loop) changes nothing:
// the handle may by then be another item's.
TEST_F(BandFormTest, ACheckChangePostedForAnItemDeletedMeanwhileIsIgnored) {
    ASSERT_NO_FATAL_FAILURE(Show());
    const ui::TreeView mainTree(Control(IDC_TREE_IE_WSC));
    ui::TreeView(Control(IDC_TREE_IE_WSC)).Expand(MainItem(L"news"), TVE_EXPAND);
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    struct Case {
        const char* name;
        const wchar_t* pressed;
        std::function<void()> meanwhile;
    };
    const Case cases[] = {
        {"the pressed script removed and the tree refilled", L"b.WSC",
         [&] {
             ASSERT_TRUE(::DeleteFileW((mainDirectory + L"\\b.WSC").c_str()));
             (void)Form()->Store().GetMainTree().Reload();
         }},
        {"the tree refilled as it was", L"news\\c.WSC", [&] { (void)Form()->Store().GetMainTree().Reload(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComPtr<CIEBrowserScriptlet> running(Form()->RunningScriptlet());
        ASSERT_TRUE(running);
        // Space on the script: the tree tells the form, which posts itself the change.
        mainTree.SelectItem(MainItem(c.pressed));
        ::SendMessageW(Control(IDC_TREE_IE_WSC), WM_KEYDOWN, VK_SPACE, 0x00390001);
        c.meanwhile();
        test::PumpFor(300);
        EXPECT_EQ(L"\\a.WSC", Form()->Store().GetCheckedMainScriptKey());
        EXPECT_EQ(1u, Form()->Store().GetMainTree().GetCheckedFiles().size());
        EXPECT_EQ(running.get(), Form()->RunningScriptlet());
    }
}

// A script's modal box lets the user act while the script attaches: hiding or closing
// the band then leaves nothing connected once the attach returns, and the mark stays.
TEST_F(BandFormTest, ABandHiddenOrClosedWhileItsScriptAttachesLeavesNothingRunning) {
    std::string text = test::ReadFileBytes(mainDirectory + L"\\a.WSC");
    const size_t end = text.rfind("]]>");
    ASSERT_NE(std::string::npos, end);
    text.insert(end, "function put_browser(b) { browser = b; b.Document.parentWindow.alert('attaching'); }\n");
    test::WriteFileBytes(mainDirectory + L"\\a.WSC", text);
    std::function<void()> meanwhile;
    browser->SetTranscriptListener([&](const std::wstring& line) {
        if (line == L"alert attaching" && meanwhile) std::exchange(meanwhile, nullptr)();
    });
    const auto nothingRuns = [&] {
        if (bar && Form()) {
            EXPECT_FALSE(Form()->RunningScriptlet());
            EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
        }
        const size_t mark = browser->GetTranscript().lines.size();
        ASSERT_NO_FATAL_FAILURE(Navigate());
        const auto& lines = browser->GetTranscript().lines;
        EXPECT_EQ(lines.end(), std::find(lines.begin() + static_cast<std::ptrdiff_t>(mark), lines.end(),
                                         L"alert main complete"));
    };
    ASSERT_NO_FATAL_FAILURE(Show());
    ASSERT_NO_FATAL_FAILURE(Navigate());

    meanwhile = [&] { EXPECT_EQ(S_OK, bar->ShowDW(FALSE)); };
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"), false);
    EXPECT_FALSE(meanwhile) << "the script did not attach";
    nothingRuns();
    ASSERT_EQ(S_OK, bar->ShowDW(TRUE));  // the mark was kept: it runs again
    test::PumpPending();
    EXPECT_EQ(kChecked, MarkOf(IDC_TREE_IE_WSC, MainItem(L"a.WSC")));
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC"}, AttachedEntries(Form()->Handle()));

    // Closed by the browser while the checked script attaches as the band is shown.
    ASSERT_EQ(S_OK, bar->ShowDW(FALSE));
    meanwhile = [&] { EXPECT_EQ(S_OK, bar->CloseDW(0)); };
    (void)bar->ShowDW(TRUE);
    test::PumpPending();
    EXPECT_FALSE(meanwhile);
    bar.reset();
    nothingRuns();
    browser->SetTranscriptListener(nullptr);
}

LRESULT CALLBACK CountDoubleClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR depth) {
    if (message != WM_LBUTTONDBLCLK) return ::DefSubclassProc(window, message, wParam, lParam);
    ++*reinterpret_cast<int*>(depth);
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    --*reinterpret_cast<int*>(depth);
    return result;
}

int doubleClicksInTree = 0;
int doubleClicksWhenOpened = -1;
HINSTANCE WINAPI RecordOpen(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
    doubleClicksWhenOpened = doubleClicksInTree;
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

// Modal loops that run where the form is in the middle of something: the watch does
// not restart the script inside the script's own event, and the shell opens a script
// after the tree's double-click notification, not inside it.
TEST_F(BandFormTest, TheWatchAndTheShellWaitUntilTheScriptAndTheTreeAreDone) {
    ASSERT_NO_FATAL_FAILURE(Show());
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    const ComPtr<CIEBrowserScriptlet> before(Form()->RunningScriptlet());
    ASSERT_TRUE(before);
    bool saved = false, restartedInside = false;
    browser->SetTranscriptListener([&](const std::wstring& line) {
        if (line != L"alert main complete" || std::exchange(saved, true)) return;
        WriteMainScript(L"\\a.WSC");  // saved anew while the script shows its box
        test::PumpFor(1500);
        restartedInside = Form()->RunningScriptlet() != before.get();
    });
    ASSERT_NO_FATAL_FAILURE(Navigate());
    browser->SetTranscriptListener(nullptr);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(restartedInside);
    EXPECT_TRUE(test::PumpUntil([&] { return Form()->RunningScriptlet() != before.get(); }, 3000))
        << "the saved script runs again once its event is over";

    const HWND tree = Control(IDC_TREE_IE_WSC);
    ASSERT_TRUE(::SetWindowSubclass(tree, CountDoubleClicks, 1, reinterpret_cast<DWORD_PTR>(&doubleClicksInTree)));
    Form()->Store().GetMainTree().SetShellExecute(RecordOpen);
    RECT label{};
    ASSERT_TRUE(ui::TreeView(tree).GetItemRect(MainItem(L"b.WSC"), label, true));
    ASSERT_TRUE(test::PostClickAt(tree, POINT{label.left + 4, (label.top + label.bottom) / 2}, true));
    EXPECT_TRUE(test::PumpUntil([] { return doubleClicksWhenOpened >= 0; }));
    EXPECT_EQ(0, doubleClicksWhenOpened);
    ::RemoveWindowSubclass(tree, CountDoubleClicks, 1);
}

// Each detach takes its own entry off the "Attached scripts:" list: not the first one
// that begins with the same text, nor one that differs in case only (the pages
// /News/ and /news/ of a site attach the same script under two names).
TEST_F(BandFormTest, TheAttachedListLosesExactlyTheEntryDetached) {
    ASSERT_NO_FATAL_FAILURE(Show());
    const std::wstring page = kWindowEventsId + L"\\h.example\\news\\index.html.WSC";
    const std::wstring upper = kWindowEventsId + L"\\h.example\\News\\index.html.WSC";
    struct Case {
        const char* name;
        std::vector<std::wstring> listed;
        std::wstring removed;
        std::vector<std::wstring> left;
    };
    const Case cases[] = {
        {"a longer entry that begins with it comes first", {page + L".old", page}, page, {page + L".old"}},
        {"an entry that differs in case comes first", {upper, page}, page, {upper}},
        {"the same entry twice", {page, page}, page, {page}},
        {"no such entry", {upper}, page, {upper}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::SendMessageW(Control(IDC_LIST_ATTACHED_WSC), LB_RESETCONTENT, 0, 0);
        for (const std::wstring& entry : c.listed) Form()->AddAttachedScript(entry);
        Form()->RemoveAttachedScript(c.removed);
        EXPECT_EQ(c.left, AttachedEntries(Form()->Handle()));
    }
}

// A shown window of this thread that is a hover box, not a tree's own tip.
BOOL CALLBACK FindShownHoverBox(HWND window, LPARAM found) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    const bool popup = (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0 &&
                       ::lstrcmpiW(className, TOOLTIPS_CLASSW) != 0;
    if (!popup || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The visible hover box's text after the pointer rested on the control; empty when
// none came up.
std::wstring HoverTextOf(HWND control) {
    if (!test::MovePointerTo(POINT{1, 1}) || !test::MovePointerTo(test::CentreOf(control))) return L"";
    HWND shown = nullptr;
    test::PumpUntil([&] {
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownHoverBox, reinterpret_cast<LPARAM>(&shown));
        return shown != nullptr;
    });
    return shown ? test::WindowText(shown) : L"";
}

// Every control says what it does when the pointer rests on it; New URL scripts names
// the pages it would make scripts for once the checked, selected script has seen some.
TEST_F(BandFormTest, HoverTextsNameEachControlAndNewUrlScriptsTheCollectedPagesALongKeyShowsItsEnd) {
    const std::wstring defaultNewUrl =
        ui::LoadResourceString(ui::CurrentModuleInstance(), IDC_BUTTON_NEW_URL_WSC);
    const std::wstring longKey = L"\\news\\a-script-whose-name-is-rather-long.WSC";  // 44 characters
    WriteMainScript(longKey);
    ASSERT_NO_FATAL_FAILURE(Show());
    ui::TreeView(Control(IDC_TREE_IE_WSC)).SelectItem(MainItem(longKey.substr(1)));
    test::PumpPending();
    wchar_t caption[80] = {};
    ::GetDlgItemTextW(Form()->Handle(), IDC_STATIC_URL_WSC_OWNER, caption, 80);
    EXPECT_EQ(L"for \"..." + longKey.substr(longKey.size() - 40) + L"\"", caption);  // the key's end names it
    // Each control's text is the string table's entry of its id (checked against its
    // golden dump in ScriptResourcesTest).
    for (int id : {IDC_TREE_IE_WSC, IDC_TREE_URL_WSC, IDC_BUTTON_NEW_IE_WSC,
                   IDC_BUTTON_DEL_IE_WSC, IDC_BUTTON_NEW_URL_WSC,
                   IDC_BUTTON_DEL_URL_WSC, IDC_BUTTON_ABOUT, IDC_BUTTON_HELP}) {
        const std::wstring text = ui::LoadResourceString(ui::CurrentModuleInstance(), id);
        ASSERT_FALSE(text.empty()) << id;
        EXPECT_EQ(text, HoverTextOf(Control(id))) << id;
    }

    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    EXPECT_FALSE(Enabled(IDC_BUTTON_NEW_URL_WSC));  // no page completed yet
    for (const wchar_t* page : {L"http://h.example/index.html", L"https://g.example/a/b.html"}) {
        browser->DescribePage({page, L"Page", {}, true});
        ASSERT_NO_FATAL_FAILURE(Navigate(page));
    }
    EXPECT_TRUE(Enabled(IDC_BUTTON_NEW_URL_WSC));
    EXPECT_EQ(L"Create URL script(s) for collected URL(s):\n\nhttp://h.example/index.html\n"
              L"https://g.example/a/b.html\n",
              HoverTextOf(Control(IDC_BUTTON_NEW_URL_WSC)));

    // Unchecked, the script no longer runs: the default text is back.
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    EXPECT_FALSE(Enabled(IDC_BUTTON_NEW_URL_WSC));
    EXPECT_EQ(defaultNewUrl, HoverTextOf(Control(IDC_BUTTON_NEW_URL_WSC)));
}

// Two browser frame windows of one process, each on its own thread with its own bar:
// each list shows only its own scripts, and closing one leaves the other following.
TEST_F(BandFormTest, EachFrameThreadsBarListsOnlyItsOwnScripts) {
    ASSERT_EQ(S_OK, test::WriteProductDword("LogErrors", 0));
    ASSERT_NO_FATAL_FAILURE(Show());
    ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
    ASSERT_EQ(1u, AttachedEntries(Form()->Handle()).size());
    Form()->Store().SaveState();

    HANDLE otherShown = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE firstClosed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::wstring> otherAtStart, otherAfterDetach, otherAfterReattach;
    std::thread other([&] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            Frame otherFrame;
            auto otherSite = test::MakeBandSite();
            otherSite->bandWindow = otherFrame.band;
            otherSite->browser = browser::CreateWebBrowser(otherFrame.frame);
            ComPtr<IDeskBand> otherBar = MakeBar();
            ComPtr<IObjectWithSite> withSite;
            if (otherBar && SUCCEEDED(otherBar.As(withSite)) &&
                SUCCEEDED(withSite->SetSite(static_cast<IOleWindow*>(otherSite.get())))) {
                (void)otherBar->ShowDW(TRUE);
                CConfigWSC2* form = BarObject(otherBar)->Form();
                otherAtStart = AttachedEntries(form->Handle());
                ::SetEvent(otherShown);
                ::WaitForSingleObject(firstClosed, 10000);
                form->AttachChecked(false);
                otherAfterDetach = AttachedEntries(form->Handle());
                form->AttachChecked(true);
                otherAfterReattach = AttachedEntries(form->Handle());
                (void)otherBar->CloseDW(0);
            } else {
                ::SetEvent(otherShown);
            }
        }
        ::CoUninitialize();
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(otherShown, 10000));
    // This thread's scriptlet attaches again after the other bar became its thread's.
    Form()->AttachChecked(false);
    EXPECT_TRUE(AttachedEntries(Form()->Handle()).empty());
    Form()->AttachChecked(true);
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC"}, AttachedEntries(Form()->Handle()));
    ASSERT_EQ(S_OK, bar->CloseDW(0));
    ::SetEvent(firstClosed);
    other.join();
    ::CloseHandle(otherShown);
    ::CloseHandle(firstClosed);
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC"}, otherAtStart);
    EXPECT_TRUE(otherAfterDetach.empty());
    EXPECT_EQ(std::vector<std::wstring>{kBrowserEventsId + L"\\a.WSC"}, otherAfterReattach);
}

// The browser closes a band in more than one order, and another bar of the thread may
// have become current meanwhile. Every order leaves no form, holds no site, leaves the
// other bar current and lets the DLL unload; so does a band whose form could not be made.
TEST_F(BandFormTest, EveryCloseOrderLetsGoOfTheFormTheSiteAndOnlyItsOwnCurrentBar) {
    enum Step { DestroyBand, CloseBand, DropSite };
    struct Case {
        const char* name;
        bool bandGoneBeforeSiting;  // the form cannot be made
        bool laterBar;              // another bar became current after this one
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"CloseDW, SetSite(NULL)", false, false, {CloseBand, DropSite}},
        {"CloseDW after a later bar", false, true, {CloseBand, DropSite}},
        {"band window destroyed, CloseDW, SetSite(NULL)", false, false, {DestroyBand, CloseBand, DropSite}},
        {"band window destroyed after a later bar", false, true, {DestroyBand, CloseBand, DropSite}},
        {"band window destroyed, SetSite(NULL) without CloseDW", false, false, {DestroyBand, DropSite}},
        {"SetSite(NULL) without CloseDW", false, false, {DropSite}},
        {"SetSite(NULL), then the band window destroyed", false, true, {DropSite, DestroyBand}},
        {"no form: CloseDW, SetSite(NULL)", true, false, {CloseBand, DropSite}},
        {"no form, a later bar: SetSite(NULL) only", true, true, {DropSite}},
    };
    const LONG locksBefore = test::ModuleLockCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND band = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 780, frame.frame, nullptr,
                                      nullptr, nullptr);
        ASSERT_TRUE(band);
        if (c.bandGoneBeforeSiting) ::DestroyWindow(band);
        site->bandWindow = band;
        bar = MakeBar();
        ComPtr<IObjectWithSite> withSite;
        ASSERT_EQ(S_OK, bar.As(withSite));
        if (c.bandGoneBeforeSiting) {
            EXPECT_EQ(E_FAIL, withSite->SetSite(static_cast<IOleWindow*>(site.get())));
            EXPECT_EQ(nullptr, Form());
            EXPECT_FALSE(GetPelmoraApp().GetCurrentBar()) << "the bar without a form was left current";
        } else {
            ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IOleWindow*>(site.get())));
            ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
            test::PumpPending();
            if (!Form()->RunningScriptlet()) ClickCheckBox(IDC_TREE_IE_WSC, MainItem(L"a.WSC"));
            ASSERT_TRUE(Form()->RunningScriptlet());
        }
        test::FakeBar later;
        if (c.laterBar) GetPelmoraApp().SetCurrentBar(&later);

        for (Step step : c.steps) {
            if (step == DestroyBand) ::DestroyWindow(band);
            if (step == CloseBand) {
                EXPECT_EQ(S_OK, bar->CloseDW(0));
            }
            if (step == DropSite) {
                EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
            }
            test::PumpPending();
            EXPECT_EQ(nullptr, Form()) << "after step " << step;
        }
        EXPECT_EQ(c.laterBar ? static_cast<IBarNotifications*>(&later) : nullptr,
                  GetPelmoraApp().GetCurrentBar().get());
        site->AddRef();
        EXPECT_EQ(1u, site->Release()) << "the site is still held";
        withSite.reset();
        bar.reset();
        EXPECT_EQ(locksBefore, test::ModuleLockCount());
        GetPelmoraApp().SetCurrentBar(nullptr);
        if (::IsWindow(band)) ::DestroyWindow(band);
    }
}

}  // namespace
}  // namespace pelmora
