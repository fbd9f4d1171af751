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

}  // namespace
}  // namespace pelmora
