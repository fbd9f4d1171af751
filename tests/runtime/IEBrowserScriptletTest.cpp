// The browser scriptlet and its window scriptlets end to end: a generated main script
// and generated, then edited, URL scripts run by the Wine script runtime against the
// browser stand-in, with the URL tree's marks saved and read back as the form does.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "browser/WebBrowser.h"
#include "component/FakeBar.h"
#include "component/PelmoraApp.h"
#include "LogCapture.h"
#include "framework/com/Bstr.h"
#include "framework/ui/TreeView.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/EventTestSupport.h"
#include "runtime/IEBrowserScriptlet.h"
#include "runtime/ScriptEditing.h"
#include "state/StateStorage.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

using Lines = std::vector<std::wstring>;

constexpr wchar_t kStateName[] = L"\\tests\\scriptlets\\main.WSC";
constexpr int kChecked = 4;
const std::wstring kSiteLabel = test::kWindowEventsId + L"\\h.example.WSC";
const std::wstring kPageLabel = test::kWindowEventsId + L"\\h.example\\news\\index.html.WSC";
const wchar_t kNewsPage[] = L"http://h.example/news/index.html";

class BrowserScriptletTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING));
        GetPelmoraApp().SetCurrentBar(&bar);
        ASSERT_TRUE(host.Open()) << ::GetLastError();
        tree = host.AddTree(300, {5, 5, 340, 400});
        ASSERT_TRUE(tree);

        test::WriteGeneratedScript(
            test::LoadBrowserEventsTypeInfo(), L"browser", root / L"main.WSC",
            {{"DocumentComplete", "browser.Document.parentWindow.alert('main DocumentComplete ' + Params.URL);"}});
        urlDirectory = root / L"urls";
        for (const wchar_t* folder : {L"", L"\\h.example", L"\\h.example\\news"})
            ASSERT_TRUE(::CreateDirectoryW((urlDirectory + folder).c_str(), nullptr));
        WriteUrlScript(L"h.example.WSC", "site");
        WriteUrlScript(L"h.example\\news\\index.html.WSC", "page");
        WriteUrlScript(L"h.example\\other.html.WSC", "other");
        WriteUrlScript(L"h.example\\news.WSC", "folder");
        WriteUrlScript(L".WSC", "hostless");
        browser->DescribePage({L"http://h.example/framed.html", L"Framed", {kNewsPage}, true});
        browser->DescribePage({L"http://h.example/picture.png", L"picture.png", {}, false});
    }
    void TearDown() override { GetPelmoraApp().SetCurrentBar(nullptr); }

    // A URL script that announces its onload and onunload through the window.
    void WriteUrlScript(const std::wstring& name, const std::string& tag) {
        test::WriteGeneratedScript(test::LoadWindowEventsTypeInfo(), L"window", urlDirectory + L"\\" + name,
                                   {{"onload", "window.alert('" + tag + " onload ' + window.location.href);"},
                                    {"onunload", "window.alert('" + tag + " onunload');"}});
    }

    // Checks the scripts in one model, saves the marks, and reads them into urlTree as
    // the form does when it shows the main script's URL scripts.
    void CheckUrlScripts(const std::vector<std::wstring>& paths) {
        {
            CFileBrowser marking(kStateName);
            ASSERT_EQ(S_OK, marking.Load(tree, urlDirectory));
            for (const std::wstring& path : paths) {
                const HTREEITEM item = marking.FindItemByPath(nullptr, path);
                ASSERT_TRUE(item) << win::WideToAnsi(path);
                marking.ChangeCheck(item, kChecked, false);
            }
            marking.SaveState();
            marking.Clear();
        }
        ASSERT_EQ(S_OK, urlTree->Load(tree, urlDirectory));
    }

    com::ComPtr<CIEBrowserScriptlet> AttachMainScript(std::shared_ptr<const IUrlScriptTree> model) {
        com::ComPtr<CIEBrowserScriptlet> scriptlet(new CIEBrowserScriptlet(model, root.path(), L"\\main.WSC"));
        EXPECT_EQ(S_OK, scriptlet->Attach(static_cast<IWebBrowser2*>(browser.get())));
        bar.events.clear();
        return scriptlet;
    }

    HRESULT Navigate(const wchar_t* url) {
        com::Bstr text(url);
        return browser->Navigate(text.get(), nullptr, nullptr, nullptr, nullptr);
    }

    // The transcript lines recorded from here on.
    size_t Mark() const { return browser->GetTranscript().lines.size(); }
    Lines Since(size_t mark) const {
        const Lines& lines = browser->GetTranscript().lines;
        return Lines(lines.begin() + static_cast<std::ptrdiff_t>(std::min(mark, lines.size())), lines.end());
    }
    static bool Contains(const Lines& lines, const std::wstring& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static Lines Hrefs(const CollectedLocations& locations) {
        Lines hrefs;
        for (const auto& location : locations) hrefs.push_back(location->GetHref());
        return hrefs;
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;  // the default script folder keeps no log of these tests
    test::TempDir root;
    test::FakeBar bar;
    test::ScriptTreeHost host;
    HWND tree = nullptr;
    std::wstring urlDirectory;
    std::shared_ptr<CFileBrowser> urlTree = std::make_shared<CFileBrowser>(kStateName);
    com::ComPtr<browser::WebBrowser> browser = browser::CreateWebBrowser();
};

TEST_F(BrowserScriptletTest, CheckedSiteAndPageScriptsAttachSiteFirstHearTheWindowAndLeaveBeforeTheirUnload) {
    CheckUrlScripts({L"h.example.WSC", L"h.example\\news\\index.html.WSC"});
    auto main = AttachMainScript(urlTree);

    ASSERT_EQ(S_OK, Navigate(kNewsPage));
    EXPECT_EQ((Lines{L"attached " + kSiteLabel, L"attached " + kPageLabel, L"locations collected"}), bar.events);
    EXPECT_EQ(2u, main->GetWindowScriptletCount());
    EXPECT_EQ(L"alert main DocumentComplete http://h.example/news/index.html", browser->GetTranscript().lines.back());

    // The page's own onload came before DocumentComplete; a later one reaches both scripts.
    size_t mark = Mark();
    browser->CurrentWindow()->FireOnload();
    EXPECT_EQ((Lines{L"onload http://h.example/news/index.html", L"alert site onload http://h.example/news/index.html",
                     L"alert page onload http://h.example/news/index.html"}),
              Since(mark));

    // The next page unloads the window: both scripts are detached, then hear onunload.
    bar.events.clear();
    mark = Mark();
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/other.html"));
    const Lines unloadAndNext = Since(mark);
    ASSERT_GE(unloadAndNext.size(), 4u);
    EXPECT_EQ((Lines{L"onunload http://h.example/news/index.html", L"alert site onunload", L"alert page onunload"}),
              Lines(unloadAndNext.begin() + 1, unloadAndNext.begin() + 4));
    EXPECT_FALSE(Contains(unloadAndNext, L"alert other onload http://h.example/other.html"));
    // The site script comes back for the new window; the unchecked page script never attaches.
    EXPECT_EQ((Lines{L"detached " + kSiteLabel, L"detached " + kPageLabel, L"attached " + kSiteLabel,
                     L"locations collected"}),
              bar.events);
    EXPECT_EQ(1u, main->GetWindowScriptletCount());
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, FramesGetTheirOwnWindowScriptletsAndAFolderPageRunsTheFoldersScript) {
    CheckUrlScripts({L"h.example\\news\\index.html.WSC", L"h.example\\news.WSC"});
    auto main = AttachMainScript(urlTree);

    ASSERT_EQ(S_OK, Navigate(L"http://h.example/framed.html"));
    EXPECT_EQ((Lines{L"attached " + kPageLabel, L"locations collected", L"locations collected"}), bar.events);
    size_t mark = Mark();
    browser->Frames()[0]->CurrentWindow()->FireOnload();
    browser->CurrentWindow()->FireOnload();
    EXPECT_EQ((Lines{L"onload http://h.example/news/index.html", L"alert page onload http://h.example/news/index.html",
                     L"onload http://h.example/framed.html"}),
              Since(mark));

    // /news/ names the page script h.example/news/.WSC, which is the file h.example\news.WSC.
    bar.events.clear();
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/news/"));
    EXPECT_EQ((Lines{L"detached " + kPageLabel, L"attached " + test::kWindowEventsId + L"\\h.example\\news.WSC",
                     L"locations collected"}),
              bar.events);
    mark = Mark();
    browser->CurrentWindow()->FireOnload();
    EXPECT_TRUE(Contains(Since(mark), L"alert folder onload http://h.example/news/"));
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, LocationsAreCollectedOncePerHrefInOrdinalOrderAndSnapshotsStayAsTaken) {
    auto main = AttachMainScript(nullptr);  // no URL tree: collected all the same, nothing attached
    for (const wchar_t* url : {L"http://h.example/a.html", L"http://h.example/B.html", L"http://h.example/a",
                               L"http://h.example/a.html"})
        ASSERT_EQ(S_OK, Navigate(url));
    const Lines expected = {L"http://h.example/B.html", L"http://h.example/a", L"http://h.example/a.html"};
    EXPECT_EQ(3u, main->GetCollectedCount());
    const auto snapshot = main->GetCollectedLocations();
    EXPECT_EQ(expected, Hrefs(*snapshot));
    EXPECT_EQ(4, std::count(bar.events.begin(), bar.events.end(), L"locations collected"));
    EXPECT_EQ(4u, bar.events.size());
    EXPECT_EQ(0u, main->GetWindowScriptletCount());

    // The same page again collects nothing new; a new one leaves the snapshot alone.
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/framed.html"));
    EXPECT_EQ(5u, main->GetCollectedCount());  // the frame's page and the top page
    EXPECT_EQ(expected, Hrefs(*snapshot));
    EXPECT_EQ(*snapshot->begin(), *main->GetCollectedLocations()->begin());  // shared, not copied
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, NonHtmlDocumentLogsAWarningAndCollectsNothing) {
    CheckUrlScripts({L"h.example.WSC"});
    auto main = AttachMainScript(urlTree);
    const test::LogCapture pictureLog;
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/picture.png"));
    const std::string added = pictureLog.Added();
    EXPECT_NE(std::string::npos, added.find("Not an HTML document, only HTML resources supported. in "
                                            "CIEBrowserScriptlet::OnDocumentComplete at IEBrowserScriptlet"))
        << added;
    EXPECT_NE(std::string::npos, added.find("<WARNING(1)>")) << added;
    EXPECT_EQ(0u, main->GetCollectedCount());
    EXPECT_EQ(0u, main->GetWindowScriptletCount());
    EXPECT_TRUE(bar.events.empty());
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, ReleasingTheBrowserScriptletDetachesEveryWindowScriptlet) {
    CheckUrlScripts({L"h.example.WSC", L"h.example\\news\\index.html.WSC"});
    auto main = AttachMainScript(urlTree);
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/framed.html"));
    ASSERT_EQ(3u, main->GetWindowScriptletCount());  // site and page on the frame, site on the top

    bar.events.clear();
    EXPECT_EQ(S_OK, main->Detach());
    const LONG locksWithScriptlets = test::ModuleLockCount();
    main.reset();
    EXPECT_EQ((Lines{L"detached " + test::kBrowserEventsId + L"\\main.WSC", L"detached " + kSiteLabel,
                     L"detached " + kPageLabel, L"detached " + kSiteLabel}),
              bar.events);
    // The browser scriptlet and its three window scriptlets are gone (Params objects the
    // script engine still holds are not theirs).
    EXPECT_EQ(locksWithScriptlets - 4, test::ModuleLockCount());

    // The windows' later unload reaches none of them.
    const size_t mark = Mark();
    ASSERT_EQ(S_OK, Navigate(L"http://h.example/other.html"));
    const Lines after = Since(mark);
    EXPECT_TRUE(Contains(after, L"onunload http://h.example/framed.html"));
    EXPECT_FALSE(Contains(after, L"alert site onunload"));
    EXPECT_FALSE(Contains(after, L"alert page onunload"));
}

TEST_F(BrowserScriptletTest, NoScriptIsAttachedByANameAWebSiteCouldMisuse) {
    // A saved mark for a script named ".WSC" (the tree never lists such a file) would
    // otherwise run it in every page without a host.
    CheckUrlScripts({L"h.example.WSC"});
    {
        CRootStorage saved(kStateName);
        saved.Load();
        ASSERT_TRUE(saved.SetValue(L"\\.WSC", ui::StateImageBits(kChecked)));
        ASSERT_TRUE(saved.SetValue(L"\\h.example\\con.html.WSC", ui::StateImageBits(kChecked)));
        ASSERT_TRUE(saved.Save());
    }
    urlTree->Clear();
    ASSERT_EQ(S_OK, urlTree->Load(tree, urlDirectory));
    ASSERT_TRUE(urlTree->IsScriptChecked(L"\\.WSC"));
    auto main = AttachMainScript(urlTree);
    ASSERT_EQ(S_OK, Navigate(L"file:///C:/pages/a.html"));
    ASSERT_EQ(1u, main->GetCollectedCount());
    EXPECT_EQ(L"", (*main->GetCollectedLocations()->begin())->GetHostName());
    EXPECT_EQ((Lines{L"locations collected"}), bar.events);
    EXPECT_EQ(0u, main->GetWindowScriptletCount());
    // Each checked one refused says so once; the unchecked device name aux says nothing.
    const test::LogCapture refusals;
    for (const wchar_t* url : {L"file:///C:/pages/b.html", L"http://h.example/con.html", L"http://h.example/aux.html"})
        ASSERT_EQ(S_OK, Navigate(url));
    const std::string added = refusals.Added();
    EXPECT_EQ(1u, test::CountOf(added, "Unusable URL script name (\\.WSC). in CIEBrowserScriptlet::OnDocumentComplete "
                                       "at IEBrowserScriptlet")) << added;
    EXPECT_EQ(1u, test::CountOf(added, "Unusable URL script name (\\h.example\\con.html.WSC).")) << added;
    EXPECT_EQ(2u, test::CountOf(added, "Unusable URL script name")) << added;
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, DocumentCompleteWithoutAnObjectArgumentStillReachesTheScript) {
    CheckUrlScripts({L"h.example.WSC"});
    auto main = AttachMainScript(urlTree);
    ASSERT_EQ(S_OK, Navigate(kNewsPage));
    const size_t collected = main->GetCollectedCount();
    const size_t attached = main->GetWindowScriptletCount();

    // A number where pDisp belongs, then only the URL with the browser beyond cArgs.
    com::Bstr url(L"http://odd/");
    VARIANT arguments[2];
    arguments[0].vt = VT_BSTR;
    arguments[0].bstrVal = url.get();
    arguments[1].vt = VT_I4;
    arguments[1].lVal = 7;
    DISPPARAMS numberForObject{arguments, nullptr, 2, 0};
    const size_t mark = Mark();
    EXPECT_EQ(S_OK, main->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &numberForObject, nullptr,
                                 nullptr, nullptr));
    EXPECT_EQ((Lines{L"alert main DocumentComplete http://odd/"}), Since(mark));
    arguments[1].vt = VT_DISPATCH;
    arguments[1].pdispVal = static_cast<IWebBrowser2*>(browser.get());
    DISPPARAMS oneArgument{arguments, nullptr, 1, 0};
    (void)main->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &oneArgument, nullptr, nullptr,
                       nullptr);
    EXPECT_EQ(collected, main->GetCollectedCount());
    EXPECT_EQ(attached, main->GetWindowScriptletCount());
    EXPECT_EQ(S_OK, main->Detach());
}

