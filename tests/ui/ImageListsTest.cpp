// Image lists keyed by kind, filled from the icon resources linked into this program.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

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

// What an image looks like drawn on white, pixel by pixel, mask included.
std::vector<COLORREF> DrawnPixels(HIMAGELIST list, int index) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(ImageLists, SetReadBackFromItsSavedBytesDrawsEveryImageAsTheDrawnOneAndKeepsItsIndexes) {
    CImageLists drawn;
    for (int id : {IDI_SCRIPT, IDI_WINDOW, IDI_FOLDER_CLOSED, IDI_GLOBE}) ASSERT_TRUE(drawn.AddIcon(IMAGE_LIST_NORMAL, id));
    for (int id : {IDI_BLANK, IDI_CHECK_FOLDER_CLEAR, IDI_CHECK_FOLDER_MARKED, IDI_CHECK_UNCHECKED,
                   IDI_CHECK_CHECKED}) {
        ASSERT_TRUE(drawn.AddIcon(IMAGE_LIST_STATE, id));
    }
    CImageLists::Saved saved;
    ASSERT_TRUE(drawn.Save(saved));
    const auto read = CImageLists::FromSaved(saved);
    ASSERT_NE(read, nullptr);

    for (int kind : {IMAGE_LIST_NORMAL, IMAGE_LIST_STATE}) {
        HIMAGELIST original = drawn.GetList(kind)->Get(), copy = read->GetList(kind)->Get();
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, original) << "a list of its own, for another thread";
        ASSERT_EQ(::ImageList_GetImageCount(copy), ::ImageList_GetImageCount(original));
        int width = 0, height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(copy, &width, &height));
        EXPECT_EQ(width, 16);
        EXPECT_EQ(height, 16);
        for (int index = 0; index < ::ImageList_GetImageCount(original); ++index) {
            const auto pixels = DrawnPixels(original, index);
            EXPECT_EQ(DrawnPixels(copy, index), pixels) << "kind " << kind << ", image " << index;
            if (drawn.ResourceOf(kind, index) == IDI_BLANK) continue;
            EXPECT_NE(std::count(pixels.begin(), pixels.end(), RGB(255, 255, 255)), 256)
                << "image " << index << " draws nothing but its background";
        }
    }
    EXPECT_EQ(read->IndexOf(IMAGE_LIST_NORMAL, IDI_GLOBE), 3);
    EXPECT_EQ(read->ResourceOf(IMAGE_LIST_STATE, 4), IDI_CHECK_CHECKED);

    CImageLists::Saved damaged = saved;
    damaged[IMAGE_LIST_STATE].bytes.resize(10);
    EXPECT_EQ(CImageLists::FromSaved(damaged), nullptr);
}

}  // namespace
}  // namespace pelmora
