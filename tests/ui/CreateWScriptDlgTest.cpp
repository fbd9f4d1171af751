// The Add URL scripts dialog run modally and answered from a second thread as a user
// would: its template, the two kinds of tree built from the collected locations, check
// boxes clicked and toggled with Space, and what Create writes into the main script's
// URL-script folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/DialogTemplate.h"
#include "TestSupport.h"
#include "browser/HtmlLocation.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ModalDialogDriver.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "resources/resource.h"
#include "ui/CreateWScriptDlg.h"
#include "ui/TreeDriving.h"

namespace pelmora {
namespace {

constexpr wchar_t kCaption[] = L"Add scripts for \"\\daily.WSC\"";

std::shared_ptr<CollectedLocations> Locations(std::initializer_list<const wchar_t*> urls) {
    auto locations = std::make_shared<CollectedLocations>();
    for (const wchar_t* url : urls) locations->insert(std::make_shared<const CLocation>(browser::MakeHtmlLocation(url)));
    return locations;
}

HWND Tree(HWND dialog) { return ::GetDlgItem(dialog, IDC_TREE_ADD_URL); }
bool CreateEnabled(HWND dialog) { return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE; }

// Moves the kind list's selection with the arrow keys, as a user does; the sorted list
// shows Host above URL. Waits until the tree was rebuilt.
bool ChooseKindWithKey(HWND dialog, WPARAM key) {
    const HWND tree = Tree(dialog);
    const std::wstring before = test::TreeOutline(tree);
    ::PostMessageW(::GetDlgItem(dialog, IDC_COMBO_SCRIPT_KIND), WM_KEYDOWN, key, 1);
    return test::WaitUntil([&] { return test::TreeOutline(tree) != before; });
}

bool ClickCheckBox(HWND dialog, const wchar_t* path) {
    const HTREEITEM item = test::FindTreePath(Tree(dialog), path, L'/');
    return item && test::ClickStateIconAndWait(Tree(dialog), item);
}

bool PressSpace(HWND dialog, const wchar_t* path) {
    const HTREEITEM item = test::FindTreePath(Tree(dialog), path, L'/');
    return item && test::PressSpaceAndWait(Tree(dialog), item);
}

class AddUrlDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductString("ScriptLocation", REG_SZ, test::ToAnsi(location.path())));
        urlFolder = GetUrlScriptDirectory() + L"\\daily.WSC";
        ASSERT_TRUE(::CreateDirectoryW(urlFolder.c_str(), nullptr));  // made by the store in the form
        owner = ::CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    }
    void TearDown() override { ::DestroyWindow(owner); }

    // Runs the dialog; answer sees it from the second thread. The dialog's result.
    INT_PTR Run(const std::shared_ptr<CollectedLocations>& locations, const std::function<void(HWND)>& answer,
                const std::wstring& key = L"\\daily.WSC", const std::wstring& caption = kCaption) {
        CCreateWScriptDlg dialog(owner);
        dialog.SetMainScript(key);
        dialog.SetUrls(locations);
        test::ModalDialogDriver driver(caption, answer);
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver.found()) << "no dialog captioned " << test::ToAnsi(caption);
        return result;
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir location;
    std::wstring urlFolder;
    HWND owner = nullptr;
};

