// The script tree model on a real comctl32 tree view, with real folders and real
// registry values.
#include <gtest/gtest.h>

#include <cwctype>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/ui/TreeView.h"
#include "framework/win/FolderWatch.h"
#include "library/ProductKeyValues.h"
#include "state/StateStorage.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

constexpr wchar_t kStateName[] = L"\\tests\\tree.WSC";
constexpr int kFolderClear = 1, kFolderMarked = 2, kUnchecked = 3, kChecked = 4;

class FileBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open()) << ::GetLastError();
        tree = ui::TreeView(host.AddTree(300, {5, 5, 340, 400}));
        ASSERT_TRUE(tree);
    }

    void MakeFolder(const std::wstring& relative) { ASSERT_TRUE(::CreateDirectoryW((root / relative).c_str(), nullptr)); }
    void MakeFile(const std::wstring& relative) { test::WriteFileBytes(root / relative, "x"); }

    // The item at a backslash path below the root level; none when it is not all there.
    HTREEITEM Item(const CFileBrowser& model, const std::wstring& path) const {
        const HTREEITEM found = model.FindItemByPath(nullptr, path);
        return found && tree.GetItemText(found) == path.substr(path.find_last_of(L'\\') + 1) ? found : nullptr;
    }
    int Mark(HTREEITEM item) const { return ui::StateImageIndexOf(tree.GetItemState(item, TVIS_STATEIMAGEMASK)); }

    std::set<std::wstring> ChildNames(HTREEITEM parent) const {
        std::set<std::wstring> names;
        for (HTREEITEM child = tree.GetChildItem(parent); child; child = tree.GetNextSiblingItem(child)) {
            names.insert(tree.GetItemText(child));
        }
        return names;
    }

    // news\daily.WSC, news\sport\match.wsc, top.wsc and an empty folder.
    void MakeNewsFolder() {
        MakeFolder(L"news");
        MakeFolder(L"news\\sport");
        MakeFolder(L"empty");
        MakeFile(L"news\\daily.WSC");
        MakeFile(L"news\\sport\\match.wsc");
        MakeFile(L"top.wsc");
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir root;
    test::ScriptTreeHost host;
    ui::TreeView tree;
};

TEST_F(FileBrowserTest, ListsWscFilesInAnyCaseAndEveryFolderButNoOtherFiles) {
    for (const wchar_t* name : {L"a.WSC", L"b.wsc", L"c.WsC", L"x.wsc.bak", L".wsc", L"readme.txt"}) MakeFile(name);
    MakeFolder(L"news");
    MakeFile(L"news\\d.wsc");
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);

    EXPECT_EQ(ChildNames(nullptr), (std::set<std::wstring>{L"a.WSC", L"b.wsc", L"c.WsC", L"news"}));
    const HTREEITEM news = Item(model, L"news");
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(ChildNames(news), (std::set<std::wstring>{L"d.wsc"}));
    EXPECT_FALSE(model.IsScriptItem(news));
    EXPECT_EQ(Mark(news), kFolderClear);
    EXPECT_TRUE(model.IsScriptItem(Item(model, L"news\\d.wsc")));
    EXPECT_EQ(Mark(Item(model, L"c.WsC")), kUnchecked);
    EXPECT_FALSE(model.HasCheckedItems());
    EXPECT_EQ(tree.GetImageList(TVSIL_STATE) != nullptr, true);
    EXPECT_EQ(::ImageList_GetImageCount(tree.GetImageList(TVSIL_STATE)), 5);
}

// The tree is filled with its drawing held back; afterwards it is laid out and drawn
// again, so a long list scrolls and a reload still shows what is there.
TEST_F(FileBrowserTest, LongListIsLaidOutAndScrollsAfterLoadAndReload) {
    for (int i = 0; i < 80; ++i) MakeFile(L"script" + std::to_wstring(100 + i) + L".WSC");
    CFileBrowser model(L"\\tests\\long.WSC");
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "load" : "reload");
        ASSERT_EQ(S_OK, pass == 0 ? model.Load(tree.Handle(), root.path()) : model.Reload());
        ASSERT_EQ(80u, tree.GetCount());
        SCROLLINFO scroll{};
        scroll.cbSize = sizeof(scroll);
        scroll.fMask = SIF_RANGE | SIF_PAGE;
        ASSERT_TRUE(::GetScrollInfo(tree.Handle(), SB_VERT, &scroll));
        EXPECT_GT(scroll.nMax - scroll.nMin + 1, static_cast<int>(scroll.nPage));  // more items than fit
        // The last item can be brought into view and then has a place on screen.
        HTREEITEM last = tree.GetChildItem(nullptr);
        while (tree.GetNextSiblingItem(last)) last = tree.GetNextSiblingItem(last);
        ::SendMessageW(tree.Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
        RECT rect{};
        ASSERT_TRUE(tree.GetItemRect(last, rect, true));
        RECT client{};
        ::GetClientRect(tree.Handle(), &client);
        EXPECT_LE(rect.bottom, client.bottom);
        EXPECT_GE(rect.top, client.top);
    }
}

