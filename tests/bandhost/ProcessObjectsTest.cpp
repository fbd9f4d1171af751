// The soak's leak check must be able to fail: each count sees objects this process
// makes, and a growth past the margin is one.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "bandhost/ProcessObjects.h"

namespace pelmora::test {
namespace {

using bandhost::CountProcessObjects;
using bandhost::GrewBeyond;

TEST(ProcessObjectsTest, HandlesGdiObjectsAndWindowsAreCountedAsTheyComeAndGo) {
    const bandhost::ProcessObjects before = CountProcessObjects();
    ASSERT_TRUE(before.handles && before.user) << "handles or windows are not counted here";
    // Wine gives a 32-bit process no GDI handle table and no count of its own.
    const bool gdiCounted = before.gdi.has_value();
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(gdiCounted) << "GDI objects are not counted here";
    }

    constexpr unsigned kLeaked = 40;
    std::vector<HANDLE> events;
    std::vector<HBRUSH> brushes;
    std::vector<HWND> windows;
    for (unsigned i = 0; i < kLeaked; ++i) {
        events.push_back(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(::CreateSolidBrush(RGB(0, i, 0)));
        windows.push_back(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    }
    const bandhost::ProcessObjects leaking = CountProcessObjects();
    EXPECT_TRUE(GrewBeyond(before.handles, leaking.handles, kLeaked - 1));
    EXPECT_EQ(gdiCounted, GrewBeyond(before.gdi, leaking.gdi, kLeaked - 1));
    EXPECT_TRUE(GrewBeyond(before.user, leaking.user, kLeaked - 1));

    for (unsigned i = 0; i < kLeaked; ++i) {
        ::CloseHandle(events[i]);
        ::DeleteObject(brushes[i]);
        ::DestroyWindow(windows[i]);
    }
    const bandhost::ProcessObjects after = CountProcessObjects();
    EXPECT_FALSE(GrewBeyond(before.handles, after.handles, 4));
    EXPECT_FALSE(GrewBeyond(before.gdi, after.gdi, 4));
    EXPECT_FALSE(GrewBeyond(before.user, after.user, 4));
}

}  // namespace
}  // namespace pelmora::test
