#include "state/StateStorage.h"

#include <array>
#include <new>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Logger.h"
#include "core/ProductKey.h"
#include "core/SplitAtFirst.h"
#include "framework/win/RegKey.h"
#include "state/StateArena.h"
#include "state/StateValueFormat.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "StateStorage";

// The names a state path walks through: views into the path, which outlives them.
struct StatePathNames {
    std::array<std::wstring_view, kMaxStateDepth> names;
    size_t count = 0;
};

// The names of path, or false when it addresses no item (an empty path, or one deeper
// than any storage may be). Every level may start with a backslash, so an item key
// "\news\" and a plain "news" name the same item. Looking an item up this way takes
// no memory: every tree item asks for its mark when a tree is filled.
bool SplitStatePath(std::wstring_view path, StatePathNames& out) {
    out.count = 0;
    std::wstring_view rest = path;  // a view, so the walk below copies nothing
    for (;;) {
        auto [head, tail] = SplitAtFirstView(rest, L'\\');
        if (head.empty()) {
            if (tail.empty()) return false;
            std::tie(head, tail) = SplitAtFirstView(tail, L'\\');
            if (head.empty() && tail.empty()) return false;
        }
        if (out.count == kMaxStateDepth) return false;
        out.names[out.count++] = head;
        if (tail.empty()) return true;
        rest = tail;
    }
}

}  // namespace

CStateStorage::CStateStorage(const std::wstring& name)
    : ownArena_(std::make_shared<CStateArena>()),
      arena_(ownArena_.get()),
      items_(arena_->Resource()),
      ownName_(name),
      name_(ownName_) {}

CStateStorage::CStateStorage(ItemsName itemsName) noexcept
    : arena_(&itemsName.arena), items_(arena_->Resource()), name_(itemsName.name) {}

template <class ItemName>
std::shared_ptr<CStateItem> CStateStorage::MakeItem(ItemName name,
                                                    const StateArenaAllocator<CStateItem>& allocator) const {
    return std::allocate_shared<CStateItem>(allocator, name, *allocator.Arena());
}
template std::shared_ptr<CStateItem> CStateStorage::MakeItem(std::wstring_view,
                                                             const StateArenaAllocator<CStateItem>&) const;
template std::shared_ptr<CStateItem> CStateStorage::MakeItem(CStateItem::AsciiName,
                                                             const StateArenaAllocator<CStateItem>&) const;

void CStateStorage::Put(std::shared_ptr<CStateItem> item) {
    const std::wstring_view name = item->Name();
    // A saved value lists its items in name order: each goes after the last one, which
    // spares a walk down the tree per item.
    if (items_.empty() || items_.rbegin()->first < name) {
        items_.emplace_hint(items_.end(), name, std::move(item));
        return;
    }
    const auto existing = items_.find(name);
    if (existing != items_.end()) {
        // The key is a view of the replaced item's name: it goes with that item.
        auto node = items_.extract(existing);
        node.key() = name;
        node.mapped() = std::move(item);
        items_.insert(std::move(node));
        return;
    }
    items_.emplace(name, std::move(item));
}

CStateStorage::~CStateStorage() = default;

const std::shared_ptr<CStateItem>* CStateStorage::FindHeld(const std::wstring& path) const noexcept {
    StatePathNames names;
    if (!SplitStatePath(path, names)) return nullptr;
    const CStateStorage* storage = this;
    const std::shared_ptr<CStateItem>* item = nullptr;
    for (size_t level = 0; level < names.count; ++level) {
        const auto found = storage->items_.find(names.names[level]);
        if (found == storage->items_.end()) return nullptr;
        item = &found->second;
        storage = &(*item)->Children();
    }
    return item;
}

std::shared_ptr<CStateItem> CStateStorage::FindItem(const std::wstring& path) const noexcept {
    const auto* item = FindHeld(path);
    return item ? *item : nullptr;
}

uint32_t CStateStorage::GetValue(const std::wstring& path) const noexcept {
    const auto* item = FindHeld(path);
    return item ? (*item)->Value() : 0;
}

bool CStateStorage::SetValue(const std::wstring& path, uint32_t value) noexcept {
    try {
        StatePathNames names;
        if (!SplitStatePath(path, names)) return false;
        CStateStorage* storage = this;
        CStateItem* item = nullptr;  // held by its storage's map
        for (size_t level = 0; level < names.count; ++level) {
            const std::wstring_view name = names.names[level];
            auto found = storage->items_.find(name);
            if (found == storage->items_.end()) {
                const StateArenaAllocator<CStateItem> allocator(storage->arena_->shared_from_this());
                auto made = storage->MakeItem(name, allocator);
                found = storage->items_.emplace(made->Name(), made).first;
            }
            item = found->second.get();
            storage = &item->Children();
        }
        item->SetValue(value);
        return true;
    } catch (...) {
        return false;  // out of memory: the items made on the way stay, with value 0
    }
}

void CStateStorage::Clear() noexcept {
    items_.clear();
    if (!ownArena_) return;  // an item's children share the arena of its tree
    std::shared_ptr<CStateArena> fresh;
    try {
        fresh = std::make_shared<CStateArena>();
    } catch (...) {
        return;  // the emptied storage goes on in the arena it has
    }
    // A map keeps the memory it was made with: the empty one is made again in the new arena.
    items_.~ItemMap();
    ownArena_ = std::move(fresh);
    arena_ = ownArena_.get();
    new (&items_) ItemMap(arena_->Resource());
}

CRootStorage::CRootStorage(const std::wstring& valueName) : CStateStorage(std::wstring()), valueName_(valueName) {}

CRootStorage::~CRootStorage() = default;

void CRootStorage::Load() noexcept {
    // Without a name the value would be the product key's default value, which is not ours.
    if (valueName_.empty()) return;
    bool corrupted = false;
    try {
        win::UniqueHKey key;
        if (OpenProductKey(key) != ERROR_SUCCESS) return;
        std::pmr::vector<BYTE> data(SpareStateMemory());
        const LONG status = win::ReadRegBinary(key.get(), valueName_.c_str(), data);
        if (status == ERROR_NOT_ENOUGH_MEMORY) {
            corrupted = true;  // no room for the value's bytes: reported like a parse that ran out
        } else if (status == ERROR_SUCCESS) {
            corrupted = !Parse(data.data(), data.size());  // an empty value is corrupt too
        }  // otherwise absent, or not a state value
    } catch (...) {
        corrupted = true;
    }
    if (corrupted) {
        PELMORA_LOG(LOG_ERROR, "State value is corrupted.", 0, "CRootStorage::Load");
    }
}

bool CRootStorage::Save() const noexcept {
    if (valueName_.empty()) return false;
    std::pmr::vector<BYTE> data(SpareStateMemory());
    size_t unstorable = 0;
    const bool serialized = SerializeWhole(data, unstorable);
    if (unstorable != 0) {
        PELMORA_LOG(LOG_WARNING, "State item name can not be stored in the ANSI code page.", 1, "CRootStorage::Save");
    }
    if (!serialized) return false;
    try {
        win::UniqueHKey key;
        if (OpenOrCreateProductKey(key) != ERROR_SUCCESS) return false;
        return win::WriteRegBinary(key.get(), valueName_.c_str(), data.data(), data.size()) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

}  // namespace pelmora