TEST_F(FileBrowserTest, EmptyOrMissingFolderIsReportedAndEmptySubFoldersStillShow) {
    test::LogCapture log;
    MakeFolder(L"one");
    MakeFolder(L"one\\two");
    CFileBrowser model(kStateName);
    EXPECT_EQ(model.Load(tree.Handle(), root.path()), S_FALSE);
    EXPECT_EQ(ChildNames(nullptr), std::set<std::wstring>{L"one"});
    EXPECT_EQ(Mark(Item(model, L"one\\two")), kFolderClear);
    const std::string empty = log.NewText();
    EXPECT_EQ(test::CountOf(empty, ":<WARNING(1)> Directory (" + test::ToAnsi(root.path()) +
                                       ") empty. in CFileBrowser::Load at FileBrowser (line:"), 1u)
        << empty;

    CFileBrowser missing(kStateName);
    tree.DeleteAllItems();
    const std::wstring folder = root / L"gone";
    EXPECT_EQ(missing.Load(tree.Handle(), folder), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(tree.GetCount(), 0u);
    const std::string failed = log.NewText();
    EXPECT_EQ(test::CountOf(failed, "EnumDirectory( " + test::ToAnsi(folder) + " ). in CFileBrowser::Load"), 1u)
        << failed;
}

// The folder watch starts from the listing the tree was filled from: it must be the one
// the watch would take itself, other files and empty folders included.
TEST_F(FileBrowserTest, FolderListingOfALoadIsTheWatchListingUntilCleared) {
    MakeNewsFolder();
    MakeFile(L"readme.txt");
    MakeFile(L"news\\sport\\notes.txt");
    CFileBrowser model(kStateName);
    EXPECT_EQ(model.GetFolderListing(), nullptr) << "nothing loaded yet";
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    ASSERT_NE(model.GetFolderListing(), nullptr);
    const std::vector<std::wstring> expected = win::ListFolderTree(root.path());
    EXPECT_EQ(*model.GetFolderListing(), expected);
    for (const wchar_t* path :
         {L"\\empty\\", L"\\news\\sport\\", L"\\news\\sport\\match.wsc", L"\\readme.txt", L"\\news\\sport\\notes.txt"}) {
        EXPECT_EQ(std::count(expected.begin(), expected.end(), path), 1) << test::ToAnsi(path);
    }

    // A watch over a folder above takes the model's listing for the model's folder, whatever
    // the case it is named in, and lists the rest itself.
    const std::vector<std::wstring> above = win::ListFolderTree(root.path() + L"\\..");
    const std::wstring rootName = root.path().substr(root.path().rfind(L'\\'));
    std::wstring otherCase = rootName;
    for (wchar_t& c : otherCase) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(win::ListFolderTree(root.path() + L"\\..", {otherCase, model.GetFolderListing()}), above);
    const std::vector<std::wstring> stale{L"\\gone.wsc"};
    const auto spliced = win::ListFolderTree(root.path() + L"\\..", {rootName, &stale});
    EXPECT_EQ(std::count(spliced.begin(), spliced.end(), rootName + L"\\gone.wsc"), 1);
    EXPECT_EQ(std::count(spliced.begin(), spliced.end(), rootName + L"\\readme.txt"), 0);
    EXPECT_EQ(spliced.size(), above.size() - expected.size() + 1);
    // The known folder may be the root itself: its listing is the answer, nothing is listed.
    EXPECT_EQ(win::ListFolderTree(root.path(), {L"", model.GetFolderListing()}), expected);
    EXPECT_EQ(win::ListFolderTree(root / L"gone", {L"", &stale}), stale);

    MakeFile(L"empty\\later.wsc");
    ASSERT_EQ(model.Reload(), S_OK);
    ASSERT_NE(model.GetFolderListing(), nullptr);
    EXPECT_EQ(*model.GetFolderListing(), win::ListFolderTree(root.path()));
    model.Clear();
    EXPECT_EQ(model.GetFolderListing(), nullptr);
    tree.DeleteAllItems();
    EXPECT_NE(model.Load(tree.Handle(), root / L"gone"), S_OK);
    EXPECT_EQ(model.GetFolderListing(), nullptr) << "a folder that could not be searched lists nothing";
}

TEST_F(FileBrowserTest, MarksAndExpandedFoldersComeBackAfterSavingButNoSelection) {
    MakeNewsFolder();
    {
        CFileBrowser model(kStateName);
        ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
        const HTREEITEM match = Item(model, L"news\\sport\\match.wsc");
        EXPECT_TRUE(model.ChangeCheck(match, kChecked, false));
        tree.Expand(Item(model, L"news"), TVE_EXPAND);
        // Selecting an item would expand the folders above it: select one at the top.
        tree.SelectItem(Item(model, L"top.wsc"));
        model.SaveState();
        model.Clear();
        EXPECT_EQ(tree.GetCount(), 0u);
    }
    CFileBrowser reloaded(kStateName);
    ASSERT_EQ(reloaded.Load(tree.Handle(), root.path()), S_OK);
    const HTREEITEM news = Item(reloaded, L"news");
    const HTREEITEM match = Item(reloaded, L"news\\sport\\match.wsc");
    EXPECT_EQ(Mark(match), kChecked);
    EXPECT_EQ(Mark(Item(reloaded, L"news\\sport")), kFolderMarked);
    EXPECT_EQ(Mark(news), kFolderMarked);
    EXPECT_EQ(Mark(Item(reloaded, L"news\\daily.WSC")), kUnchecked);
    EXPECT_TRUE(tree.GetItemState(news, TVIS_EXPANDED));
    EXPECT_FALSE(tree.GetItemState(Item(reloaded, L"news\\sport"), TVIS_EXPANDED));
    EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    EXPECT_FALSE(tree.GetItemState(Item(reloaded, L"top.wsc"), TVIS_SELECTED));
    EXPECT_EQ(reloaded.GetCheckedFiles(), CFileBrowser::ItemSet{match});

    CRootStorage saved(kStateName);
    saved.Load();
    EXPECT_EQ(saved.GetValue(L"\\top.wsc") & TVIS_SELECTED, 0u);
    EXPECT_NE(saved.GetValue(L"\\top.wsc"), 0u);
    EXPECT_EQ(saved.GetValue(L"\\news\\sport\\match.wsc") & TVIS_STATEIMAGEMASK, ui::StateImageBits(kChecked));
    EXPECT_TRUE(reloaded.IsScriptChecked(L"\\news\\sport\\match.wsc"));
    EXPECT_TRUE(reloaded.IsScriptChecked(L"news\\"));
    EXPECT_FALSE(reloaded.IsScriptChecked(L"\\news\\daily.WSC"));
    EXPECT_FALSE(reloaded.IsScriptChecked(L"\\never\\saved.wsc"));
}

TEST_F(FileBrowserTest, SavingATreeThatFailedToLoadOrWasClearedKeepsTheSavedMarks) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    model.ChangeCheck(Item(model, L"top.wsc"), kChecked, false);
    model.SaveState();
    const std::string savedBytes = test::ReadProductValue(test::ToAnsi(kStateName).c_str()).bytes;
    ASSERT_FALSE(savedBytes.empty());

    model.Clear();
    model.SaveState();
    EXPECT_EQ(test::ReadProductValue(test::ToAnsi(kStateName).c_str()).bytes, savedBytes);

    CFileBrowser unreachable(kStateName);
    EXPECT_TRUE(FAILED(unreachable.Load(tree.Handle(), root / L"gone")));
    unreachable.SaveState();
    EXPECT_EQ(test::ReadProductValue(test::ToAnsi(kStateName).c_str()).bytes, savedBytes);
}

