// The state image lists of a check-box tree: the list the tree view made for its check
// boxes goes once a model gives the tree its own, and the models' lists, which the
// models own, survive each other on a shared tree and the tree itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "framework/ui/TreeView.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

bool IsLiveList(HIMAGELIST list) {
    int width = 0, height = 0;
    return list && ::ImageList_GetIconSize(list, &width, &height);
}

void LoadOnePath(CFileBrowser& model, HWND tree) {
    model.Clear();
    model.LoadUrls(tree, std::make_shared<CFileBrowser::UrlPathList>(CFileBrowser::UrlPathList{L"h"}));
}

TEST(TreeStateListTest, CheckBoxListTheTreeMadeIsDestroyedAndTheModelsListsAreKept) {
    test::ScriptTreeHost host;
    ASSERT_TRUE(host.Open()) << ::GetLastError();
    struct Case {
        const char* what;
        bool drawnFirst;  // the tree makes its check-box list when it is first drawn
    };
    for (const Case c : {Case{"tree drawn before the models load", true}, Case{"models load at once", false}}) {
        SCOPED_TRACE(c.what);
        const HWND tree = host.AddTree(300, {5, 5, 340, 400});
        ASSERT_TRUE(tree);
        const ui::TreeView view(tree);
        if (c.drawnFirst) test::PumpUntil([&] { return view.GetImageList(TVSIL_STATE) != nullptr; });
        const HIMAGELIST own = view.GetImageList(TVSIL_STATE);
        ASSERT_EQ(c.drawnFirst, IsLiveList(own));

        // Two models on one tree, as the URL trees of all main scripts share one control.
        CFileBrowser first{L""};
        CFileBrowser second{L""};
        LoadOnePath(first, tree);
        const HIMAGELIST firstList = view.GetImageList(TVSIL_STATE);
        EXPECT_EQ(5, ::ImageList_GetImageCount(firstList));
        EXPECT_FALSE(IsLiveList(own));
        test::PumpFor(100);
        EXPECT_EQ(firstList, view.GetImageList(TVSIL_STATE)) << "the tree makes no list of its own any more";
        LoadOnePath(second, tree);
        const HIMAGELIST secondList = view.GetImageList(TVSIL_STATE);
        EXPECT_NE(firstList, secondList);
        LoadOnePath(first, tree);
        LoadOnePath(first, tree);
        EXPECT_EQ(firstList, view.GetImageList(TVSIL_STATE));
        EXPECT_TRUE(IsLiveList(firstList));
        EXPECT_TRUE(IsLiveList(secondList));

        // A caller's list comes back from the next call; normal lists are never taken.
        const HIMAGELIST normal = view.GetImageList(TVSIL_NORMAL);
        EXPECT_EQ(firstList, view.SetImageList(secondList, TVSIL_STATE));
        EXPECT_EQ(normal, view.SetImageList(normal, TVSIL_NORMAL));
        EXPECT_TRUE(IsLiveList(firstList));
        EXPECT_TRUE(IsLiveList(normal));

        ASSERT_TRUE(::DestroyWindow(tree));
        EXPECT_TRUE(IsLiveList(firstList));
        EXPECT_TRUE(IsLiveList(secondList));
    }
}

}  // namespace
}  // namespace pelmora
