#pragma once
// The saved state of a script tree: items addressed by backslash-separated paths
// ("\news\daily.WSC", "\news\" for the folder itself), kept in memory while the tree is
// shown and persisted as one REG_BINARY value under the product key.
//
// Value format (unsigned 32-bit little-endian integers, no padding):
//   block: size, item count, the items in name order
//   item:  size, value, ANSI name with its terminating zero, the child block
//
// Nothing here throws: a failed allocation makes the operation report false or find
// nothing.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "state/StateArena.h"

namespace pelmora {

class CStateItem;

// Deepest nesting of items a value may hold, counting top-level items as 1. Far beyond
// any folder tree a path of MAX_PATH characters can describe; it bounds the recursion
// of reading and writing a value.
inline constexpr size_t kMaxStateDepth = 256;

class CStateStorage {
public:
    // The ordering compares UTF-16 code units as unsigned numbers: ordinal,
    // case-sensitive, the shorter name first when one is a prefix of the other. Each key
    // is a view of its own item's name, so a name is held once however big the tree.
    // The nodes, like the items, live in the tree's arena.
    using ItemMap = std::pmr::map<std::wstring_view, std::shared_ptr<CStateItem>, std::less<>>;

    explicit CStateStorage(const std::wstring& name);
    virtual ~CStateStorage();
    CStateStorage(const CStateStorage&) = delete;
    CStateStorage& operator=(const CStateStorage&) = delete;

    [[nodiscard]] std::wstring_view Name() const noexcept { return name_; }
    [[nodiscard]] const ItemMap& Items() const noexcept { return items_; }

    // The item at path, or null.
    [[nodiscard]] std::shared_ptr<CStateItem> FindItem(const std::wstring& path) const noexcept;
    // The value of the item at path; 0 when there is none.
    [[nodiscard]] uint32_t GetValue(const std::wstring& path) const noexcept;
    // Sets the value of the item at path, creating missing items on the way; the items
    // passed keep their values. An empty path changes nothing. A path deeper than
    // kMaxStateDepth is refused whole, since it could not be read back.
    bool SetValue(const std::wstring& path, uint32_t value) noexcept;
    // Empties the storage. A tree's own storage starts a fresh arena, so that the memory
    // of what it held goes back once nobody holds an item of it.
    void Clear() noexcept;

    // Size in bytes of this storage's block in the value format.
    [[nodiscard]] uint32_t GetSerializedSize() const noexcept;
    // Writes the block; returns the bytes written, 0 when capacity is too small. An
    // item whose name the ANSI code page cannot hold exactly is left out with its
    // subtree (see StateValueFormat.h).
    size_t Serialize(BYTE* buffer, size_t capacity) const noexcept;
    // Adds the items of the block in data to this storage, a same-named item replaced.
    // Returns false when the block reaches past size bytes, nests deeper than
    // kMaxStateDepth, or memory runs out; the items read completely before that stay,
    // the one being read is dropped.
    bool Parse(const BYTE* data, size_t size) noexcept;

protected:
    // The whole value of this storage, and the number of items left out of it for their
    // names; false when it is too big for a value or memory runs out.
    bool SerializeWhole(std::pmr::vector<BYTE>& data, size_t& unstorable) const noexcept;

private:
    friend class CStateItem;
    // The child storage of an item, named by the item's own name, which outlives it, in
    // the arena of the item's tree.
    struct ItemsName {
        std::wstring_view name;
        CStateArena& arena;
    };
    explicit CStateStorage(ItemsName itemsName) noexcept;

    // A new item in arena, this storage's, not yet added.
    template <class ItemName>
    [[nodiscard]] std::shared_ptr<CStateItem> MakeItem(ItemName name,
                                                       const StateArenaAllocator<CStateItem>& allocator) const;

    // Where the item at path is held, or null.
    [[nodiscard]] const std::shared_ptr<CStateItem>* FindHeld(const std::wstring& path) const noexcept;

    bool ParseBlock(const BYTE* data, size_t size, size_t depth, const StateArenaAllocator<CStateItem>& allocator,
                    size_t& consumed);
    BYTE* WriteBlock(BYTE* out) const;
    // Adds item under its name, replacing an item of that name.
    void Put(std::shared_ptr<CStateItem> item);

    // Declared first, so that the items and nodes are gone before a tree's arena is.
    std::shared_ptr<CStateArena> ownArena_;  // a tree's own storage only
    CStateArena* arena_;                     // ownArena_, or the arena of the item's tree
    ItemMap items_;
    std::wstring ownName_;
    std::wstring_view name_;  // ownName_, or the name of the item whose children these are
};

// The storage of one tree, bound to the registry value it is saved as. A root with an
// empty value name lives in memory only.
class CRootStorage : public CStateStorage {
public:
    explicit CRootStorage(const std::wstring& valueName);
    ~CRootStorage() override;

    [[nodiscard]] const std::wstring& ValueName() const noexcept { return valueName_; }

    // Adds the items of the saved value; an absent value or product key adds nothing.
    // A corrupt value is logged once and its items read before the fault are kept.
    void Load() noexcept;
    // Rewrites the whole value; false when it could not be written. Items left out for
    // their names are logged once per save.
    bool Save() const noexcept;

private:
    std::wstring valueName_;
};

}  // namespace pelmora

// Whoever walks the items needs them whole.
#include "state/StateItem.h"
