// The check-box state list a tree view makes for itself goes when a model gives the tree
// its own state list; the models' lists, shared by the models of a thread, survive a
// shared tree, the tree itself and any one model while another still lives.
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

TEST(TreeStateListTest, CheckBoxListTheTreeMadeIsDestroyedAndTheModelsListsAreKept) {
    test::ScriptTreeHost host;
    ASSERT_TRUE(host.Open()) << ::GetLastError();
    // The tree makes its list when first drawn, and only while it has no state list.
    for (const bool drawnFirst : {true, false}) {
        SCOPED_TRACE(drawnFirst ? "tree drawn before the models load" : "models load at once");
        const HWND tree = host.AddTree(300, {5, 5, 340, 400});
        ASSERT_TRUE(tree);
        const ui::TreeView view(tree);
        if (drawnFirst) test::PumpUntil([&] { return view.GetImageList(TVSIL_STATE) != nullptr; });
        const HIMAGELIST own = view.GetImageList(TVSIL_STATE);
        ASSERT_EQ(drawnFirst, IsLiveList(own));

        // Two models on one tree, as the URL trees of all main scripts share one control.
        CFileBrowser first{L""}, second{L""};
        CFileBrowser* const models[] = {&first, &second};
        HIMAGELIST lists[2] = {};
        for (int load : {0, 1, 0, 0, 1}) {
            models[load]->Clear();
            models[load]->LoadUrls(tree, std::make_shared<CFileBrowser::UrlPathList>(CFileBrowser::UrlPathList{L"h"}));
            lists[load] = view.GetImageList(TVSIL_STATE);
            EXPECT_FALSE(IsLiveList(own));
            test::PumpFor(50);
            EXPECT_EQ(lists[load], view.GetImageList(TVSIL_STATE)) << "the tree makes no list of its own any more";
        }
        EXPECT_EQ(lists[0], lists[1]) << "every model shows the same state list";
        const HIMAGELIST normal = view.GetImageList(TVSIL_NORMAL);
        EXPECT_EQ(lists[1], view.SetImageList(lists[0], TVSIL_STATE)) << "a caller's list comes back";
        ASSERT_TRUE(::DestroyWindow(tree));
        EXPECT_EQ(5, ::ImageList_GetImageCount(lists[0]));
        EXPECT_EQ(4, ::ImageList_GetImageCount(normal));
        // A model made later, on a tree of its own, shows the same lists, which outlive it.
        const HWND later = host.AddTree(301, {5, 5, 340, 400});
        ASSERT_TRUE(later);
        {
            CFileBrowser third{L""};
            third.LoadUrls(later, std::make_shared<CFileBrowser::UrlPathList>(CFileBrowser::UrlPathList{L"h/a"}));
        }
        EXPECT_EQ(lists[0], ui::TreeView(later).GetImageList(TVSIL_STATE));
        EXPECT_EQ(normal, ui::TreeView(later).GetImageList(TVSIL_NORMAL));
        EXPECT_EQ(5, ::ImageList_GetImageCount(lists[0]));
        ASSERT_TRUE(::DestroyWindow(later));
    }
}

}  // namespace
}  // namespace pelmora
