#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "framework/com/GuidText.h"

namespace pelmora::com {
namespace {

std::wstring AsWindowsWritesIt(const GUID& id) {
    wchar_t text[39] = {};
    EXPECT_EQ(39, ::StringFromGUID2(id, text, 39));
    return text;
}

TEST(GuidTextTest, SpellsAGuidAsWindowsDoes) {
    const GUID cases[] = {
        GUID_NULL,
        {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0x0A1B2C3D, 0x04E5, 0xF607, {0x08, 0x19, 0x2A, 0x3B, 0x4C, 0x5D, 0x6E, 0x7F}},
    };
    for (const GUID& id : cases) EXPECT_EQ(AsWindowsWritesIt(id), BracedGuidText(id).text);
}

// Made while compiling, as the script folders' names are.
constexpr GuidText kMade = BracedGuidText({0x12AB34CD, 0x56EF, 0x7890, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18}});
TEST(GuidTextTest, IsMadeWhileCompiling) { EXPECT_STREQ(L"{12AB34CD-56EF-7890-A1B2-C3D4E5F60718}", kMade.text); }

}  // namespace
}  // namespace pelmora::com
