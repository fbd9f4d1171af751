#pragma once
// Builds state values byte by byte, as a user with a hex editor would, to compare with
// what the storage writes and to feed it damaged values.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "state/StateStorage.h"

namespace pelmora::test {

inline std::string U32(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

inline std::string Block(std::initializer_list<std::string> items) {
    std::string body;
    for (const std::string& item : items) body += item;
    return U32(static_cast<uint32_t>(8 + body.size())) + U32(static_cast<uint32_t>(items.size())) + body;
}

inline std::string Item(const std::string& name, uint32_t value, const std::string& children = Block({})) {
    return U32(static_cast<uint32_t>(8 + name.size() + 1 + children.size())) + U32(value) + name + '\0' + children;
}

// depth items nested one in the next, named d1, d2, ...; the innermost has value 42.
inline std::string Chain(size_t depth, size_t level = 1) {
    const std::string name = "d" + std::to_string(level);
    return level == depth ? Item(name, 42) : Item(name, 0, Block({Chain(depth, level + 1)}));
}

inline std::string ChainPath(size_t depth) {
    std::string path;
    for (size_t level = 1; level <= depth; ++level) path += "\\d" + std::to_string(level);
    return path;
}

inline std::string SerializedBytes(const CStateStorage& storage) {
    std::string bytes(storage.GetSerializedSize(), '\0');
    bytes.resize(storage.Serialize(reinterpret_cast<BYTE*>(bytes.data()), bytes.size()));
    return bytes;
}

inline bool ParseBytes(CStateStorage& storage, const std::string& bytes) {
    return storage.Parse(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

inline std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace pelmora::test
