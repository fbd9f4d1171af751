// The test program's operator new and delete: malloc and free, as the C++ library's
// own, except on the watched thread.
#include "AllocationFailure.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>

namespace pelmora::test {
namespace {

std::atomic<DWORD> g_watched{0};
std::atomic<unsigned long> g_allowed{0}, g_allocations{0}, g_refused{0};

void Watch(unsigned long allowed) noexcept {
    g_watched = 0;
    g_allowed = allowed;
    g_allocations = 0;
    g_refused = 0;
    g_watched = ::GetCurrentThreadId();
}

void* Allocate(std::size_t size) {
    if (g_watched != 0 && g_watched == ::GetCurrentThreadId()) {
        if (g_allocations >= g_allowed) {
            ++g_refused;
            throw std::bad_alloc();
        }
        ++g_allocations;
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

}  // namespace

void AllocationFailure::Count() noexcept { Watch(ULONG_MAX); }
void AllocationFailure::Arm(unsigned long allowed) noexcept { Watch(allowed); }
void AllocationFailure::Disarm() noexcept { g_watched = 0; }
unsigned long AllocationFailure::Allocations() noexcept { return g_allocations; }
unsigned long AllocationFailure::Refused() noexcept { return g_refused; }

}  // namespace pelmora::test

void* operator new(std::size_t size) { return pelmora::test::Allocate(size); }
void* operator new[](std::size_t size) { return pelmora::test::Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