TEST_F(FileBrowserTest, StaleFolderMarksAndDamagedMarksAreNotRestored) {
    MakeNewsFolder();
    CRootStorage saved(kStateName);
    // news was marked for a script that is gone; daily.WSC's mark was lost to damage.
    saved.SetValue(L"\\news\\", ui::StateImageBits(kFolderMarked) | TVIS_EXPANDED);
    saved.SetValue(L"\\news\\removed.wsc", ui::StateImageBits(kChecked));
    saved.SetValue(L"\\news\\daily.WSC", TVIS_BOLD);
    ASSERT_TRUE(saved.Save());

    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    EXPECT_EQ(Mark(Item(model, L"news")), kFolderClear);
    EXPECT_TRUE(tree.GetItemState(Item(model, L"news"), TVIS_EXPANDED));
    EXPECT_FALSE(model.HasCheckedItems());
    EXPECT_EQ(Mark(Item(model, L"news\\daily.WSC")), kUnchecked);
    EXPECT_TRUE(tree.GetItemState(Item(model, L"news\\daily.WSC"), TVIS_BOLD));
}

TEST_F(FileBrowserTest, FoldersAreMarkedWhileAnyScriptBelowThemIsChecked) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    const HTREEITEM news = Item(model, L"news"), sport = Item(model, L"news\\sport");
    const HTREEITEM daily = Item(model, L"news\\daily.WSC"), match = Item(model, L"news\\sport\\match.wsc");

    EXPECT_TRUE(model.ChangeCheck(match, kChecked, false));
    EXPECT_EQ(Mark(sport), kFolderMarked);
    EXPECT_EQ(Mark(news), kFolderMarked);
    EXPECT_TRUE(model.ChangeCheck(daily, kChecked, false));
    EXPECT_EQ(model.GetCheckedFiles(), (CFileBrowser::ItemSet{daily, match}));

    EXPECT_FALSE(model.ChangeCheck(match, kFolderClear, false));  // a checked script's next index
    EXPECT_EQ(Mark(match), kUnchecked);
    EXPECT_EQ(Mark(sport), kFolderClear);
    EXPECT_EQ(Mark(news), kFolderMarked) << "daily.WSC is still checked";
    EXPECT_FALSE(model.ChangeCheck(daily, kFolderClear, false));
    EXPECT_EQ(Mark(news), kFolderClear);
    EXPECT_FALSE(model.HasCheckedItems());
    EXPECT_FALSE(model.IsScriptChecked(L"\\news\\"));
}

