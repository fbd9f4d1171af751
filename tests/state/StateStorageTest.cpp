#include <gtest/gtest.h>

#include <cstring>
#include <memory_resource>
#include <string>

#include "state/StateArena.h"
#include "state/StateStorage.h"
#include "state/StateValueBytes.h"

namespace pelmora {
namespace {

using test::Block;
using test::Item;

// --- state paths --------------------------------------------------------------------

TEST(StatePaths, SetValueOfDeepPathCreatesEveryLevelAndSetsOnlyTheLast) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\a\\b\\c", 7));

    const auto a = storage.FindItem(L"\\a");
    const auto b = storage.FindItem(L"\\a\\b");
    const auto c = storage.FindItem(L"\\a\\b\\c");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->Value(), 0u);
    EXPECT_EQ(b->Value(), 0u);
    EXPECT_EQ(c->Value(), 7u);
    EXPECT_EQ(a->Children().Name(), L"a");
    EXPECT_EQ(c->Children().Name(), L"c");
    EXPECT_TRUE(c->Children().Items().empty());
    EXPECT_EQ(storage.Items().size(), 1u);
}

TEST(StatePaths, FolderKeysWithTrailingBackslashAndPlainNamesAddressTheSameItems) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\news\\", 3));
    ASSERT_TRUE(storage.SetValue(L"news\\daily.WSC", 9));

    EXPECT_EQ(storage.GetValue(L"news"), 3u);
    EXPECT_EQ(storage.GetValue(L"\\news\\"), 3u);
    EXPECT_EQ(storage.GetValue(L"\\news\\daily.WSC"), 9u);
    EXPECT_EQ(storage.Items().size(), 1u);
}

TEST(StatePaths, EmptyPathsChangeNothingAndFindNothing) {
    CStateStorage storage(L"");
    for (const wchar_t* path : {L"", L"\\", L"\\\\"}) {
        SCOPED_TRACE(testing::Message() << "path of " << wcslen(path) << " characters");
        EXPECT_FALSE(storage.SetValue(path, 1));
        EXPECT_TRUE(storage.Items().empty());
        EXPECT_EQ(storage.FindItem(path), nullptr);
    }
}

TEST(StatePaths, MissingItemsAndItemsWithoutValueReadAsZero) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\a\\b", 5));
    EXPECT_EQ(storage.GetValue(L"\\a"), 0u);
    EXPECT_EQ(storage.GetValue(L"\\a\\x"), 0u);
    EXPECT_EQ(storage.GetValue(L"\\x\\b"), 0u);
    EXPECT_EQ(storage.GetValue(L"\\a\\b\\c"), 0u);
}

TEST(StatePaths, NamesDifferingOnlyInCaseAreTwoItems) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\Daily.wsc", 1));
    ASSERT_TRUE(storage.SetValue(L"\\daily.WSC", 2));
    EXPECT_EQ(storage.Items().size(), 2u);
    EXPECT_EQ(storage.GetValue(L"\\Daily.wsc"), 1u);
    EXPECT_EQ(storage.GetValue(L"\\daily.WSC"), 2u);
    EXPECT_EQ(storage.GetValue(L"\\DAILY.WSC"), 0u);
}

TEST(StatePaths, PathDeeperThanTheNestingCapIsRefusedWhole) {
    CStateStorage storage(L"");
    EXPECT_FALSE(storage.SetValue(test::Widen(test::ChainPath(kMaxStateDepth + 1)), 1));
    EXPECT_TRUE(storage.Items().empty());

    EXPECT_TRUE(storage.SetValue(test::Widen(test::ChainPath(kMaxStateDepth)), 1));
    EXPECT_EQ(storage.GetValue(test::Widen(test::ChainPath(kMaxStateDepth))), 1u);
}

TEST(StatePaths, ClearRemovesEveryItemWhileAHeldItemStaysUsable) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\a\\b", 5));
    const auto held = storage.FindItem(L"\\a");
    storage.Clear();

    EXPECT_TRUE(storage.Items().empty());
    EXPECT_EQ(storage.GetValue(L"\\a\\b"), 0u);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->Children().GetValue(L"b"), 5u);

    // The storage goes on in fresh memory while the held item keeps the old one.
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(storage.SetValue(L"\\f\\script" + std::to_wstring(i), i));
    EXPECT_EQ(storage.GetValue(L"\\f\\script1999"), 1999u);
    EXPECT_EQ(held->Name(), L"a");
    EXPECT_EQ(held->Children().GetValue(L"b"), 5u);
}

