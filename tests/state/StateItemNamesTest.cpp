// A state item name the ANSI code page cannot hold is left out of the saved value, not
// merged with the name its converted bytes happen to spell.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "state/StateStorage.h"
#include "state/StateValueBytes.h"
#include "state/StateValueFormat.h"

namespace pelmora {
namespace {

constexpr wchar_t kValueName[] = L"\\names\\main.WSC";
constexpr char kUnstorableRecord[] =
    ":<WARNING(1)> State item name can not be stored in the ANSI code page. in CRootStorage::Save at StateStorage";

// A name the code page cannot hold exactly whose bytes spell a name it can hold: a
// best-fit letter in a Western code page, a lone surrogate in any other.
struct Collision {
    std::wstring lossy;
    std::wstring spelled;
};

std::optional<Collision> FindCollision() {
    const Collision candidates[] = {{L"\u0101", L"a"}, {L"\xD800", L"?"}, {L"\xD800", L"\uFFFD"}};
    for (const Collision& c : candidates) {
        const std::string bytes = win::WideToAnsi(c.lossy);
        if (win::AnsiToWide(bytes) != c.lossy && bytes == win::WideToAnsi(c.spelled) &&
            win::AnsiToWide(bytes) == c.spelled) {
            return c;
        }
    }
    return std::nullopt;
}

TEST(StateItemNamesTest, NameTheCodePageCannotHoldIsNotSavedRatherThanTakingAnotherItemsMark) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    const auto collision = FindCollision();
    ASSERT_TRUE(collision) << "code page " << ::GetACP();
    const std::wstring spelled = L"\\" + collision->spelled + L".WSC";
    const std::wstring lossy = L"\\" + collision->lossy + L".WSC";
    const std::wstring lossyFolder = L"\\" + collision->lossy + L"\\";

    CRootStorage root(kValueName);
    ASSERT_TRUE(root.SetValue(spelled, 0x3000));  // unchecked
    ASSERT_TRUE(root.SetValue(lossy, 0x4000));    // checked
    ASSERT_TRUE(root.SetValue(lossyFolder + L"x.WSC", 0x4000));
    ASSERT_TRUE(root.SetValue(L"\\kept\\b.WSC", 0x4000));
    ASSERT_TRUE(root.Save());
    EXPECT_EQ(1u, test::CountOf(log.Added(), kUnstorableRecord)) << log.Added();

    CRootStorage loaded(kValueName);
    loaded.Load();
    EXPECT_EQ(0x3000u, loaded.GetValue(spelled));
    EXPECT_EQ(0u, loaded.GetValue(lossy));
    EXPECT_EQ(nullptr, loaded.FindItem(lossyFolder));
    EXPECT_EQ(0x4000u, loaded.GetValue(L"\\kept\\b.WSC"));
    EXPECT_EQ(2u, loaded.Items().size());

    // Nothing left out, nothing reported.
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(1u, test::CountOf(log.Added(), kUnstorableRecord));
}

// Plain ASCII names take a shorter way into the value than names that need the code
// page; both must come out as the code page's bytes, in name order, and read back.
TEST(StateItemNamesTest, PlainAndCodePageNamesAreStoredAsTheirCodePageBytes) {
    struct Case {
        const char* what;
        std::wstring name;
    };
    const Case cases[] = {
        {"plain", L"daily.WSC"},
        {"punctuation and digits", L"h.example~1 (2)!.WSC"},
        {"a letter beyond ASCII", L"caf\u00E9.WSC"},
        {"a character of the upper half", L"\u00FCber"},
        {"delete and tilde at the ASCII edge", L"\x7F~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = win::WideToAnsi(c.name);
        if (win::AnsiToWide(bytes) != c.name) continue;  // this code page cannot hold it: the test above
        CStateStorage storage(L"");
        ASSERT_TRUE(storage.SetValue(L"\\folder\\" + c.name, 0x4000));
        ASSERT_TRUE(storage.SetValue(L"\\folder\\", 0x2020));
        const std::string expected =
            test::Block({test::Item("folder", 0x2020, test::Block({test::Item(bytes, 0x4000)}))});
        EXPECT_EQ(expected, test::SerializedBytes(storage));

        CStateStorage parsed(L"");
        ASSERT_TRUE(parsed.Parse(reinterpret_cast<const BYTE*>(expected.data()), expected.size()));
        EXPECT_EQ(0x4000u, parsed.GetValue(L"\\folder\\" + c.name));
        EXPECT_EQ(expected, test::SerializedBytes(parsed));
    }
    // A name with a zero inside cannot be stored at all, plain or not.
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(std::wstring(L"a\0b", 3), 0x4000));
    EXPECT_EQ(test::Block({}), test::SerializedBytes(storage));
    EXPECT_EQ(1u, CountUnstorableItems(storage));
}

}  // namespace
}  // namespace pelmora
