// The script store on a stand-in form with the two real tree controls, below a script
// location of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "ui/ScriptStore.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

constexpr int kChecked = 4;

TEST(ScriptStoreCreateDir, CreatesEachLevelOfTheRelativePathBelowTheBase) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    test::TempDir base;
    CScriptStore::CreateDir(base.path(), L"\\x.WSC");
    EXPECT_TRUE(test::DirectoryExists(base / L"x.WSC"));
    CScriptStore::CreateDir(base.path(), L"\\news\\daily.WSC");
    EXPECT_TRUE(test::DirectoryExists(base / L"news\\daily.WSC"));
    CScriptStore::CreateDir(base.path(), L"plain\\deeper");
    EXPECT_TRUE(test::DirectoryExists(base / L"plain\\deeper"));
    CScriptStore::CreateDir(base.path(), L"");
    CScriptStore::CreateDir(base.path(), L"\\");
    EXPECT_EQ(log.NewText(), "") << "existing folders and empty paths are no failure";
}

TEST(ScriptStoreCreateDir, LevelThatCannotBeCreatedIsLoggedAndDeeperLevelsAreStillTried) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    test::TempDir base;
    test::WriteFileBytes(base / L"file", "x");
    CScriptStore::CreateDir(base.path(), L"\\file\\sub");
    const std::string text = log.NewText();
    // The file itself exists (no failure); below it nothing can be created.
    EXPECT_EQ(test::CountOf(text, "Can not create directory: "), 1u) << text;
    EXPECT_EQ(test::CountOf(text, "Can not create directory: " + test::ToAnsi(base / L"file\\sub") +
                                      " in CScriptStore::CreateDir at ScriptStore (line:"),
              1u)
        << text;
}

class ScriptStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductString("ScriptLocation", REG_SZ, test::ToAnsi(location.path())));
        mainDirectory = GetMainScriptDirectory();
        urlDirectory = GetUrlScriptDirectory();
        ASSERT_TRUE(::CreateDirectoryW((mainDirectory + L"\\news").c_str(), nullptr));
        test::WriteFileBytes(mainDirectory + L"\\top.wsc", "x");
        test::WriteFileBytes(mainDirectory + L"\\news\\daily.WSC", "x");
        // Each main script's URL scripts: one site script apiece.
        CScriptStore::CreateDir(urlDirectory, L"\\top.wsc");
        CScriptStore::CreateDir(urlDirectory, L"\\news\\daily.WSC");
        test::WriteFileBytes(urlDirectory + L"\\top.wsc\\top.example.WSC", "x");
        test::WriteFileBytes(urlDirectory + L"\\news\\daily.WSC\\news.example.WSC", "x");

        ASSERT_TRUE(form.Open(600, 300));
        mainTree = ui::TreeView(form.AddTree(IDC_TREE_IE_WSC, {5, 5, 290, 290}));
        urlTree = ui::TreeView(form.AddTree(IDC_TREE_URL_WSC, {300, 5, 590, 290}));
    }

    std::set<std::wstring> UrlTreeNames() const {
        std::set<std::wstring> names;
        for (HTREEITEM item = urlTree.GetRootItem(); item; item = urlTree.GetNextSiblingItem(item)) {
            names.insert(urlTree.GetItemText(item));
        }
        return names;
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir location;
    std::wstring mainDirectory, urlDirectory;
    test::ScriptTreeHost form;
    ui::TreeView mainTree, urlTree;
};

TEST_F(ScriptStoreTest, SelectingMainScriptsSwitchesTheUrlTreeAndKeepsEachOnesMarks) {
    CScriptStore store;
    EXPECT_EQ(store.Load(form.Handle(), mainDirectory), S_OK);
    EXPECT_EQ(store.GetCurrentUrlTree(), nullptr) << "nothing checked, nothing selected";
    EXPECT_EQ(urlTree.GetCount(), 0u);
    EXPECT_EQ(store.GetCheckedMainScriptKey(), L"");
    EXPECT_EQ(store.GetMainDirectory(), mainDirectory);

    store.SelectMainScript(L"\\top.wsc");
    EXPECT_EQ(UrlTreeNames(), std::set<std::wstring>{L"top.example.WSC"});
    const auto topModel = store.GetCurrentUrlTree();
    EXPECT_TRUE(store.SetCheck(IDC_TREE_URL_WSC, urlTree.GetRootItem(), kChecked, false));
    EXPECT_FALSE(store.SetCheck(210, urlTree.GetRootItem(), kChecked, false));
    store.GetCurrentUrlTree()->SaveState();

    store.SelectMainScript(L"\\news\\daily.WSC");
    EXPECT_EQ(UrlTreeNames(), std::set<std::wstring>{L"news.example.WSC"});
    EXPECT_NE(store.GetCurrentUrlTree(), topModel);
    EXPECT_FALSE(store.GetCurrentUrlTree()->HasCheckedItems());

    // The URL folder is made with the model only: a second selection makes none.
    test::RemoveTree(urlDirectory + L"\\top.wsc");
    store.SelectMainScript(L"\\top.wsc");
    EXPECT_EQ(store.GetCurrentUrlTree(), topModel);
    EXPECT_FALSE(test::DirectoryExists(urlDirectory + L"\\top.wsc"));
    EXPECT_EQ(urlTree.GetCount(), 0u);

    // A key differing only in case is another main script.
    store.SelectMainScript(L"\\TOP.wsc");
    EXPECT_NE(store.GetCurrentUrlTree(), topModel);
}

TEST_F(ScriptStoreTest, CheckedMainScriptIsSelectedWithItsUrlScriptsWhenLoadedAgain) {
    {
        CScriptStore store;
        ASSERT_EQ(store.Load(form.Handle(), mainDirectory), S_OK);
        const HTREEITEM daily = store.GetMainTree().FindItemByPath(nullptr, L"news\\daily.WSC");
        EXPECT_TRUE(store.SetCheck(IDC_TREE_IE_WSC, daily, kChecked, true));
        EXPECT_TRUE(store.HasCheckedMainScript());
        EXPECT_EQ(store.GetCheckedMainScriptKey(), L"\\news\\daily.WSC");
        store.SelectMainScript(store.GetCheckedMainScriptKey());
        store.SetCheck(IDC_TREE_URL_WSC, urlTree.GetRootItem(), kChecked, false);
        store.SaveState();
        store.Clear();
        EXPECT_EQ(mainTree.GetCount(), 0u);
        EXPECT_EQ(urlTree.GetCount(), 0u);
        EXPECT_EQ(store.GetCurrentUrlTree(), nullptr);
    }
    CScriptStore store;
    ASSERT_EQ(store.Load(form.Handle(), mainDirectory), S_OK);
    EXPECT_EQ(store.GetMainTree().GetItemKey(mainTree.GetSelectedItem()), L"\\news\\daily.WSC");
    EXPECT_TRUE(store.IsSelectedMainScriptChecked());
    ASSERT_NE(store.GetCurrentUrlTree(), nullptr);
    EXPECT_EQ(UrlTreeNames(), std::set<std::wstring>{L"news.example.WSC"});
    EXPECT_TRUE(store.GetCurrentUrlTree()->IsScriptChecked(L"\\news.example.WSC"));

    mainTree.SelectItem(store.GetMainTree().FindItemByPath(nullptr, L"top.wsc"));
    EXPECT_FALSE(store.IsSelectedMainScriptChecked());
}

}  // namespace
}  // namespace pelmora
