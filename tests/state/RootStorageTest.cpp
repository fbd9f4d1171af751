#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Logger.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "state/StateStorage.h"
#include "state/StateValueBytes.h"

namespace pelmora {
namespace {

using test::Block;
using test::Item;

constexpr char kMainTreeValue[] = "{34A715A0-6587-11D0-924A-0020AFC7AC4D}";
constexpr char kUrlTreeValue[] = "\\news\\daily.WSC";
constexpr char kCorruptRecord[] = ":<ERROR(0)> State value is corrupted. in CRootStorage::Load at StateStorage (line:";

// Reads the records of the process's log, which lives in the default script folder;
// the log is put back as it was found, so that folder's own tests still find it empty.
class RootStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(GetLogger().LogPath().empty());
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING | LOG_INFO));
        logExisted_ = test::FileExists(LogPath());
        logBefore_ = LogText();
        logSeen_ = logBefore_.size();
    }

    void TearDown() override {
        if (logExisted_) {
            test::WriteFileBytes(LogPath(), logBefore_);
        } else {
            ::DeleteFileW(LogPath().c_str());
        }
    }

    static std::wstring LogPath() { return GetLogger().LogPath(); }
    static std::string LogText() { return test::ReadFileBytes(LogPath()); }

    // Corruption records written since the last call.
    size_t NewCorruptRecords() {
        const std::string log = LogText();
        const std::string added = log.size() > logSeen_ ? log.substr(logSeen_) : std::string();
        logSeen_ = log.size();
        size_t count = 0;
        for (size_t at = added.find(kCorruptRecord); at != std::string::npos; at = added.find(kCorruptRecord, at + 1)) {
            ++count;
        }
        return count;
    }

    static void WriteValue(const char* name, const std::string& bytes, DWORD type = REG_BINARY) {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductValue(name, type, bytes.data(), static_cast<DWORD>(bytes.size())));
    }

    // What a fresh root storage loads from the value.
    static std::string LoadedBytes(const char* name) {
        CRootStorage root(test::Widen(name));
        root.Load();
        return test::SerializedBytes(root);
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    bool logExisted_ = false;
    std::string logBefore_;
    size_t logSeen_ = 0;
};

// --- saving and loading --------------------------------------------------------------

TEST_F(RootStorageTest, WorkedExampleIsSavedAsItsTwentySixBytesAndLoadsBack) {
    CRootStorage root(test::Widen(kMainTreeValue));
    ASSERT_TRUE(root.SetValue(L"a", 5));
    ASSERT_TRUE(root.Save());

    const test::RegistryValue saved = test::ReadProductValue(kMainTreeValue);
    ASSERT_TRUE(saved.present);
    EXPECT_EQ(saved.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(saved.bytes, std::string("\x1A\0\0\0\x01\0\0\0\x12\0\0\0\x05\0\0\0a\0\x08\0\0\0\0\0\0\0", 26));

    CRootStorage loaded(test::Widen(kMainTreeValue));
    loaded.Load();
    EXPECT_EQ(loaded.GetValue(L"\\a"), 5u);
    EXPECT_EQ(loaded.Items().size(), 1u);
    EXPECT_EQ(NewCorruptRecords(), 0u);
}

TEST_F(RootStorageTest, EmptyRootIsSavedAsEightBytesAndLoadsBackEmpty) {
    CRootStorage root(test::Widen(kMainTreeValue));
    ASSERT_TRUE(root.Save());
    EXPECT_EQ(test::ReadProductValue(kMainTreeValue).bytes, Block({}));
    EXPECT_EQ(LoadedBytes(kMainTreeValue), Block({}));
    EXPECT_EQ(NewCorruptRecords(), 0u);
}

TEST_F(RootStorageTest, TreeOfStatesSurvivesSaveAndLoadUnderAMainScriptKey) {
    CRootStorage root(test::Widen(kUrlTreeValue));
    ASSERT_TRUE(root.SetValue(L"\\www.example.org\\", 0x3022));
    ASSERT_TRUE(root.SetValue(L"\\www.example.org\\index.html.WSC", 0x4000));
    ASSERT_TRUE(root.SetValue(L"\\www.example.org\\docs\\", 0x2000));
    ASSERT_TRUE(root.SetValue(L"\\www.example.org\\docs\\a b.WSC", 0xFFFFFFFF));
    ASSERT_TRUE(root.SetValue(L"\\Zeta.WSC", 0));
    ASSERT_TRUE(root.Save());

    CRootStorage loaded(test::Widen(kUrlTreeValue));
    loaded.Load();
    EXPECT_EQ(test::SerializedBytes(loaded), test::SerializedBytes(root));
    EXPECT_EQ(loaded.GetValue(L"\\www.example.org\\docs\\a b.WSC"), 0xFFFFFFFFu);
    EXPECT_EQ(loaded.GetValue(L"\\www.example.org\\"), 0x3022u);
    EXPECT_NE(loaded.FindItem(L"\\Zeta.WSC"), nullptr);
    EXPECT_EQ(NewCorruptRecords(), 0u);
}

TEST_F(RootStorageTest, SaveCreatesTheProductKeyAndRewritesTheWholeValue) {
    ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteTreeW(HKEY_CURRENT_USER, test::kProductKeyForTests));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    CRootStorage root(test::Widen(kMainTreeValue));
    ASSERT_TRUE(root.SetValue(L"\\long folder name\\script.WSC", 1));
    ASSERT_TRUE(root.Save());
    ASSERT_TRUE(test::ProductKeyExists());

    root.Clear();
    ASSERT_TRUE(root.SetValue(L"x", 2));
    ASSERT_TRUE(root.Save());
    EXPECT_EQ(test::ReadProductValue(kMainTreeValue).bytes, Block({Item("x", 2)}));
}

