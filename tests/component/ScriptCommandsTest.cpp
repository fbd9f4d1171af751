// The form's script commands in a band of a frame, driven as a user drives them: the
// Delete and New buttons clicked, the form's own question and the shell's
// confirmations answered from a second thread, check boxes clicked, scripts
// double-clicked; then the disk, the registry and the trees are read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "component/BandSite.h"
#include "component/IEBar.h"
#include "framework/com/Bstr.h"
#include "framework/ui/ModalDialogDriver.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "library/ScriptletCode.h"
#include "runtime/EventTestSupport.h"
#include "ui/ConfigWSC2.h"
#include "ui/CreateWScriptDlg.h"
#include "ui/TreeDriving.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

using com::ComPtr;

constexpr wchar_t kDeleteScripts[] = L"Delete scripts";

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool StateValueExists(const std::wstring& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool found = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

class ScriptCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductString("ScriptLocation", REG_SZ, test::ToAnsi(location.path())));
        mainDirectory = GetMainScriptDirectory();
        urlDirectory = GetUrlScriptDirectory();
        frame = ::CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, 20, 20, 520, 820, nullptr, nullptr,
                                  nullptr, nullptr);
        band = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 780, frame, nullptr, nullptr,
                                 nullptr);
        ASSERT_TRUE(frame && band) << ::GetLastError();
        browser = browser::CreateWebBrowser(frame);
        site->bandWindow = band;
        site->browser = browser;
        ::SetForegroundWindow(frame);
    }
    void TearDown() override {
        if (bar) (void)bar->CloseDW(0);
        bar.reset();
        ::DestroyWindow(frame);
    }

    void WriteMainScript(const std::wstring& name) {
        const auto events = test::LoadBrowserEventsTypeInfo();
        ASSERT_TRUE(events);
        CScriptletCode code(events.get());
        code.AddProperty(L"browser");
        ASSERT_EQ(S_OK, code.Save(mainDirectory + name));
    }
    // A URL script of main script key (a file the tree lists; its text does not matter).
    void WriteUrlScript(const std::wstring& key, const std::wstring& path) {
        const std::wstring full = urlDirectory + key + L"\\" + path;
        ::CreateDirectoryW((urlDirectory + key).c_str(), nullptr);
        for (size_t at = (urlDirectory + key).size() + 1; (at = full.find(L'\\', at)) != std::wstring::npos; ++at)
            ::CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
        test::WriteFileBytes(full, "<?XML version=\"1.0\"?>\r\n");
        ASSERT_TRUE(test::FileExists(full));
    }

    void Show() {
        ASSERT_EQ(S_OK, CreateIEBar(nullptr, IID_IDeskBand, bar.put_void()));
        ComPtr<IObjectWithSite> withSite;
        ASSERT_EQ(S_OK, bar.As(withSite));
        ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IOleWindow*>(site.get()))) << ::GetLastError();
        ASSERT_TRUE(Form());
        ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
        test::PumpPending();
    }
    CConfigWSC2* Form() const { return static_cast<CIEBar*>(bar.get())->Form(); }
    HWND Control(int id) const { return ::GetDlgItem(Form()->Handle(), id); }
    HWND MainTree() const { return Control(IDC_TREE_IE_WSC); }
    HWND UrlTree() const { return Control(IDC_TREE_URL_WSC); }
    std::wstring Outline(HWND tree) const { return test::TreeOutline(tree); }

    void Select(HWND tree, const std::wstring& path) {
        const HTREEITEM item = test::FindTreePath(tree, path, L'\\');
        ASSERT_TRUE(item) << test::ToAnsi(path);
        ui::TreeView(tree).SelectItem(item);
        test::PumpPending();
    }
    void ClickCheckBox(HWND tree, const std::wstring& path) {
        const HTREEITEM item = test::FindTreePath(tree, path, L'\\');
        ASSERT_TRUE(item) << test::ToAnsi(path);
        POINT point{};
        ASSERT_TRUE(test::StateIconPoint(tree, item, point));
        ASSERT_TRUE(test::PostClickAt(tree, point));
        const int before = test::TreeItemMarkIndex(tree, item);
        ASSERT_TRUE(test::PumpUntil([&] { return test::TreeItemMarkIndex(tree, item) != before; }));
        test::PumpFor(100);
    }
    // Clicks the button as the user does, answering the dialogs it opens in order;
    // the captions of every dialog seen ("(cancelled)" after one that was not expected).
    std::vector<std::wstring> ClickAnswering(int button, std::vector<test::ExpectedDialog> answers) {
        test::DialogSequence sequence(std::move(answers));
        ::SendMessageW(Control(button), BM_CLICK, 0, 0);
        test::PumpPending();
        sequence.Finish();
        seen = sequence.Seen();
        return sequence.Captions();
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir location;
    std::wstring mainDirectory, urlDirectory;
    HWND frame = nullptr, band = nullptr;
    ComPtr<browser::WebBrowser> browser;
    ComPtr<test::BandSite> site = test::MakeBandSite();
    ComPtr<IDeskBand> bar;
    std::vector<test::SeenDialog> seen;
};

