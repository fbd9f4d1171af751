#pragma once
// A Windows critical section as an object, and a scoped lock on it.
#include <windows.h>

namespace pelmora::win {

class CriticalSection {
public:
    explicit CriticalSection(DWORD spinCount = 0) noexcept {
        initialized_ = ::InitializeCriticalSectionAndSpinCount(&section_, spinCount) != FALSE;
    }
    ~CriticalSection() {
        if (initialized_) ::DeleteCriticalSection(&section_);
    }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    [[nodiscard]] bool initialized() const noexcept { return initialized_; }
    void enter() noexcept { ::EnterCriticalSection(&section_); }
    void leave() noexcept { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_{};
    bool initialized_ = false;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) noexcept : section_(section) { section_.enter(); }
    ~CriticalSectionLock() { section_.leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};

}  // namespace pelmora::win
