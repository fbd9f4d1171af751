// CStateStorage's blocks in the binary value format, written and read back.
#include <cstring>
#include <limits>
#include <string_view>

#include "framework/win/Ansi.h"
#include "state/StateStorage.h"

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

// The name as written. Cut at an embedded zero, so that the bytes written read back as
// one name and the sizes computed match what is written.
std::string AnsiName(const std::wstring& name) {
    std::string ansi = win::WideToAnsi(name);
    const size_t zero = ansi.find('\0');
    if (zero != std::string::npos) ansi.resize(zero);
    return ansi;
}

uint64_t BlockSize(const CStateStorage& storage) {
    uint64_t size = kBlockHeaderSize;
    for (const auto& [name, item] : storage.Items()) {
        size += kItemHeaderSize + AnsiName(name).size() + 1 + BlockSize(item->Children());
    }
    return size;
}

}  // namespace

uint32_t CStateStorage::GetSerializedSize() const noexcept {
    try {
        const uint64_t size = BlockSize(*this);
        return size > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(size);
    } catch (...) {
        return 0;
    }
}

size_t CStateStorage::Serialize(BYTE* buffer, size_t capacity) const noexcept {
    const uint32_t size = GetSerializedSize();
    if (size == 0 || !buffer || capacity < size) return 0;
    try {
        WriteBlock(buffer);
        return size;
    } catch (...) {
        return 0;
    }
}

BYTE* CStateStorage::WriteBlock(BYTE* out) const {
    out = PutU32(out, BlockSize(*this));
    out = PutU32(out, items_.size());
    for (const auto& [name, item] : items_) {
        const std::string ansi = AnsiName(name);
        out = PutU32(out, kItemHeaderSize + ansi.size() + 1 + BlockSize(item->Children()));
        out = PutU32(out, item->Value());
        std::memcpy(out, ansi.data(), ansi.size());
        out += ansi.size();
        *out++ = 0;
        out = item->Children().WriteBlock(out);
    }
    return out;
}

bool CStateStorage::Parse(const BYTE* data, size_t size) noexcept {
    if (!data) return false;
    try {
        size_t consumed = 0;
        return ParseBlock(data, size, 1, consumed);
    } catch (...) {
        return false;  // out of memory: the items inserted so far stay
    }
}

// depth is the nesting level of this block's items, 1 for a root's. The stored size
// fields are not trusted: positions follow from the bytes actually read, so a child
// block holding two items of one name cannot shift the items after it.
bool CStateStorage::ParseBlock(const BYTE* data, size_t size, size_t depth, size_t& consumed) {
    if (size < kBlockHeaderSize) return false;
    const uint32_t count = GetU32(data + 4);
    size_t at = kBlockHeaderSize;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < kItemHeaderSize) return false;
        const BYTE* name = data + at + kItemHeaderSize;
        const auto* nameEnd = static_cast<const BYTE*>(std::memchr(name, 0, size - at - kItemHeaderSize));
        if (!nameEnd) return false;
        auto item = std::make_shared<CStateItem>(
            win::AnsiToWide(std::string_view(reinterpret_cast<const char*>(name), nameEnd - name)));
        item->SetValue(GetU32(data + at + 4));

        const size_t childAt = static_cast<size_t>(nameEnd + 1 - data);
        if (size - childAt < kBlockHeaderSize) return false;
        size_t childSize = kBlockHeaderSize;
        if (GetU32(data + childAt + 4) != 0) {
            if (depth >= kMaxStateDepth) return false;
            if (!item->Children().ParseBlock(data + childAt, size - childAt, depth + 1, childSize)) return false;
        }
        items_.insert_or_assign(item->Name(), item);
        at = childAt + childSize;
    }
    consumed = at;
    return true;
}

}  // namespace pelmora