TEST_F(ScriptCommandsTest, DeletingAMainScriptTakesItsUrlScriptsOnlyOnceTheScriptIsGone) {
    const std::wstring yes = L"Confirm file deletion";
    struct Case {
        const char* what;
        std::vector<test::ExpectedDialog> answers;
        std::vector<std::wstring> captions;
        bool scriptGone, urlScriptsGone;
    };
    const Case cases[] = {
        {"No to the form's question", {{kDeleteScripts, test::PressButton(IDNO)}}, {kDeleteScripts}, false, false},
        {"the shell's question about the script cancelled",
         {{kDeleteScripts, test::PressButton(IDYES)}, {yes, test::PressButton(IDNO)}},
         {kDeleteScripts, yes},
         false,
         false},
        {"the URL-script folder kept",
         {{kDeleteScripts, test::PressButton(IDYES)}, {yes, test::PressButton(IDYES)}, {L"Confirm folder deletion", test::PressButton(IDNO)}},
         {kDeleteScripts, yes, L"Confirm folder deletion"},
         true,
         false},
        {"everything confirmed",
         {{kDeleteScripts, test::PressButton(IDYES)}, {yes, test::PressButton(IDYES)}, {L"Confirm folder deletion", test::PressButton(IDYES)}},
         {kDeleteScripts, yes, L"Confirm folder deletion"},
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMainScript(L"\\a.WSC");
        WriteMainScript(L"\\b.WSC");
        WriteUrlScript(L"\\a.WSC", L"h.example\\index.html.WSC");
        WriteUrlScript(L"\\a.WSC", L"g.example.WSC");
        ASSERT_NO_FATAL_FAILURE(Show());
        // A mark in a's URL tree, saved when another main script is selected.
        Select(MainTree(), L"a.WSC");
        ClickCheckBox(UrlTree(), L"g.example.WSC");
        Select(MainTree(), L"b.WSC");
        ASSERT_TRUE(StateValueExists(L"\\a.WSC"));
        Select(MainTree(), L"a.WSC");
        ASSERT_EQ(Outline(UrlTree()), L"g.example.WSC:4 h.example:1[index.html.WSC:3]");

        // The shell's captions tell the script's file from the URL-script folder: the
        // file is asked about first, the folder only once the file is gone.
        EXPECT_EQ(ClickAnswering(IDC_BUTTON_DEL_IE_WSC, c.answers), c.captions);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0].texts,
                      L"All subscripts associated with the browser main script also will be deleted.\n"
                      L"Do you still want to delete \"\\a.WSC\" ?");
        }

        EXPECT_EQ(Exists(mainDirectory + L"\\a.WSC"), !c.scriptGone);
        EXPECT_EQ(Exists(urlDirectory + L"\\a.WSC\\g.example.WSC"), !c.urlScriptsGone);
        EXPECT_EQ(StateValueExists(L"\\a.WSC"), !c.urlScriptsGone) << "the marks go with the URL scripts";
        EXPECT_TRUE(Exists(mainDirectory + L"\\b.WSC"));
        const bool asked = c.captions.size() > 1;
        EXPECT_EQ(Outline(MainTree()), c.scriptGone ? L"b.WSC:3" : L"a.WSC:3 b.WSC:3");
        if (asked) {
            // Reloaded from disk: nothing selected, so no URL scripts are shown.
            EXPECT_EQ(Outline(UrlTree()), L"");
            EXPECT_FALSE(::IsWindowEnabled(Control(IDC_BUTTON_DEL_IE_WSC)));
            EXPECT_FALSE(::IsWindowEnabled(Control(IDC_BUTTON_DEL_URL_WSC)));
        }
        if (!c.urlScriptsGone) {
            // What was kept keeps its marks.
            Select(MainTree(), c.scriptGone ? L"b.WSC" : L"a.WSC");
            if (!c.scriptGone) {
                EXPECT_EQ(Outline(UrlTree()), L"g.example.WSC:4 h.example:1[index.html.WSC:3]");
            }
        }
        ASSERT_EQ(S_OK, bar->CloseDW(0));
        bar.reset();
        test::RemoveTree(mainDirectory);
        test::RemoveTree(urlDirectory);
        ::CreateDirectoryW(mainDirectory.c_str(), nullptr);
        ::CreateDirectoryW(urlDirectory.c_str(), nullptr);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, test::kProductKeyForTests, L"\\a.WSC");
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, test::kProductKeyForTests, L"\\b.WSC");
    }
}

