// Where the hover box lands, including near the edges of the work area.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/PopupPlacement.h"

namespace pelmora {
namespace {

const RECT kWorkArea{0, 0, 1280, 1000};
const SIZE kBox{200, 40};

TEST(PopupPlacement, BoxStartsAtThePointerTwentyPixelsBelowIt) {
    const RECT placed = PlaceBelowPointer(POINT{300, 400}, kBox, kWorkArea);
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.top, 420);
    EXPECT_EQ(placed.right - placed.left, 200);
    EXPECT_EQ(placed.bottom - placed.top, 40);
}

TEST(PopupPlacement, BoxNearTheRightEdgeMovesLeftToStayWhole) {
    const RECT placed = PlaceBelowPointer(POINT{1200, 400}, kBox, kWorkArea);
    EXPECT_EQ(placed.right, 1280);
    EXPECT_EQ(placed.top, 420);
}

TEST(PopupPlacement, BoxNearTheBottomGoesAboveThePointer) {
    const RECT placed = PlaceBelowPointer(POINT{300, 970}, kBox, kWorkArea);
    EXPECT_EQ(placed.bottom, 970);
    EXPECT_EQ(placed.left, 300);
}

TEST(PopupPlacement, BoxLargerThanTheWorkAreaKeepsItsTopLeftCornerInside) {
    const RECT small{100, 50, 300, 90};
    const RECT placed = PlaceBelowPointer(POINT{250, 80}, kBox, small);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.top, 50);
}

}  // namespace
}  // namespace pelmora
