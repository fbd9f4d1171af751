#pragma once
// Memory kept back for the next object of a class that is made and freed once per call
// (an event's argument object): instead of a trip to the heap each time, the next one
// takes the block the last one left. One block per class, taken and given back without
// a lock; a block of another size (a derived class) goes to the heap as usual.
#include <atomic>
#include <cstddef>
#include <new>

namespace pelmora::com {

template <class Object>
class RecycledAllocation {
public:
    static void* operator new(std::size_t size) {
        if (size == sizeof(Object)) {
            if (void* spare = Spare().block.exchange(nullptr, std::memory_order_acquire)) return spare;
        }
        return ::operator new(size);
    }
    static void operator delete(void* block, std::size_t size) noexcept {
        if (block && size == sizeof(Object)) {
            void* empty = nullptr;
            if (Spare().block.compare_exchange_strong(empty, block, std::memory_order_release)) return;
        }
        ::operator delete(block);
    }

private:
    struct SpareBlock {
        std::atomic<void*> block{nullptr};
        ~SpareBlock() { ::operator delete(block.load()); }
    };
    static SpareBlock& Spare() noexcept {
        static SpareBlock spare;
        return spare;
    }
};

}  // namespace pelmora::com
