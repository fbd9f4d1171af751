#pragma once
// Watches operator new on the calling thread (the test program replaces the global one,
// AllocationFailure.cpp): counts its allocations, or lets a number of them through and
// then throws std::bad_alloc, to show what code does when memory runs out at a given
// moment. Other threads allocate as usual.
namespace pelmora::test {

class AllocationFailure {
public:
    ~AllocationFailure() { Disarm(); }
    void Count() noexcept;                        // counts, refusing none
    void Arm(unsigned long allowed = 0) noexcept;  // refuses all after `allowed` more
    void Disarm() noexcept;
    // Since the last Count or Arm.
    [[nodiscard]] static unsigned long Allocations() noexcept;
    [[nodiscard]] static unsigned long Refused() noexcept;
};

}  // namespace pelmora::test