TEST(StatePaths, ItemHeldPastItsTreeKeepsItsNameValueAndChildren) {
    std::shared_ptr<CStateItem> held;
    {
        CStateStorage storage(L"");
        for (int i = 0; i < 500; ++i) ASSERT_TRUE(storage.SetValue(L"\\f" + std::to_wstring(i) + L"\\leaf", i));
        held = storage.FindItem(L"\\f250");
    }
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->Name(), L"f250");
    EXPECT_EQ(held->Children().GetValue(L"leaf"), 250u);
    // A tree made after the first one is gone reads its own items, not the old ones.
    CStateStorage again(L"");
    ASSERT_TRUE(again.SetValue(L"\\leaf", 9));
    EXPECT_EQ(again.GetValue(L"\\leaf"), 9u);
    EXPECT_EQ(held->Children().GetValue(L"leaf"), 250u);
}

TEST(StatePaths, SpareMemoryHandsABlockGivenBackOutAgainOnlyForItsOwnSize) {
    std::pmr::memory_resource* spare = SpareStateMemory();
    void* first = spare->allocate(300 * 1024, 16);
    std::memset(first, 0x5A, 300 * 1024);
    spare->deallocate(first, 300 * 1024, 16);
    void* other = spare->allocate(200 * 1024, 16);
    EXPECT_NE(other, first);
    void* again = spare->allocate(300 * 1024, 16);
    EXPECT_EQ(again, first);
    spare->deallocate(again, 300 * 1024, 16);
    spare->deallocate(other, 200 * 1024, 16);
}

// --- value format -------------------------------------------------------------------

TEST(StateValueFormat, ItemsAreWrittenInOrdinalNameOrderWhateverOrderTheyWereSet) {
    CStateStorage storage(L"");
    for (const wchar_t* name : {L"b", L"ab", L"a", L"B", L"A"}) ASSERT_TRUE(storage.SetValue(name, name[0]));
    EXPECT_EQ(test::SerializedBytes(storage),
              Block({Item("A", 'A'), Item("B", 'B'), Item("a", 'a'), Item("ab", 'a'), Item("b", 'b')}));
}

TEST(StateValueFormat, NestedItemsCarryTheSizesOfTheirSubtrees) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(L"\\news\\daily.WSC", 0x4000));
    ASSERT_TRUE(storage.SetValue(L"\\news\\", 0x2002));
    ASSERT_TRUE(storage.SetValue(L"\\top.WSC", 0xFFFFFFFF));
    const std::string expected =
        Block({Item("news", 0x2002, Block({Item("daily.WSC", 0x4000)})), Item("top.WSC", 0xFFFFFFFF)});

    EXPECT_EQ(storage.GetSerializedSize(), expected.size());
    EXPECT_EQ(test::SerializedBytes(storage), expected);
    std::string tooSmall(expected.size() - 1, '\x55');
    EXPECT_EQ(storage.Serialize(reinterpret_cast<BYTE*>(tooSmall.data()), tooSmall.size()), 0u);
    EXPECT_EQ(tooSmall, std::string(expected.size() - 1, '\x55'));
}

TEST(StateValueFormat, EmbeddedZeroInANameCannotShiftTheItemsAfterIt) {
    CStateStorage storage(L"");
    ASSERT_TRUE(storage.SetValue(std::wstring(L"a\0b", 3), 1));
    ASSERT_TRUE(storage.SetValue(L"c", 2));
    const std::string bytes = test::SerializedBytes(storage);
    EXPECT_EQ(bytes.size(), storage.GetSerializedSize());

    CStateStorage parsed(L"");
    ASSERT_TRUE(test::ParseBytes(parsed, bytes));
    // Cut at its zero the name would read back as "a", another item: it is left out.
    EXPECT_EQ(parsed.FindItem(L"a"), nullptr);
    EXPECT_EQ(parsed.GetValue(L"c"), 2u);
}

TEST(StateValueFormat, RepeatedNameInAChildBlockKeepsTheLaterOneAndTheItemsAfterIt) {
    const std::string bytes =
        Block({Item("f", 1, Block({Item("x", 10), Item("x", 20)})), Item("g", 3, Block({Item("y", 30)}))});
    CStateStorage storage(L"");
    ASSERT_TRUE(test::ParseBytes(storage, bytes));
    EXPECT_EQ(storage.FindItem(L"f")->Children().Items().size(), 1u);
    EXPECT_EQ(storage.GetValue(L"\\f\\x"), 20u);
    EXPECT_EQ(storage.GetValue(L"\\g"), 3u);
    EXPECT_EQ(storage.GetValue(L"\\g\\y"), 30u);
    EXPECT_EQ(storage.Items().size(), 2u);
}

TEST(StateValueFormat, NestingUpToTheCapIsReadAndWrittenBack) {
    const std::string bytes = Block({test::Chain(kMaxStateDepth)});
    CStateStorage storage(L"");
    ASSERT_TRUE(test::ParseBytes(storage, bytes));
    EXPECT_EQ(storage.GetValue(test::Widen(test::ChainPath(kMaxStateDepth))), 42u);
    EXPECT_EQ(test::SerializedBytes(storage), bytes);
}

}  // namespace
}  // namespace pelmora
