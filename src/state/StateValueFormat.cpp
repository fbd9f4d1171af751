// CStateStorage's blocks in the binary value format, written and read back.
#include "state/StateValueFormat.h"

#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "state/StateArena.h"
#include "state/StateItem.h"

#include "framework/win/Ansi.h"

namespace pelmora {

namespace {

constexpr size_t kBlockHeaderSize = 8;  // block size, item count
constexpr size_t kItemHeaderSize = 8;   // item size, value

uint32_t GetU32(const BYTE* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

BYTE* PutU32(BYTE* at, uint64_t value) {
    for (int i = 0; i < 4; ++i) *at++ = static_cast<BYTE>(value >> (8 * i));
    return at;
}

// Names of ASCII characters other than zero are stored as they are in every ANSI code
// page, so they need no conversion and no memory; a big tree of script names is saved
// several times faster this way.
bool IsPlainAscii(std::wstring_view name) noexcept {
    for (wchar_t c : name) {
        if (c == 0 || c > 0x7F) return false;
    }
    return true;
}

// The stored length of the name, or nothing when it cannot be stored.
std::optional<size_t> StoredLength(std::wstring_view name) {
    if (IsPlainAscii(name)) return name.size();
    if (const auto stored = StoredItemName(name)) return stored->size();
    return std::nullopt;
}

// The size of the storage's block, counting the items left out for their names (an
// item left out is counted, the items below it are not): one walk of the tree for both.
uint64_t BlockSize(const CStateStorage& storage, size_t& unstorable) {
    uint64_t size = kBlockHeaderSize;
    for (const auto& [key, item] : storage.Items()) {
        if (const auto length = StoredLength(item->Name())) {
            size += kItemHeaderSize + *length + 1 + BlockSize(item->Children(), unstorable);
        } else {
            ++unstorable;
        }
    }
    return size;
}

// Zero, for a block too big for a value's 32-bit sizes.
uint32_t ValueSize(uint64_t size) noexcept {
    return size > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(size);
}

bool IsAsciiBytes(std::string_view bytes) noexcept {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) > 0x7F) return false;
    }
    return true;
}

}  // namespace

// An embedded zero would cut the stored name short, so it counts as a loss too.
std::optional<std::string> StoredItemName(std::wstring_view name) {
    std::string ansi = win::WideToAnsi(name);
    if (ansi.find('\0') != std::string::npos || win::AnsiToWide(ansi) != name) return std::nullopt;
    return ansi;
}

size_t CountUnstorableItems(const CStateStorage& storage) noexcept {
    size_t unstorable = 0;
    try {
        (void)BlockSize(storage, unstorable);
    } catch (...) {
        return 0;
    }
    return unstorable;
}

uint32_t CStateStorage::GetSerializedSize() const noexcept {
    try {
        size_t unstorable = 0;
        return ValueSize(BlockSize(*this, unstorable));
    } catch (...) {
        return 0;
    }
}

bool CStateStorage::SerializeWhole(std::pmr::vector<BYTE>& data, size_t& unstorable) const noexcept {
    unstorable = 0;
    try {
        const uint32_t size = ValueSize(BlockSize(*this, unstorable));
        if (size == 0) return false;
        data.resize(size);
        return WriteBlock(data.data()) == data.data() + size;
    } catch (...) {
        return false;
    }
}

size_t CStateStorage::Serialize(BYTE* buffer, size_t capacity) const noexcept {
    const uint32_t size = GetSerializedSize();
    if (size == 0 || !buffer || capacity < size) return 0;
    try {
        return WriteBlock(buffer) == buffer + size ? size : 0;
    } catch (...) {
        return 0;
    }
}

// Sizes are filled in once a block or item has been written, so writing takes one walk
// of the tree however deep it is.
BYTE* CStateStorage::WriteBlock(BYTE* out) const {
    BYTE* const block = out;
    out += kBlockHeaderSize;
    uint32_t count = 0;
    for (const auto& [key, item] : items_) {
        const std::wstring_view name = item->Name();
        std::optional<std::string> stored;
        if (!IsPlainAscii(name) && !(stored = StoredItemName(name))) continue;
        BYTE* const itemStart = out;
        out += 4;  // the item's size, known once its children are written
        out = PutU32(out, item->Value());
        if (stored) {
            std::memcpy(out, stored->data(), stored->size());
            out += stored->size();
        } else {
            for (wchar_t c : name) *out++ = static_cast<BYTE>(c);
        }
        *out++ = 0;
        out = item->Children().WriteBlock(out);
        PutU32(itemStart, static_cast<uint64_t>(out - itemStart));
        ++count;
    }
    PutU32(block, static_cast<uint64_t>(out - block));
    PutU32(block + 4, count);
    return out;
}

bool CStateStorage::Parse(const BYTE* data, size_t size) noexcept {
    if (!data) return false;
    try {
        size_t consumed = 0;
        // Asked once: each item's allocator holds the arena too.
        return ParseBlock(data, size, 1, StateArenaAllocator<CStateItem>(arena_->shared_from_this()), consumed);
    } catch (...) {
        return false;  // out of memory: the items inserted so far stay
    }
}

// depth is the nesting level of this block's items, 1 for a root's. The stored size
// fields are not trusted: positions follow from the bytes actually read, so a child
// block holding two items of one name cannot shift the items after it.
bool CStateStorage::ParseBlock(const BYTE* data, size_t size, size_t depth,
                               const StateArenaAllocator<CStateItem>& allocator, size_t& consumed) {
    if (size < kBlockHeaderSize) return false;
    const uint32_t count = GetU32(data + 4);
    size_t at = kBlockHeaderSize;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < kItemHeaderSize) return false;
        const BYTE* name = data + at + kItemHeaderSize;
        const auto* nameEnd = static_cast<const BYTE*>(std::memchr(name, 0, size - at - kItemHeaderSize));
        if (!nameEnd) return false;
        // Bytes that are all ASCII are widened as every ANSI code page would.
        const std::string_view bytes(reinterpret_cast<const char*>(name), nameEnd - name);
        auto item = IsAsciiBytes(bytes) ? MakeItem(CStateItem::AsciiName{bytes}, allocator)
                                        : MakeItem(std::wstring_view(win::AnsiToWide(bytes)), allocator);
        item->SetValue(GetU32(data + at + 4));

        const size_t childAt = static_cast<size_t>(nameEnd + 1 - data);
        if (size - childAt < kBlockHeaderSize) return false;
        size_t childSize = kBlockHeaderSize;
        if (GetU32(data + childAt + 4) != 0) {
            if (depth >= kMaxStateDepth) return false;
            if (!item->Children().ParseBlock(data + childAt, size - childAt, depth + 1, allocator, childSize)) {
                return false;
            }
        }
        Put(std::move(item));
        at = childAt + childSize;
    }
    consumed = at;
    return true;
}

}  // namespace pelmora
