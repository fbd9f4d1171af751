// URL scripts written for the checked items of the Add URL tree: folders and files in
// tree order, names from web sites kept inside the folder, edited scripts kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "LogCapture.h"
#include "MessageBoxRecorder.h"
#include "TestSupport.h"
#include "framework/win/Ansi.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

class CreateCheckedScriptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open()) << ::GetLastError();
        tree = host.AddTree(300, {5, 5, 340, 400});
        ASSERT_TRUE(tree);
        ASSERT_TRUE(::CreateDirectoryW(urlFolder.c_str(), nullptr));
    }

    void Create(std::initializer_list<const wchar_t*> urlPaths) {
        model.LoadUrls(tree, std::make_shared<CFileBrowser::UrlPathList>(urlPaths.begin(), urlPaths.end()));
        model.CreateCheckedScripts(urlFolder);
    }

    // A file error would show a modal box; none may appear in these tests.
    test::MessageBoxRecorder boxes;
    test::TempDir root;
    // The main script's URL-script folder, which the script store makes.
    std::wstring urlFolder = root / L"daily.WSC";
    test::ScriptTreeHost host;
    HWND tree = nullptr;
    CFileBrowser model{L""};
};

bool IsWindowScript(const std::string& text) {
    return text.rfind("<?XML version=\"1.0\"?>\r\n", 0) == 0 &&
           text.find("<property name=\"window\"/>") != std::string::npos &&
           text.find("function onload()") != std::string::npos;
}

TEST_F(CreateCheckedScriptsTest, PageAndSiteItemsBecomeFoldersAndWindowScripts) {
    Create({L"h/news/index.html", L"g"});
    EXPECT_TRUE(test::DirectoryExists(urlFolder + L"\\h"));
    EXPECT_TRUE(test::DirectoryExists(urlFolder + L"\\h\\news"));
    EXPECT_TRUE(IsWindowScript(test::ReadFileBytes(urlFolder + L"\\h\\news\\index.html.WSC")));
    EXPECT_TRUE(IsWindowScript(test::ReadFileBytes(urlFolder + L"\\g.WSC")));
    EXPECT_FALSE(test::FileExists(urlFolder + L"\\h.WSC")) << "a site folder is not a site script";
}

TEST_F(CreateCheckedScriptsTest, UnusableNamesAreSkippedWithARecordAndNothingLeavesTheFolder) {
    test::LogCapture log;
    Create({L"../evil", L"a:b", L"back\\slash/x", L"ok"});
    EXPECT_TRUE(IsWindowScript(test::ReadFileBytes(urlFolder + L"\\ok.WSC")));
    EXPECT_FALSE(test::FileExists(root / L"evil.WSC"));
    EXPECT_FALSE(test::FileExists(urlFolder + L"\\..\\evil.WSC"));
    EXPECT_FALSE(test::FileExists(urlFolder + L"\\a:b.WSC"));
    const std::string added = log.Added();
    EXPECT_NE(std::string::npos, added.find("> Unusable URL script name (\\..\\). in "
                                            "CFileBrowser::CreateCheckedScripts at FileBrowserScripts"))
        << added;
    EXPECT_NE(std::string::npos, added.find("Unusable URL script name (\\a:b)")) << added;
    // One record per refused name: none again for the items below it, and a folder
    // text holding a backslash is one name, not two folders.
    EXPECT_NE(std::string::npos, added.find("Unusable URL script name (\\back\\slash\\)")) << added;
    EXPECT_EQ(3u, test::CountOf(added, "Unusable URL script name (")) << added;
    EXPECT_FALSE(test::FileExists(urlFolder + L"\\back\\slash\\x.WSC"));
    EXPECT_EQ(std::string::npos, added.find("(\\ok)")) << added;
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(CreateCheckedScriptsTest, ExistingScriptIsKeptWithAWarningAndNewOnesAreStillWritten) {
    test::WriteFileBytes(urlFolder + L"\\h.WSC", "what the user wrote");
    test::LogCapture log;
    Create({L"h", L"g"});
    EXPECT_EQ("what the user wrote", test::ReadFileBytes(urlFolder + L"\\h.WSC"));
    EXPECT_TRUE(IsWindowScript(test::ReadFileBytes(urlFolder + L"\\g.WSC")));
    EXPECT_NE(std::string::npos,
              log.Added().find(":<WARNING(1)> URL script exists and is kept (" +
                               win::WideToAnsi(urlFolder) + "\\h.WSC). in CFileBrowser::CreateCheckedScripts"))
        << log.Added();
}

TEST_F(CreateCheckedScriptsTest, UncheckedItemsWriteNothing) {
    model.LoadUrls(tree, std::make_shared<CFileBrowser::UrlPathList>(CFileBrowser::UrlPathList{L"h/a"}));
    const HTREEITEM a = model.FindItemByPath(model.FindItemByPath(nullptr, L"h"), L"a");
    ASSERT_TRUE(a);
    model.ChangeCheck(a, 1, false);
    model.CreateCheckedScripts(urlFolder);
    EXPECT_FALSE(test::DirectoryExists(urlFolder + L"\\h"));
    EXPECT_FALSE(test::FileExists(urlFolder + L"\\h\\a.WSC"));
}

}  // namespace
}  // namespace pelmora
