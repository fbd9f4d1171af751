#pragma once
// Watches the calling thread's operator new: counts its allocations, or makes them throw
// std::bad_alloc after a given number, to show what code does when memory runs out at
// a given moment. The test program replaces the global operator new for this
// (AllocationFailure.cpp); other threads allocate as usual.
namespace pelmora::test {

class AllocationFailure {
public:
    AllocationFailure() = default;
    // Stops watching, whatever happened.
    ~AllocationFailure() { Disarm(); }
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // Counts this thread's allocations from now on, refusing none.
    void Count() noexcept;
    // Lets this thread make `allowed` more allocations, then refuses every one.
    void Arm(unsigned long allowed = 0) noexcept;
    void Disarm() noexcept;
    // Allocations made, and allocations refused, since the last Count or Arm.
    [[nodiscard]] static unsigned long Allocations() noexcept;
    [[nodiscard]] static unsigned long Refused() noexcept;
};

}  // namespace pelmora::test