TEST_F(FileBrowserTest, ExclusiveCheckLeavesOnlyTheNewScriptAndItsFoldersMarked) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    const HTREEITEM match = Item(model, L"news\\sport\\match.wsc"), top = Item(model, L"top.wsc");

    EXPECT_TRUE(model.ChangeCheck(match, kChecked, true));
    EXPECT_TRUE(model.ChangeCheck(top, kChecked, true));
    EXPECT_EQ(Mark(match), kUnchecked);
    EXPECT_EQ(Mark(Item(model, L"news\\sport")), kFolderClear);
    EXPECT_EQ(Mark(Item(model, L"news")), kFolderClear);
    EXPECT_EQ(model.GetCheckedFiles(), CFileBrowser::ItemSet{top});
    EXPECT_TRUE(model.IsItemChecked(top));
    EXPECT_FALSE(model.IsScriptChecked(L"\\news\\sport\\match.wsc"));

    // Unchecking the checked script leaves nothing checked.
    EXPECT_FALSE(model.ChangeCheck(top, kFolderClear, true));
    EXPECT_FALSE(model.HasCheckedItems());
}

TEST_F(FileBrowserTest, FolderCheckBoxKeepsItsMark) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    const HTREEITEM news = Item(model, L"news");
    EXPECT_FALSE(model.ChangeCheck(news, kFolderMarked, false));
    EXPECT_EQ(Mark(news), kFolderClear);
    model.ChangeCheck(Item(model, L"news\\daily.WSC"), kChecked, false);
    EXPECT_TRUE(model.ChangeCheck(news, kUnchecked, false));
    EXPECT_EQ(Mark(news), kFolderMarked);
}