TEST_F(ScriptCommandsTest, AMainScriptWithoutUrlScriptsIsAskedAboutOnlyByTheShellAndACheckedOneNotAtAll) {
    WriteMainScript(L"\\a.WSC");
    WriteMainScript(L"\\b.WSC");
    ASSERT_NO_FATAL_FAILURE(Show());
    Select(MainTree(), L"b.WSC");  // the store makes its empty URL-script folder
    ASSERT_TRUE(Exists(urlDirectory + L"\\b.WSC"));
    EXPECT_EQ(ClickAnswering(IDC_BUTTON_DEL_IE_WSC,
                             {{L"Confirm file deletion", test::PressButton(IDYES)}}),
              std::vector<std::wstring>{L"Confirm file deletion"});
    EXPECT_FALSE(Exists(mainDirectory + L"\\b.WSC"));
    EXPECT_TRUE(Exists(urlDirectory + L"\\b.WSC")) << "left alone without URL scripts";
    EXPECT_EQ(Outline(MainTree()), L"a.WSC:3");

    // A checked script is not deleted and nobody is asked, even when the command runs.
    ClickCheckBox(MainTree(), L"a.WSC");
    Select(MainTree(), L"a.WSC");
    EXPECT_FALSE(::IsWindowEnabled(Control(IDC_BUTTON_DEL_IE_WSC)));
    test::DialogSequence none({}, 1000);
    ::SendMessageW(Form()->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DEL_IE_WSC, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(IDC_BUTTON_DEL_IE_WSC)));
    test::PumpFor(300);
    none.Finish();
    EXPECT_TRUE(none.Seen().empty());
    EXPECT_TRUE(Exists(mainDirectory + L"\\a.WSC"));
}

TEST_F(ScriptCommandsTest, DeletingAUrlScriptOrFolderGoesThroughTheShellAndLeavesMarkedItems) {
    struct Case {
        const char* what;
        const wchar_t* selected;
        std::vector<test::ExpectedDialog> answers;
        size_t dialogs;
        const wchar_t* outline;  // tree 208 afterwards
    };
    const std::wstring before = L"g.example.WSC:4 h.example:1[index.html.WSC:3 news:1[a.html.WSC:3]] k.example.WSC:3";
    const Case cases[] = {
        {"a script, confirmed", L"k.example.WSC", {{L"Confirm file deletion", test::PressButton(IDYES)}}, 1,
         L"g.example.WSC:4 h.example:1[index.html.WSC:3 news:1[a.html.WSC:3]]"},
        {"a script, refused", L"k.example.WSC", {{L"Confirm file deletion", test::PressButton(IDNO)}}, 1,
         before.c_str()},
        {"a folder with all it holds", L"h.example", {{L"Confirm folder deletion", test::PressButton(IDYES)}}, 1,
         L"g.example.WSC:4 k.example.WSC:3"},
        {"a checked script", L"g.example.WSC", {}, 0, before.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMainScript(L"\\a.WSC");
        for (const wchar_t* path : {L"h.example\\index.html.WSC", L"h.example\\news\\a.html.WSC", L"g.example.WSC",
                                    L"k.example.WSC"}) {
            WriteUrlScript(L"\\a.WSC", path);
        }
        ASSERT_NO_FATAL_FAILURE(Show());
        Select(MainTree(), L"a.WSC");
        ClickCheckBox(UrlTree(), L"g.example.WSC");
        ASSERT_EQ(Outline(UrlTree()), before);
        Select(UrlTree(), c.selected);
        const std::vector<std::wstring> captions = ClickAnswering(IDC_BUTTON_DEL_URL_WSC, c.answers);
        EXPECT_EQ(captions.size(), c.dialogs);
        for (const std::wstring& caption : captions) EXPECT_EQ(caption.find(L"cancelled"), std::wstring::npos);
        EXPECT_EQ(Outline(UrlTree()), c.outline);
        ASSERT_EQ(S_OK, bar->CloseDW(0));
        bar.reset();
        test::RemoveTree(urlDirectory + L"\\a.WSC");
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, test::kProductKeyForTests, L"\\a.WSC");
    }
}

