// A hundred thousand damaged state values through CRootStorage::Load, each made from a
// valid value written here byte by byte: cut short, bits flipped, item counts made huge,
// items nested past the cap. Every load must return with the items read before the
// fault kept, and every corrupt value must give exactly one record.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "state/StateStorage.h"
#include "state/StateValueBytes.h"

namespace pelmora {
namespace {

using test::U32;

constexpr wchar_t kValueName[] = L"\\fuzz\\main.WSC";
constexpr char kCorruptRecord[] = ":<ERROR(0)> State value is corrupted. in CRootStorage::Load at StateStorage (line:";
constexpr size_t kNoTopItem = static_cast<size_t>(-1);

// A valid value and where its parts lie.
struct Written {
    std::string bytes;
    std::vector<std::string> items;  // the top-level items' bytes, in order
    std::vector<size_t> itemEnds;    // the offset just after each top-level item
    std::vector<size_t> sizeFields;  // every block and item size field, which no reader needs
    struct Count {
        size_t at;
        size_t topItem;  // the top-level item the block lies in; kNoTopItem for the root's
    };
    std::vector<Count> counts;
};

std::string BlockOf(const std::vector<std::string>& items) {
    std::string body;
    for (const std::string& item : items) body += item;
    return U32(static_cast<uint32_t>(8 + body.size())) + U32(static_cast<uint32_t>(items.size())) + body;
}

// Random trees of items with names the code page holds; names never start with "d",
// so the chains of test::Chain ("d1", "d2", ...) cannot meet one.
class ValueWriter {
public:
    explicit ValueWriter(std::mt19937& random) : random_(random) {}

    Written Write() {
        Written value;
        value.sizeFields.push_back(0);
        value.counts.push_back({4, kNoTopItem});
        std::vector<std::string> names = Names(Between(0, 6));
        // One value in ten holds a valid chain close to the nesting cap, opaque: its
        // fields are not listed. Its name "d1" sorts before every name from "e" on.
        const bool withChain = Between(0, 9) == 0;
        const auto chainAt = std::lower_bound(names.begin(), names.end(), std::string("d1")) - names.begin();
        std::string body;
        for (size_t i = 0; i <= names.size(); ++i) {
            if (withChain && static_cast<ptrdiff_t>(i) == chainAt) {
                Add(test::Chain(kMaxStateDepth - static_cast<size_t>(Between(0, 3))), body, value);
            }
            if (i < names.size()) Add(WriteItem(names[i], 8 + body.size(), 1, value.items.size(), value), body, value);
        }
        value.bytes = BlockOf(value.items);
        return value;
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    static void Add(const std::string& item, std::string& body, Written& value) {
        body += item;
        value.items.push_back(item);
        value.itemEnds.push_back(8 + body.size());
    }

    std::vector<std::string> Names(int count) {
        static const char kLetters[] = "abcefghijklmnopqrstuvwxyz0123456789._- ABCZ";
        std::set<std::string> names;  // ordered as the storage orders them: ASCII bytes
        while (static_cast<int>(names.size()) < count) {
            std::string name(1, kLetters[Between(0, 22)]);  // a letter first, never "d"
            for (int length = Between(0, 7); length > 0; --length) name += kLetters[Between(0, sizeof(kLetters) - 2)];
            names.insert(name);
        }
        return {names.begin(), names.end()};
    }

    std::string WriteItem(const std::string& name, size_t at, int depth, size_t topItem, Written& value) {
        value.sizeFields.push_back(at);
        const size_t childAt = at + 8 + name.size() + 1;
        value.sizeFields.push_back(childAt);
        value.counts.push_back({childAt + 4, topItem});
        std::vector<std::string> children;
        size_t childItemAt = childAt + 8;
        for (const std::string& child : Names(depth < 4 ? Between(0, 3) : 0)) {
            children.push_back(WriteItem(child, childItemAt, depth + 1, topItem, value));
            childItemAt += children.back().size();
        }
        const std::string childBlock = BlockOf(children);
        return U32(static_cast<uint32_t>(8 + name.size() + 1 + childBlock.size())) + U32(random_()) + name + '\0' +
               childBlock;
    }

    std::mt19937& random_;
};

// The bytes a loaded item would be written as.
std::string BytesOf(const CStateItem& item) {
    const std::string name = win::WideToAnsi(item.Name());
    const std::string children = test::SerializedBytes(item.Children());
    return U32(static_cast<uint32_t>(8 + name.size() + 1 + children.size())) + U32(item.Value()) + name + '\0' +
           children;
}

class StateFuzzTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::CreateProductKey());
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegOpenKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, KEY_SET_VALUE, &key_));
        logPath_ = GetLogger().LogPath();
        ::DeleteFileW(logPath_.c_str());  // the capture puts the log back at the end
    }
    void TearDown() override {
        if (key_) ::RegCloseKey(key_);
    }

    // Loads the bytes as the storage's saved value; false when the load did not log
    // exactly the records expected (one when corrupt, none otherwise). A record costs
    // more than a load under Wine, so the records are looked at in one block of
    // kBlock values out of every kBlocksPerRecordedBlock; the other loads run with
    // logging switched off, and each of their blocks must leave the log unchanged.
    static constexpr size_t kBlock = 64, kBlocksPerRecordedBlock = 16;
    bool LoadAndCheckRecords(const std::string& bytes, bool corrupt, CRootStorage& root) {
        const size_t block = loads_ / kBlock;
        const bool recorded = block % kBlocksPerRecordedBlock == 0;
        bool right = true;
        if (loads_++ % kBlock == 0) {
            right = LogSize() == logSize_;  // the block before added nothing it should not have
            EXPECT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", recorded ? DWORD{LOG_ERROR} : DWORD{0}));
        }
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key_, kValueName, 0, REG_BINARY,
                                                  reinterpret_cast<const BYTE*>(bytes.data()),
                                                  static_cast<DWORD>(bytes.size())));
        root.Load();
        if (!recorded) return right;
        const ULONGLONG before = logSize_;
        logSize_ = LogSize();
        const ULONGLONG added = logSize_ - before;
        if (!corrupt) return right && added == 0;
        ++recordsInLog_;
        ++recordedCorrupt_;
        if (recordLength_ == 0) {
            // Every record of this one report has the same length: fixed-width time text.
            recordLength_ = added;
            if (test::CountOf(test::ReadFileBytes(logPath_), kCorruptRecord) != 1) return false;
        }
        if (added != recordLength_) return false;
        // Read the log before it could rotate: nothing else in it, each record whole.
        if (logSize_ > 100000) return CheckAndEmptyLog() && right;
        return right;
    }

    bool CheckAndEmptyLog() {
        const std::string log = test::ReadFileBytes(logPath_);
        const bool whole = test::CountOf(log, kCorruptRecord) == recordsInLog_ &&
                           log.size() == recordsInLog_ * recordLength_;
        ::DeleteFileW(logPath_.c_str());
        recordsInLog_ = 0;
        logSize_ = 0;
        return whole;
    }

    ULONGLONG LogSize() const {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(logPath_.c_str(), GetFileExInfoStandard, &data)) return 0;
        return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture capture_;
    HKEY key_ = nullptr;
    std::wstring logPath_;
    size_t loads_ = 0;
    ULONGLONG logSize_ = 0;
    ULONGLONG recordLength_ = 0;
    size_t recordsInLog_ = 0;
    size_t recordedCorrupt_ = 0;
};