TEST_F(FileBrowserTest, ItemPathsAndFindItemByPath) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    const HTREEITEM news = Item(model, L"news"), daily = Item(model, L"news\\daily.WSC");
    ASSERT_NE(news, nullptr);
    ASSERT_NE(daily, nullptr);

    EXPECT_EQ(model.FindItemByPath(nullptr, L"news\\daily.WSC"), daily);
    EXPECT_EQ(model.FindItemByPath(nullptr, L"news\\missing.WSC"), news);
    EXPECT_EQ(model.FindItemByPath(nullptr, L"News\\daily.WSC"), nullptr) << "names match case-sensitively";
    EXPECT_EQ(model.FindItemByPath(news, L"daily.WSC"), daily);
    EXPECT_EQ(model.FindItemByPath(news, L""), news);

    EXPECT_EQ(model.GetItemKey(daily), L"\\news\\daily.WSC");
    EXPECT_EQ(model.GetItemKey(news), L"\\news\\");
    EXPECT_EQ(model.GetItemKey(Item(model, L"news\\sport")), L"\\news\\sport\\");
    EXPECT_EQ(model.GetItemKey(Item(model, L"top.wsc")), L"\\top.wsc");
    EXPECT_EQ(model.GetItemFileName(news), L"");
    EXPECT_EQ(model.GetItemDirectory(daily), root.path() + L"\\news");
    EXPECT_EQ(model.GetDirectory(), root.path());
}

struct ShellCall {
    int count = 0;
    HWND owner = nullptr;
    std::wstring verb, file, parameters, directory;
    int show = 0;
};
ShellCall g_shellCall;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                    INT show) {
    g_shellCall = ShellCall{g_shellCall.count + 1, owner, verb, file, parameters, directory, show};
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

TEST_F(FileBrowserTest, OpeningAScriptHandsItToTheShellInItsFolderAndAFolderOpensNothing) {
    MakeNewsFolder();
    CFileBrowser model(kStateName);
    ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
    model.SetShellExecute(RecordShellExecute);
    g_shellCall = ShellCall{};

    model.OpenItem(Item(model, L"news"));
    EXPECT_EQ(g_shellCall.count, 0);
    model.OpenItem(Item(model, L"news\\sport\\match.wsc"));
    EXPECT_EQ(g_shellCall.count, 1);
    EXPECT_EQ(g_shellCall.owner, nullptr);
    EXPECT_EQ(g_shellCall.verb, L"open");
    EXPECT_EQ(g_shellCall.file, L"match.wsc");
    EXPECT_EQ(g_shellCall.parameters, L"");
    EXPECT_EQ(g_shellCall.directory, root.path() + L"\\news\\sport");
    EXPECT_EQ(g_shellCall.show, SW_SHOWNOACTIVATE);
}

TEST_F(FileBrowserTest, UrlPathsShareSitesAndFoldersAndArriveChecked) {
    auto paths = std::make_shared<CFileBrowser::UrlPathList>(
        CFileBrowser::UrlPathList{L"h/a/b", L"h/a/c", L"h", L"g"});
    CFileBrowser model(L"");
    model.LoadUrls(tree.Handle(), paths);

    EXPECT_EQ(tree.GetCount(), 5u) << "h, a, b, c and g";
    const HTREEITEM h = model.FindItemByPath(nullptr, L"h"), a = model.FindItemByPath(h, L"a");
    const HTREEITEM b = model.FindItemByPath(a, L"b"), c = model.FindItemByPath(a, L"c");
    const HTREEITEM g = model.FindItemByPath(nullptr, L"g");
    EXPECT_EQ(Mark(h), kFolderMarked);
    EXPECT_EQ(Mark(a), kFolderMarked);
    EXPECT_EQ(Mark(b), kChecked);
    EXPECT_EQ(Mark(c), kChecked);
    EXPECT_EQ(Mark(g), kChecked);
    EXPECT_FALSE(model.IsScriptItem(h));
    EXPECT_NE(tree.GetItemImage(h), tree.GetItemImage(a)) << "a site shows a globe, a folder a folder";
    EXPECT_TRUE(model.IsScriptItem(g));
    EXPECT_EQ(model.GetCheckedFiles(), (CFileBrowser::ItemSet{b, c, g}));

    model.ChangeCheck(b, kFolderClear, false);
    EXPECT_EQ(Mark(a), kFolderMarked);
    model.ChangeCheck(c, kFolderClear, false);
    EXPECT_EQ(Mark(a), kFolderClear);
    EXPECT_EQ(Mark(h), kFolderClear);
    model.ChangeCheck(g, kFolderClear, false);
    EXPECT_FALSE(model.HasCheckedItems());

    model.Clear();
    EXPECT_EQ(tree.GetCount(), 0u);
    EXPECT_EQ(paths->size(), 4u) << "the caller's list is released, not emptied";
}

}  // namespace
}  // namespace pelmora