TEST_F(ScriptCommandsTest, NewUrlScriptsAppearUncheckedAndTheUsersMarksStay) {
    WriteMainScript(L"\\a.WSC");
    WriteUrlScript(L"\\a.WSC", L"old.example.WSC");
    ASSERT_NO_FATAL_FAILURE(Show());
    ClickCheckBox(MainTree(), L"a.WSC");
    Select(MainTree(), L"a.WSC");
    ASSERT_TRUE(Form()->RunningScriptlet());
    ClickCheckBox(UrlTree(), L"old.example.WSC");
    EXPECT_FALSE(::IsWindowEnabled(Control(IDC_BUTTON_NEW_URL_WSC))) << "nothing collected yet";
    for (const wchar_t* url : {L"http://h.example/news/index.html", L"http://h.example/"}) {
        browser->DescribePage({url, L"Page", {}, true});
        com::Bstr target(url);
        ASSERT_EQ(S_OK, browser->Navigate(target.get(), nullptr, nullptr, nullptr, nullptr));
        test::PumpPending();
    }
    ASSERT_TRUE(::IsWindowEnabled(Control(IDC_BUTTON_NEW_URL_WSC)));

    std::wstring offered;
    const auto captions = ClickAnswering(
        IDC_BUTTON_NEW_URL_WSC,
        {{L"Add scripts for \"\\a.WSC\"", [&](HWND dialog) {
              const HWND tree = ::GetDlgItem(dialog, IDC_TREE_ADD_URL);
              test::WaitUntil([&] { return !test::TreeOutline(tree).empty(); });
              offered = test::TreeOutline(tree);
              ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
          }}});
    EXPECT_EQ(captions, std::vector<std::wstring>{L"Add scripts for \"\\a.WSC\""});
    EXPECT_EQ(offered, L"h.example:2[news:2[index.html:4]]");
    EXPECT_TRUE(test::FileExists(urlDirectory + L"\\a.WSC\\h.example\\news\\index.html.WSC"));
    EXPECT_EQ(Outline(UrlTree()), L"h.example:1[news:1[index.html.WSC:3]] old.example.WSC:4");

    // Cancel creates nothing and leaves the tree as it is.
    ClickAnswering(IDC_BUTTON_NEW_URL_WSC,
                   {{L"Add scripts for \"\\a.WSC\"", test::PressButton(IDCANCEL)}});
    EXPECT_EQ(Outline(UrlTree()), L"h.example:1[news:1[index.html.WSC:3]] old.example.WSC:4");
}

TEST_F(ScriptCommandsTest, DoubleClickOpensAScriptInTheAssociatedEditorWithoutActivatingIt) {
    WriteMainScript(L"\\a.WSC");
    ::CreateDirectoryW((mainDirectory + L"\\news").c_str(), nullptr);
    WriteMainScript(L"\\news\\b.WSC");
    WriteUrlScript(L"\\a.WSC", L"h.example\\index.html.WSC");
    test::TempDir records;
    const std::wstring record = records / L"opened.txt";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"PELMORA_OPEN_RECORD", record.c_str()));
    ASSERT_NO_FATAL_FAILURE(Show());
    Select(MainTree(), L"a.WSC");
    ui::TreeView(MainTree()).Expand(test::FindTreePath(MainTree(), L"news", L'\\'), TVE_EXPAND);
    ui::TreeView(UrlTree()).Expand(test::FindTreePath(UrlTree(), L"h.example", L'\\'), TVE_EXPAND);
    test::PumpPending();

    struct Case {
        const char* what;
        HWND tree;
        const wchar_t* path;
        std::wstring opened;  // empty: nothing
    };
    const Case cases[] = {
        // The URL tree first: a double-click selects, and another main script shows others.
        {"URL script", UrlTree(), L"h.example\\index.html.WSC", urlDirectory + L"\\a.WSC\\h.example\\index.html.WSC"},
        {"site folder", UrlTree(), L"h.example", L""},
        {"main script", MainTree(), L"news\\b.WSC", mainDirectory + L"\\news\\b.WSC"},
        {"folder", MainTree(), L"news", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW(record.c_str());
        const HTREEITEM item = test::FindTreePath(c.tree, c.path, L'\\');
        ASSERT_TRUE(item);
        RECT label{};
        ASSERT_TRUE(ui::TreeView(c.tree).GetItemRect(item, label, true));
        ASSERT_TRUE(test::PostClickAt(c.tree, POINT{label.left + 4, (label.top + label.bottom) / 2}, true));
        const bool opened = test::PumpUntil([&] { return !test::ReadFileBytes(record).empty(); }, c.opened.empty() ? 1500 : 20000);
        if (c.opened.empty()) {
            EXPECT_FALSE(opened) << test::ReadFileBytes(record);
            continue;
        }
        ASSERT_TRUE(opened);
        const std::string line = test::ReadFileBytes(record);
        // file as given | full path | working folder | show command
        const std::string full = test::ToAnsi(c.opened);
        EXPECT_NE(line.find("|" + full + "|"), std::string::npos) << line;
        EXPECT_EQ(line.substr(line.rfind('|') + 1), "4\n") << "SW_SHOWNOACTIVATE";
    }
    ::SetEnvironmentVariableW(L"PELMORA_OPEN_RECORD", nullptr);
}

}  // namespace
}  // namespace pelmora