TEST_F(BrowserScriptletTest, UrlTreeLetGoByTheFormStillAnswersTheRunningScriptlet) {
    CheckUrlScripts({L"h.example.WSC"});
    auto main = AttachMainScript(urlTree);
    const std::weak_ptr<CFileBrowser> model = urlTree;
    urlTree.reset();  // the form and its script store are gone, the scriptlet not yet
    ASSERT_EQ(S_OK, Navigate(kNewsPage));
    EXPECT_EQ((Lines{L"attached " + kSiteLabel, L"locations collected"}), bar.events);
    EXPECT_FALSE(model.expired());
    EXPECT_EQ(S_OK, main->Detach());
    main.reset();
    EXPECT_TRUE(model.expired()) << "the scriptlet's share goes with it";
}

TEST_F(BrowserScriptletTest, MainScriptCancellingBeforeNavigate2KeepsTheBrowserWhereItWas) {
    test::WriteGeneratedScript(test::LoadBrowserEventsTypeInfo(), L"browser", root / L"main.WSC",
                               {{"BeforeNavigate2", "Params.Cancel = Params.URL.indexOf('blocked') >= 0;"}});
    auto main = AttachMainScript(urlTree);
    ASSERT_EQ(S_OK, Navigate(kNewsPage));
    browser->DescribePage({L"http://h.example/blocked.html", L"Blocked", {}, true});
    Navigate(L"http://h.example/blocked.html");
    com::Bstr location;
    ASSERT_EQ(S_OK, browser->get_LocationURL(location.put()));
    EXPECT_EQ(kNewsPage, location.str());
    EXPECT_EQ(1u, main->GetCollectedCount());
    EXPECT_EQ(S_OK, main->Detach());
}

}  // namespace
}  // namespace pelmora
