// Real clicks and key presses on the check boxes of a script tree under Xvfb, read back
// from the control; and a picture of a filled tree for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "bandhost/Screenshot.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "resources/resource.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

constexpr int kTreeId = IDC_TREE_IE_WSC;
constexpr int kFolderClear = 1, kFolderMarked = 2, kUnchecked = 3, kChecked = 4;

class ScriptTreeClickTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::MovePointerTo(POINT{2, 2}));
        for (const wchar_t* folder : {L"news", L"news\\sport", L"tools"}) {
            ASSERT_TRUE(::CreateDirectoryW((root / folder).c_str(), nullptr));
        }
        for (const wchar_t* file : {L"news\\daily.WSC", L"news\\sport\\match.wsc", L"tools\\zoom.wsc", L"top.wsc"}) {
            test::WriteFileBytes(root / file, "x");
        }
        ASSERT_TRUE(host.Open()) << ::GetLastError();
        tree = ui::TreeView(host.AddTree(kTreeId, {5, 5, 340, 400}));
        ASSERT_EQ(model.Load(tree.Handle(), root.path()), S_OK);
        // Everything visible, so every check box can be clicked.
        for (const wchar_t* folder : {L"news", L"news\\sport", L"tools"}) {
            tree.Expand(Item(folder), TVE_EXPAND);
        }
        host.onCheckChanged = [this](int id, HTREEITEM item) {
            if (id == kTreeId) model.ChangeCheck(item, model.CompleteCheckAdvance(item), exclusive);
        };
        test::PumpPending();
    }

    HTREEITEM Item(const std::wstring& path) const { return model.FindItemByPath(nullptr, path); }
    int Mark(const std::wstring& path) const {
        return ui::StateImageIndexOf(tree.GetItemState(Item(path), TVIS_STATEIMAGEMASK));
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir root;
    test::ScriptTreeHost host;
    ui::TreeView tree;
    CFileBrowser model{L"\\tests\\clicks.WSC"};
    bool exclusive = false;
};

TEST_F(ScriptTreeClickTest, ClicksAndSpaceToggleScriptsWhileFoldersFollowAndKeepTheirMarks) {
    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"news\\sport\\match.wsc")));
    EXPECT_EQ(Mark(L"news\\sport\\match.wsc"), kChecked);
    EXPECT_EQ(Mark(L"news\\sport"), kFolderMarked);
    EXPECT_EQ(Mark(L"news"), kFolderMarked);

    ASSERT_TRUE(test::PressSpaceOn(host, tree.Handle(), Item(L"news\\daily.WSC")));
    EXPECT_EQ(Mark(L"news\\daily.WSC"), kChecked);

    // A marked folder and a clear one, clicked and toggled with Space.
    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"news")));
    EXPECT_EQ(Mark(L"news"), kFolderMarked);
    ASSERT_TRUE(test::PressSpaceOn(host, tree.Handle(), Item(L"news")));
    EXPECT_EQ(Mark(L"news"), kFolderMarked);
    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"tools")));
    EXPECT_EQ(Mark(L"tools"), kFolderClear);
    ASSERT_TRUE(test::PressSpaceOn(host, tree.Handle(), Item(L"tools")));
    EXPECT_EQ(Mark(L"tools"), kFolderClear);

    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"news\\sport\\match.wsc")));
    EXPECT_EQ(Mark(L"news\\sport\\match.wsc"), kUnchecked);
    EXPECT_EQ(Mark(L"news\\sport"), kFolderClear);
    EXPECT_EQ(Mark(L"news"), kFolderMarked);
    ASSERT_TRUE(test::PressSpaceOn(host, tree.Handle(), Item(L"news\\daily.WSC")));
    EXPECT_EQ(Mark(L"news\\daily.WSC"), kUnchecked);
    EXPECT_EQ(Mark(L"news"), kFolderClear);
    EXPECT_FALSE(model.HasCheckedItems());
}

TEST_F(ScriptTreeClickTest, ClickingAnotherMainScriptMovesTheOnlyCheckToIt) {
    exclusive = true;
    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"tools\\zoom.wsc")));
    ASSERT_TRUE(test::ClickCheckBox(host, tree.Handle(), Item(L"top.wsc")));
    EXPECT_EQ(Mark(L"top.wsc"), kChecked);
    EXPECT_EQ(Mark(L"tools\\zoom.wsc"), kUnchecked);
    EXPECT_EQ(Mark(L"tools"), kFolderClear);
    EXPECT_EQ(model.GetCheckedFiles(), CFileBrowser::ItemSet{Item(L"top.wsc")});
}

// The colour of the middle of an item's check box in a picture of the window.
COLORREF CheckBoxColour(const bandhost::Picture& picture, HWND window, HWND treeWindow, HTREEITEM item) {
    RECT text{};
    ui::TreeView(treeWindow).GetItemRect(item, text, true);
    POINT point{text.left - 16 - 8, (text.top + text.bottom) / 2};
    ::MapWindowPoints(treeWindow, window, &point, 1);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    return bandhost::ColourAt(picture, point.x + origin.x - frame.left, point.y + origin.y - frame.top);
}

TEST_F(ScriptTreeClickTest, PictureOfAFilledTreeShowsDifferentBoxesForCheckedAndUncheckedScripts) {
    model.ChangeCheck(Item(L"news\\sport\\match.wsc"), kChecked, false);
    ::RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    test::PumpFor(200);

    bandhost::Picture picture;
    ASSERT_EQ(bandhost::CaptureWindow(host.Handle(), picture), S_OK);
    const COLORREF checked = CheckBoxColour(picture, host.Handle(), tree.Handle(), Item(L"news\\sport\\match.wsc"));
    const COLORREF unchecked = CheckBoxColour(picture, host.Handle(), tree.Handle(), Item(L"top.wsc"));
    const COLORREF folder = CheckBoxColour(picture, host.Handle(), tree.Handle(), Item(L"news"));
    EXPECT_NE(checked, unchecked);
    EXPECT_NE(folder, unchecked) << "a marked folder shows the dimmed ticked box";
    // Next to the test program's folder, inside the build tree; not committed.
    const std::wstring path = test::ProgramDirectory() + L"\\..\\script-tree.png";
    EXPECT_EQ(bandhost::WritePng(picture, path), S_OK);
    EXPECT_TRUE(test::FileExists(path));
}

}  // namespace
}  // namespace pelmora