TEST(AddUrlDialogTemplate, MatchesItsTableInTemplateOrder) {
    struct Row {
        int id;
        const wchar_t* className;
        DWORD style;
        const wchar_t* text;
        short x, y, cx, cy;
    };
    constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
    const Row rows[] = {
        {-1, L"Static", kShown | WS_GROUP | SS_LEFT, L"Create scripts for:", 7, 16, 59, 8},
        {IDC_COMBO_SCRIPT_KIND, L"ComboBox", kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, L"", 67, 14, 100, 50},
        {IDC_TREE_ADD_URL, L"SysTreeView32",
         kShown | WS_TABSTOP | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES, L"", 7, 33,
         290, 192},
        {IDOK, L"Button", kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, L"Create", 193, 231, 50, 14},
        {IDCANCEL, L"Button", kShown | WS_TABSTOP | BS_PUSHBUTTON, L"Cancel", 247, 231, 50, 14},
    };
    const test::DialogTemplate read = test::ReadDialogTemplate(ui::CurrentModuleInstance(), IDD_CREATE_WSCRIPT);
    ASSERT_TRUE(read.valid);
    EXPECT_EQ(read.dialog.style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(read.dialog.cx == 304 && read.dialog.cy == 252);
    EXPECT_EQ(read.dialog.text, L"Add URL ");
    EXPECT_EQ(read.typeface, L"MS Shell Dlg");
    EXPECT_EQ(read.pointSize, 8);
    ASSERT_EQ(read.controls.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const test::TemplateItem& control = read.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << row.id << ")");
        EXPECT_EQ(control.id, row.id);
        EXPECT_EQ(::lstrcmpiW(control.className.c_str(), row.className), 0);
        EXPECT_EQ(control.style, row.style) << std::hex << (control.style ^ row.style) << " differ";
        EXPECT_EQ(control.text, row.text);
        EXPECT_TRUE(control.x == row.x && control.y == row.y && control.cx == row.cx && control.cy == row.cy);
    }
}