TEST_F(StateFuzzTest, DamagedValuesLoadWithoutCrashKeepTheItemsBeforeTheFaultAndLogOnceEach) {
    constexpr unsigned kSeed = 20240611;
    constexpr int kCuts = 35000, kFlips = 35000, kHugeCounts = 20000, kTooDeep = 10000;
    std::mt19937 random(kSeed);
    ValueWriter writer(random);
    std::vector<Written> pool;
    for (int i = 0; i < 400; ++i) pool.push_back(writer.Write());
    const auto started = std::chrono::steady_clock::now();

    size_t loaded = 0, corrupt = 0, badRecords = 0, itemsChecked = 0, flipsLoadedWhole = 0;
    auto load = [&](const std::string& bytes, bool isCorrupt, CRootStorage& root) {
        ++loaded;
        corrupt += isCorrupt ? 1 : 0;
        if (!LoadAndCheckRecords(bytes, isCorrupt, root)) ++badRecords;
    };
    // The top-level items of a load, in order, as bytes.
    auto itemsOf = [](const CRootStorage& root) {
        std::vector<std::string> items;
        for (const auto& [name, item] : root.Items()) items.push_back(BytesOf(*item));
        return items;
    };

    for (int i = 0; i < kCuts; ++i) {
        const Written& value = pool[random() % pool.size()];
        size_t length = random() % value.bytes.size();
        if (i % 2 && !value.itemEnds.empty()) {  // around the end of an item
            const size_t end = value.itemEnds[random() % value.itemEnds.size()];
            length = std::min(value.bytes.size() - 1, end - std::min<size_t>(end, 2) + random() % 5);
        }
        std::vector<std::string> kept;
        for (size_t k = 0; k < value.items.size() && value.itemEnds[k] <= length; ++k) kept.push_back(value.items[k]);
        CRootStorage root(kValueName);
        load(value.bytes.substr(0, length), true, root);
        ASSERT_EQ(BlockOf(kept), test::SerializedBytes(root)) << "cut at " << length << " of " << value.bytes.size();
        itemsChecked += kept.size();
    }

    for (int i = 0; i < kFlips; ++i) {
        const Written& value = pool[random() % pool.size()];
        std::string bytes = value.bytes;
        const bool sizesOnly = i % 4 == 0;  // no reader needs a stored size
        size_t first = bytes.size();
        for (int flips = writer.Between(1, 3); flips > 0; --flips) {
            const size_t at = sizesOnly ? value.sizeFields[random() % value.sizeFields.size()] + random() % 4
                                        : random() % bytes.size();
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            first = std::min(first, at);
        }
        CStateStorage expected(L"");
        const bool parses = test::ParseBytes(expected, bytes);
        ASSERT_TRUE(parses || !sizesOnly);
        CRootStorage root(kValueName);
        load(bytes, !parses, root);
        if (sizesOnly) {
            ASSERT_EQ(BlockOf(value.items), test::SerializedBytes(root));
            ++flipsLoadedWhole;
            continue;
        }
        // The items wholly before the first flipped byte were read as written; a later
        // item may share a name with one of them and replace it, never remove it.
        for (size_t k = 0; first >= 8 && k < value.items.size() && value.itemEnds[k] <= first; ++k) {
            const std::string name = value.items[k].substr(8, value.items[k].find('\0', 8) - 8);
            ASSERT_NE(nullptr, root.FindItem(test::Widen(name))) << name;
            ++itemsChecked;
        }
        // What was kept is a value that reads back as itself.
        CStateStorage again(L"");
        ASSERT_TRUE(test::ParseBytes(again, test::SerializedBytes(root)));
        ASSERT_EQ(test::SerializedBytes(root), test::SerializedBytes(again));
    }

    const uint32_t hugeCounts[] = {0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x01000000, 0x10000};
    for (int i = 0; i < kHugeCounts; ++i) {
        const Written& value = pool[random() % pool.size()];
        const Written::Count& count = value.counts[random() % value.counts.size()];
        std::string bytes = value.bytes;
        uint32_t was = 0;
        for (int b = 3; b >= 0; --b) was = was << 8 | static_cast<unsigned char>(bytes[count.at + b]);
        const uint32_t now = i % 3 == 0 ? was + 1 + random() % 3 : hugeCounts[random() % std::size(hugeCounts)];
        bytes.replace(count.at, 4, U32(now));
        CRootStorage root(kValueName);
        load(bytes, true, root);
        // A count beyond the items present reads on past them until the data runs out.
        const std::vector<std::string> items = itemsOf(root);
        const size_t intact = count.topItem == kNoTopItem ? value.items.size() : count.topItem;
        ASSERT_GE(items.size(), intact);
        for (size_t k = 0; k < intact; ++k) ASSERT_EQ(value.items[k], items[k]) << "item " << k;
        itemsChecked += intact;
    }

    for (int i = 0; i < kTooDeep; ++i) {
        const Written& value = pool[random() % pool.size()];
        std::vector<std::string> before;
        for (const std::string& item : value.items)
            if (item.compare(8, 1, "d") < 0) before.push_back(item);
        std::vector<std::string> items = before;
        items.push_back(test::Chain(kMaxStateDepth + 1 + random() % 40));
        items.push_back(test::Item("zz", 7));
        CRootStorage root(kValueName);
        load(BlockOf(items), true, root);
        ASSERT_EQ(BlockOf(before), test::SerializedBytes(root));
        itemsChecked += before.size();
    }

    EXPECT_EQ(logSize_, LogSize());
    EXPECT_TRUE(CheckAndEmptyLog());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("[ fuzz     ] %zu state values loaded (%d cut, %d with flipped bits, %d with huge counts, %d nested "
                "too deep): %zu corrupt, of them %zu with logging on, each logged once; %zu values with wrong "
                "records; %zu kept items checked; %zu size-field flips read whole; %.1f s\n",
                loaded, kCuts, kFlips, kHugeCounts, kTooDeep, corrupt, recordedCorrupt_, badRecords, itemsChecked,
                flipsLoadedWhole, seconds);
    EXPECT_EQ(0u, badRecords);
    EXPECT_GE(loaded, 100000u);
    EXPECT_GT(recordedCorrupt_, 3000u);
}

}  // namespace
}  // namespace pelmora
