#pragma once
// The memory of one tree state's items, names and map nodes: handed out in order from
// a few big blocks and given back all at once. Reading a saved tree of thousands of
// items takes three small blocks per item, and the process heap makes each of them
// cost more than reading the item itself.
//
// Items are shared: whoever holds one keeps its arena alive through the item's own
// allocator, so an item outlives the tree it was taken from.
//
// The blocks of an arena that is gone are kept, up to a bound, for the next one: a tree
// is read again each time its band is shown or its folder changes, and touching fresh
// memory costs more than reading the items into it.
#include <cstddef>
#include <memory>
#include <memory_resource>

namespace pelmora {

// Memory that keeps what is given back to it for the next tree: the arenas' blocks, and
// the buffers a tree's value is read into and written from.
[[nodiscard]] std::pmr::memory_resource* SpareStateMemory() noexcept;

class CStateArena : public std::enable_shared_from_this<CStateArena> {
public:
    CStateArena() noexcept;
    CStateArena(const CStateArena&) = delete;
    CStateArena& operator=(const CStateArena&) = delete;

    [[nodiscard]] std::pmr::memory_resource* Resource() noexcept { return &memory_; }

private:
    static constexpr size_t kFirstBlock = 4096;
    std::pmr::monotonic_buffer_resource memory_;
};

// The allocator of a shared item: it holds the arena, and the item's control block
// keeps a copy of it until the item's memory has been handed back.
template <class T>
class StateArenaAllocator {
public:
    using value_type = T;

    explicit StateArenaAllocator(std::shared_ptr<CStateArena> arena) noexcept : arena_(std::move(arena)) {}
    template <class U>
    StateArenaAllocator(const StateArenaAllocator<U>& other) noexcept : arena_(other.Arena()) {}

    [[nodiscard]] T* allocate(size_t count) {
        return static_cast<T*>(arena_->Resource()->allocate(count * sizeof(T), alignof(T)));
    }
    void deallocate(T* block, size_t count) noexcept {
        arena_->Resource()->deallocate(block, count * sizeof(T), alignof(T));
    }
    [[nodiscard]] const std::shared_ptr<CStateArena>& Arena() const noexcept { return arena_; }

    template <class U>
    bool operator==(const StateArenaAllocator<U>& other) const noexcept {
        return arena_ == other.Arena();
    }

private:
    std::shared_ptr<CStateArena> arena_;
};

}  // namespace pelmora
