// Runs the unit tests on an apartment thread with the application initialised, as
// the DLL entry would leave it.
#include <gtest/gtest.h>
#include <objbase.h>

#include "component/PelmoraApp.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    if (!pelmora::GetPelmoraApp().InitInstance()) return 3;
    const int result = RUN_ALL_TESTS();
    pelmora::GetPelmoraApp().ExitInstance();
    ::CoUninitialize();
    return result;
}
