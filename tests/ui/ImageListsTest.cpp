// Image lists keyed by kind, filled from the icon resources linked into this program.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "resources/resource.h"
#include "ui/ImageLists.h"

namespace pelmora {
namespace {

int ImageCount(const CImageLists& lists, int kind) {
    return ::ImageList_GetImageCount(lists.GetList(kind)->Get());
}

TEST(ImageLists, IconsGetIndexesInTheOrderAddedAsSixteenPixelImages) {
    CImageLists lists;
    for (int id : {IDI_SCRIPT, IDI_WINDOW, IDI_FOLDER_CLOSED, IDI_GLOBE}) {
        ASSERT_TRUE(lists.AddIcon(IMAGE_LIST_NORMAL, id)) << id;
    }
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_SCRIPT), 0);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_WINDOW), 1);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_FOLDER_CLOSED), 2);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_GLOBE), 3);
    EXPECT_EQ(ImageCount(lists, IMAGE_LIST_NORMAL), 4);
    int width = 0, height = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(lists.GetList(IMAGE_LIST_NORMAL)->Get(), &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
}

TEST(ImageLists, KindsKeepSeparateListsAndIndexes) {
    CImageLists lists;
    ASSERT_TRUE(lists.AddIcon(IMAGE_LIST_NORMAL, IDI_SCRIPT));
    for (int id : {IDI_BLANK, IDI_CHECK_FOLDER_CLEAR, IDI_CHECK_FOLDER_MARKED, IDI_CHECK_UNCHECKED,
                   IDI_CHECK_CHECKED}) {
        ASSERT_TRUE(lists.AddIcon(IMAGE_LIST_STATE, id)) << id;
    }
    EXPECT_EQ(ImageCount(lists, IMAGE_LIST_NORMAL), 1);
    EXPECT_EQ(ImageCount(lists, IMAGE_LIST_STATE), 5);
    EXPECT_NE(lists.GetList(IMAGE_LIST_NORMAL)->Get(), lists.GetList(IMAGE_LIST_STATE)->Get());
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_STATE, IDI_CHECK_CHECKED), 4);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_STATE, IDI_SCRIPT), -1);
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_STATE, 0), IDI_BLANK);
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_STATE, 2), IDI_CHECK_FOLDER_MARKED);
}

TEST(ImageLists, UnknownKindsIconsAndIndexesAnswerMinusOneAndAddNothing) {
    CImageLists lists;
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_SCRIPT), -1);
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_NORMAL, 0), -1);
    ASSERT_TRUE(lists.AddIcon(IMAGE_LIST_NORMAL, IDI_SCRIPT));
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_NORMAL, 0), IDI_SCRIPT);
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_NORMAL, 1), -1);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, IDI_GLOBE), -1);
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_STATE, IDI_SCRIPT), -1);
    // A missing icon resource adds nothing.
    EXPECT_FALSE(lists.AddIcon(IMAGE_LIST_NORMAL, 4999));
    EXPECT_EQ(lists.IndexOf(IMAGE_LIST_NORMAL, 4999), -1);
    EXPECT_EQ(ImageCount(lists, IMAGE_LIST_NORMAL), 1);
    EXPECT_EQ(lists.ResourceOf(IMAGE_LIST_NORMAL, 1), -1);
}

TEST(ImageLists, KindWithoutListGivesAnEmptyEntryAndAKeptEntryOutlivesTheLists) {
    CImageLists::SharedEntry kept;
    {
        CImageLists lists;
        const auto none = lists.GetList(IMAGE_LIST_STATE);
        ASSERT_NE(none, nullptr);
        EXPECT_EQ(none->Get(), nullptr);
        ASSERT_TRUE(lists.AddIcon(IMAGE_LIST_NORMAL, IDI_GLOBE));
        kept = lists.GetList(IMAGE_LIST_NORMAL);
    }
    // A control still showing the list keeps a valid list.
    EXPECT_EQ(::ImageList_GetImageCount(kept->Get()), 1);
}

}  // namespace
}  // namespace pelmora
