#include "state/StateArena.h"

#include <windows.h>

#include <array>
#include <new>

namespace pelmora {

namespace {

// The blocks arenas gave back, by size. Plain data that needs no destructor, so that an
// arena outliving the module's static objects still finds it; the blocks themselves go
// back to the heap when the module unloads.
struct SpareBlocks {
    struct Block {
        void* memory;
        size_t bytes;
        size_t alignment;
    };
    static constexpr size_t kBlocks = 32;
    static constexpr size_t kBytes = 8 * 1024 * 1024;  // a tree of some 30,000 items

    SRWLOCK lock = SRWLOCK_INIT;
    std::array<Block, kBlocks> blocks{};
    size_t count = 0;
    size_t bytes = 0;
    bool closed = false;
};

SpareBlocks g_spares;

class SpareLock {
public:
    SpareLock() noexcept { ::AcquireSRWLockExclusive(&g_spares.lock); }
    ~SpareLock() { ::ReleaseSRWLockExclusive(&g_spares.lock); }
    SpareLock(const SpareLock&) = delete;
    SpareLock& operator=(const SpareLock&) = delete;
};

std::pmr::memory_resource& Heap() noexcept { return *std::pmr::new_delete_resource(); }

class SpareBlockResource final : public std::pmr::memory_resource {
private:
    void* do_allocate(size_t bytes, size_t alignment) override {
        {
            SpareLock lock;
            for (size_t i = 0; i < g_spares.count; ++i) {
                const SpareBlocks::Block block = g_spares.blocks[i];
                if (block.bytes != bytes || block.alignment != alignment) continue;
                g_spares.blocks[i] = g_spares.blocks[--g_spares.count];
                g_spares.bytes -= bytes;
                return block.memory;
            }
        }
        return Heap().allocate(bytes, alignment);
    }
    void do_deallocate(void* memory, size_t bytes, size_t alignment) override {
        {
            SpareLock lock;
            if (!g_spares.closed && g_spares.count < SpareBlocks::kBlocks &&
                g_spares.bytes + bytes <= SpareBlocks::kBytes) {
                g_spares.blocks[g_spares.count++] = {memory, bytes, alignment};
                g_spares.bytes += bytes;
                return;
            }
        }
        Heap().deallocate(memory, bytes, alignment);
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

// Never destroyed: an arena, or a buffer, may give its blocks back after the module's
// static objects are gone.
SpareBlockResource& SpareResource() noexcept {
    alignas(SpareBlockResource) static unsigned char storage[sizeof(SpareBlockResource)];
    static SpareBlockResource* const resource = new (storage) SpareBlockResource();
    return *resource;
}

struct SpareRelease {
    ~SpareRelease() {
        SpareLock lock;
        g_spares.closed = true;
        for (size_t i = 0; i < g_spares.count; ++i) {
            const SpareBlocks::Block block = g_spares.blocks[i];
            Heap().deallocate(block.memory, block.bytes, block.alignment);
        }
        g_spares.count = 0;
        g_spares.bytes = 0;
    }
} g_spareRelease;

}  // namespace

std::pmr::memory_resource* SpareStateMemory() noexcept { return &SpareResource(); }

CStateArena::CStateArena() noexcept : memory_(kFirstBlock, &SpareResource()) {}

}  // namespace pelmora
