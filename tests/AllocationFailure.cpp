// The test program's global operator new and delete: malloc and free, as the C++
// library's own, except on a watched thread.
#include "AllocationFailure.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>

namespace pelmora::test {
namespace {

std::atomic<DWORD> g_watchedThread{0};
std::atomic<unsigned long> g_allowed{0};
std::atomic<unsigned long> g_allocations{0};
std::atomic<unsigned long> g_refused{0};

void Watch(unsigned long allowed) noexcept {
    g_watchedThread.store(0);
    g_allowed.store(allowed);
    g_allocations.store(0);
    g_refused.store(0);
    g_watchedThread.store(::GetCurrentThreadId());
}

void* Allocate(std::size_t size) {
    const DWORD watched = g_watchedThread.load(std::memory_order_relaxed);
    if (watched != 0 && watched == ::GetCurrentThreadId()) {
        if (g_allocations.load() >= g_allowed.load()) {
            g_refused.fetch_add(1);
            throw std::bad_alloc();
        }
        g_allocations.fetch_add(1);
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

}  // namespace

void AllocationFailure::Count() noexcept { Watch(ULONG_MAX); }

void AllocationFailure::Arm(unsigned long allowed) noexcept { Watch(allowed); }

void AllocationFailure::Disarm() noexcept { g_watchedThread.store(0); }

unsigned long AllocationFailure::Allocations() noexcept { return g_allocations.load(); }

unsigned long AllocationFailure::Refused() noexcept { return g_refused.load(); }

}  // namespace pelmora::test

void* operator new(std::size_t size) { return pelmora::test::Allocate(size); }
void* operator new[](std::size_t size) { return pelmora::test::Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
