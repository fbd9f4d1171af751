// The guards the compiler puts around the first run of a function's static object,
// on the system's own lock. The toolchain's guards go through its thread library,
// which gives each thread that passes one a duplicate of its handle and an event, and
// does not take them back when the module is unloaded with the thread still running:
// a browser's thread lost two handles each time COM unloaded the DLL. Any module that
// links this library takes these instead of the toolchain's.
//
// A guard is 64 bits; its first byte says the object is made (the compiler's inline
// check reads it before calling here), the second that a thread is making it.
#include <windows.h>

#include <cxxabi.h>

namespace {

using Guard = __cxxabiv1::__guard;

SRWLOCK g_guardLock = SRWLOCK_INIT;
CONDITION_VARIABLE g_guardChanged = CONDITION_VARIABLE_INIT;

unsigned char* MadeByte(Guard* guard) noexcept { return reinterpret_cast<unsigned char*>(guard); }
unsigned char* MakingByte(Guard* guard) noexcept { return reinterpret_cast<unsigned char*>(guard) + 1; }

bool Made(Guard* guard) noexcept { return __atomic_load_n(MadeByte(guard), __ATOMIC_ACQUIRE) != 0; }

// Ends a thread's making of the object, made or not, and wakes those waiting for it.
void EndMaking(Guard* guard, bool made) noexcept {
    ::AcquireSRWLockExclusive(&g_guardLock);
    *MakingByte(guard) = 0;
    if (made) __atomic_store_n(MadeByte(guard), 1, __ATOMIC_RELEASE);
    ::ReleaseSRWLockExclusive(&g_guardLock);
    ::WakeAllConditionVariable(&g_guardChanged);
}

}  // namespace

namespace __cxxabiv1 {
extern "C" {

// 1 when the caller is to make the object, 0 when it is made.
int __cxa_guard_acquire(Guard* guard) {
    if (Made(guard)) return 0;
    ::AcquireSRWLockExclusive(&g_guardLock);
    while (!Made(guard) && *MakingByte(guard)) ::SleepConditionVariableSRW(&g_guardChanged, &g_guardLock, INFINITE, 0);
    const bool mine = !Made(guard);
    if (mine) *MakingByte(guard) = 1;
    ::ReleaseSRWLockExclusive(&g_guardLock);
    return mine ? 1 : 0;
}

void __cxa_guard_release(Guard* guard) noexcept { EndMaking(guard, true); }

// The object's constructor threw: the next caller tries again.
void __cxa_guard_abort(Guard* guard) noexcept { EndMaking(guard, false); }

}  // extern "C"
}  // namespace __cxxabiv1