TEST_F(AddUrlDialogTest, CreateWritesAScriptForEveryCheckedEntryOfTheChosenKind) {
    const auto locations = Locations({L"http://h.example/news/index.html", L"http://h.example/",
                                      L"http://h.example/about.html", L"http://g.example/news/",
                                      L"http://h.example/news/index.html?again"});
    // Every path arrives checked; the root page "/" is only a site's.
    const std::wstring allPages = L"g.example:2[news:4] h.example:2[about.html:4 news:2[index.html:4]]";
    struct Case {
        const char* what;
        std::function<bool(HWND)> act;
        const wchar_t* outline;  // after act
        int button;
        INT_PTR result;
        std::vector<const wchar_t*> written, absent;  // below the URL-script folder
    };
    const Case cases[] = {
        {"every page", [](HWND) { return true; }, allPages.c_str(), IDOK, IDOK,
         {L"g.example\\news.WSC", L"h.example\\about.html.WSC", L"h.example\\news\\index.html.WSC"},
         {L"h.example.WSC", L"g.example.WSC", L"h.example\\news.WSC"}},
        {"pages unchecked with a click and with Space",
         [](HWND dialog) { return ClickCheckBox(dialog, L"h.example/about.html") && PressSpace(dialog, L"g.example/news"); },
         L"g.example:1[news:3] h.example:2[about.html:3 news:2[index.html:4]]", IDOK, IDOK,
         {L"h.example\\news\\index.html.WSC"}, {L"g.example", L"h.example\\about.html.WSC"}},
        {"sites", [](HWND dialog) { return ChooseKindWithKey(dialog, VK_UP); }, L"g.example:4 h.example:4", IDOK, IDOK,
         {L"g.example.WSC", L"h.example.WSC"}, {L"h.example", L"g.example"}},
        {"one site unchecked",
         [](HWND dialog) { return ChooseKindWithKey(dialog, VK_UP) && ClickCheckBox(dialog, L"g.example"); },
         L"g.example:3 h.example:4", IDOK, IDOK, {L"h.example.WSC"}, {L"g.example.WSC"}},
        {"marks lost when the kind changes back",
         [](HWND dialog) {
             return ClickCheckBox(dialog, L"h.example/about.html") && ChooseKindWithKey(dialog, VK_UP) &&
                    ChooseKindWithKey(dialog, VK_DOWN);
         },
         allPages.c_str(), IDOK, IDOK, {L"h.example\\about.html.WSC"}, {}},
        {"cancel", [](HWND) { return true; }, allPages.c_str(), IDCANCEL, IDCANCEL, {},
         {L"g.example", L"h.example", L"h.example.WSC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::RemoveTree(urlFolder);
        ASSERT_TRUE(::CreateDirectoryW(urlFolder.c_str(), nullptr));
        bool acted = false;
        std::wstring outline, kind;
        const INT_PTR result = Run(locations, [&](HWND dialog) {
            if (!test::WaitUntil([&] { return !test::TreeOutline(Tree(dialog)).empty(); })) return;
            acted = c.act(dialog);
            outline = test::TreeOutline(Tree(dialog));
            ::PostMessageW(::GetDlgItem(dialog, c.button), BM_CLICK, 0, 0);
        });
        EXPECT_TRUE(acted);
        EXPECT_EQ(outline, c.outline);
        EXPECT_EQ(result, c.result);
        for (const wchar_t* name : c.written) {
            const std::string text = test::ReadFileBytes(urlFolder + L"\\" + name);
            EXPECT_NE(text.find("<property name=\"window\"/>"), std::string::npos) << test::ToAnsi(name);
        }
        for (const wchar_t* name : c.absent)
            EXPECT_EQ(::GetFileAttributesW((urlFolder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES)
                << test::ToAnsi(name);
    }
}

TEST_F(AddUrlDialogTest, CreateIsUsableExactlyWhileSomethingIsChecked) {
    struct Case {
        const char* what;
        std::shared_ptr<CollectedLocations> locations;
        std::function<bool(HWND)> act;
        bool enabled;  // Create, after act
        const wchar_t* outline;
    };
    const Case cases[] = {
        {"nothing collected", Locations({}), [](HWND) { return true; }, false, L""},
        {"only root pages, as pages", Locations({L"http://h.example/", L"http://g.example/"}),
         [](HWND) { return true; }, false, L""},
        {"only root pages, as sites", Locations({L"http://h.example/", L"http://g.example/"}),
         [](HWND dialog) { return ChooseKindWithKey(dialog, VK_UP); }, true, L"g.example:4 h.example:4"},
        {"every page unchecked", Locations({L"http://h.example/a.html", L"http://h.example/b/c.html"}),
         [](HWND dialog) { return ClickCheckBox(dialog, L"h.example/a.html") && PressSpace(dialog, L"h.example/b/c.html"); },
         false, L"h.example:1[a.html:3 b:1[c.html:3]]"},
        {"one checked again", Locations({L"http://h.example/a.html", L"http://h.example/b/c.html"}),
         [](HWND dialog) {
             return ClickCheckBox(dialog, L"h.example/a.html") && PressSpace(dialog, L"h.example/b/c.html") &&
                    ClickCheckBox(dialog, L"h.example/b/c.html");
         },
         true, L"h.example:2[a.html:3 b:2[c.html:4]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool acted = false, enabled = false, enterIgnored = false;
        std::wstring outline, caption;
        const INT_PTR result = Run(c.locations, [&](HWND dialog) {
            test::WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; });
            ::Sleep(100);
            acted = c.act(dialog);
            outline = test::TreeOutline(Tree(dialog));
            enabled = CreateEnabled(dialog);
            if (!enabled) {
                // Enter on a dialog whose Create is disabled creates nothing and stays.
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                ::Sleep(200);
                enterIgnored = ::IsWindowVisible(dialog) != FALSE;
            }
            ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        EXPECT_TRUE(acted);
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(outline, c.outline);
        EXPECT_EQ(enterIgnored, !c.enabled);
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST_F(AddUrlDialogTest, CaptionNamesTheMainScriptAndNothingWithoutOne) {
    const auto locations = Locations({L"http://h.example/a.html"});
    wchar_t kinds[2][16] = {};
    EXPECT_EQ(IDCANCEL, Run(locations, [&](HWND dialog) {
                  ::SendDlgItemMessageW(dialog, IDC_COMBO_SCRIPT_KIND, CB_GETLBTEXT, 0,
                                        reinterpret_cast<LPARAM>(kinds[0]));
                  ::SendDlgItemMessageW(dialog, IDC_COMBO_SCRIPT_KIND, CB_GETLBTEXT, 1,
                                        reinterpret_cast<LPARAM>(kinds[1]));
                  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
              }));
    EXPECT_STREQ(kinds[0], L"Host");
    EXPECT_STREQ(kinds[1], L"URL");
    EXPECT_EQ(IDCANCEL, Run(locations, [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
                            L"", L"Add scripts for \"\""));
}

}  // namespace
}  // namespace pelmora