TEST_F(RootStorageTest, LoadAddsToPresentItemsAndReplacesSameNamedOnesWithTheirSubtrees) {
    WriteValue(kMainTreeValue, Block({Item("news", 1, Block({Item("daily.WSC", 2)}))}));
    CRootStorage root(test::Widen(kMainTreeValue));
    ASSERT_TRUE(root.SetValue(L"\\news\\weekly.WSC", 7));
    ASSERT_TRUE(root.SetValue(L"\\other.WSC", 8));

    root.Load();
    root.Load();
    EXPECT_EQ(test::SerializedBytes(root),
              Block({Item("news", 1, Block({Item("daily.WSC", 2)})), Item("other.WSC", 8)}));
}

TEST_F(RootStorageTest, AbsentOrForeignValuesLoadNothingAndReportNothing) {
    WriteValue(kMainTreeValue, "\\news\\", REG_SZ);
    EXPECT_EQ(LoadedBytes(kMainTreeValue), Block({}));
    WriteValue(kMainTreeValue, test::U32(5), REG_DWORD);
    EXPECT_EQ(LoadedBytes(kMainTreeValue), Block({}));
    EXPECT_EQ(LoadedBytes(kUrlTreeValue), Block({}));
    EXPECT_EQ(NewCorruptRecords(), 0u);

    ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteTreeW(HKEY_CURRENT_USER, test::kProductKeyForTests));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    EXPECT_EQ(LoadedBytes(kMainTreeValue), Block({}));
}

TEST_F(RootStorageTest, RootWithoutValueNameNeverTouchesTheProductKeysDefaultValue) {
    WriteValue("", Block({Item("a", 1)}));
    CRootStorage root(L"");
    root.Load();
    EXPECT_TRUE(root.Items().empty());

    ASSERT_TRUE(root.SetValue(L"b", 2));
    EXPECT_FALSE(root.Save());
    EXPECT_EQ(test::ReadProductValue("").bytes, Block({Item("a", 1)}));
}

// --- damaged values -----------------------------------------------------------------

TEST_F(RootStorageTest, CorruptValuesKeepTheItemsReadBeforeTheFaultAndLogOnce) {
    const std::string news = Item("news", 2, Block({Item("daily.WSC", 3)}));
    struct Case {
        const char* what;
        std::string bytes;
        std::string kept;
    };
    const Case cases[] = {
        {"seven bytes", Block({}).substr(0, 7), Block({})},
        {"count larger than the items present", test::U32(99) + test::U32(3) + Item("a", 1) + news,
         Block({Item("a", 1), news})},
        {"count near 2^32", test::U32(8) + test::U32(0xFFFFFFFF), Block({})},
        {"nesting one level too deep", Block({Item("a", 1), test::Chain(kMaxStateDepth + 1), Item("z", 9)}),
         Block({Item("a", 1)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteValue(kMainTreeValue, c.bytes);
        EXPECT_EQ(LoadedBytes(kMainTreeValue), c.kept);
        EXPECT_EQ(NewCorruptRecords(), 1u);
    }
}

// Cuts at every length: an empty value, inside a header, inside a name, before and
// inside a child block.
TEST_F(RootStorageTest, EveryTruncationOfAValueKeepsTheWholeItemsBeforeTheCut) {
    const std::vector<std::string> items = {Item("a", 1), Item("news", 2, Block({Item("daily.WSC", 3)})),
                                            Item("z", 4)};
    const std::string whole = Block({items[0], items[1], items[2]});
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(testing::Message() << "first " << length << " of " << whole.size() << " bytes");
        std::string kept;
        size_t keptCount = 0;
        for (size_t end = 8; keptCount < items.size() && end + items[keptCount].size() <= length; ++keptCount) {
            end += items[keptCount].size();
            kept += items[keptCount];
        }
        WriteValue(kMainTreeValue, whole.substr(0, length));
        const std::string keptBlock =
            test::U32(static_cast<uint32_t>(8 + kept.size())) + test::U32(static_cast<uint32_t>(keptCount)) + kept;
        EXPECT_EQ(LoadedBytes(kMainTreeValue), keptBlock);
        EXPECT_EQ(NewCorruptRecords(), 1u);
    }
}

}  // namespace
}  // namespace pelmora
