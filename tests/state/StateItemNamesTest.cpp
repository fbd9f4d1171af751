// Item names as a state value stores them: the ANSI bytes of each name, which values
// saved before hold, and a name the code page cannot hold left out, not merged with
// the name its converted bytes happen to spell.
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

namespace pelmora {
namespace {

using test::Block;
using test::Item;

constexpr wchar_t kValueName[] = L"\\names\\main.WSC";
constexpr char kValueNameAnsi[] = "\\names\\main.WSC";
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

class StateItemNamesTest : public ::testing::Test {
protected:
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
};

TEST_F(StateItemNamesTest, NameTheCodePageCannotHoldIsNotSavedRatherThanTakingAnotherItemsMark) {
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
    const std::string stored = test::ReadProductValue(kValueNameAnsi).bytes;
    EXPECT_EQ(1u, test::CountOf(stored, win::WideToAnsi(spelled.substr(1)) + '\0'));

    // Nothing left out, nothing reported.
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(1u, test::CountOf(log.Added(), kUnstorableRecord));
}

TEST_F(StateItemNamesTest, NamesAreStoredAsTheirAnsiBytesAndValuesSavedSoReadBack) {
    const std::wstring name = L"caf\u00E9.WSC";
    const std::string bytes = win::WideToAnsi(name);
    ASSERT_EQ(name, win::AnsiToWide(bytes)) << "code page " << ::GetACP();
    ASSERT_NE(bytes, "caf?.WSC");

    CRootStorage root(kValueName);
    ASSERT_TRUE(root.SetValue(L"\\" + name, 0x4000));
    ASSERT_TRUE(root.Save());
    EXPECT_EQ(Block({Item(bytes, 0x4000)}), test::ReadProductValue(kValueNameAnsi).bytes);

    const std::string older = Block({Item(bytes, 0x2000, Block({Item("x.WSC", 0x4000)}))});
    ASSERT_EQ(ERROR_SUCCESS,
              test::WriteProductValue(kValueNameAnsi, REG_BINARY, older.data(), static_cast<DWORD>(older.size())));
    CRootStorage loaded(kValueName);
    loaded.Load();
    EXPECT_EQ(0x2000u, loaded.GetValue(L"\\" + name + L"\\"));
    EXPECT_EQ(0x4000u, loaded.GetValue(L"\\" + name + L"\\x.WSC"));
}

}  // namespace
}  // namespace pelmora
