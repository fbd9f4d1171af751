// The guards of function-local statics, called as the compiler calls them: one thread
// makes the object while the others wait, and a maker that fails lets the next try.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cxxabi.h>
#include <thread>
#include <vector>

namespace {

using __cxxabiv1::__cxa_guard_abort;
using __cxxabiv1::__cxa_guard_acquire;
using __cxxabiv1::__cxa_guard_release;
using __cxxabiv1::__guard;

TEST(StaticInitGuards, OneThreadMakesTheObjectTheOthersWaitAndAFailedMakingIsTriedAgain) {
    __guard guard = 0;
    ASSERT_EQ(1, __cxa_guard_acquire(&guard));  // this thread makes it

    std::atomic<int> waiting{0}, told{0};
    std::vector<std::thread> others;
    for (int i = 0; i < 3; ++i) {
        others.emplace_back([&] {
            ++waiting;
            if (__cxa_guard_acquire(&guard) == 1) {
                ++told;  // the one told to make it again after the failure
                __cxa_guard_release(&guard);
            }
        });
    }
    while (waiting < 3) ::Sleep(1);
    ::Sleep(50);
    EXPECT_EQ(0, told.load()) << "another thread was let in while the object was being made";

    __cxa_guard_abort(&guard);  // the constructor threw: exactly one waiter makes it
    for (std::thread& other : others) other.join();
    EXPECT_EQ(1, told.load());
    EXPECT_NE(0, *reinterpret_cast<unsigned char*>(&guard)) << "the compiler's inline check reads this byte";
    EXPECT_EQ(0, __cxa_guard_acquire(&guard));
}

}  // namespace
