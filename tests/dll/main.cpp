// Tests of Pelmora.dll loaded and registered the way Windows does it.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>

#include "DllUnderTest.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    // The child of the process-exit test: it never returns.
    if (argc == 4 && std::strcmp(argv[1], "--end-holding-a-bar") == 0) {
        return pelmora::test::EndProcessHoldingASitedBar(argv[2], argv[3]);
    }
    const int result = RUN_ALL_TESTS();
    ::CoUninitialize();
    return result;
}
