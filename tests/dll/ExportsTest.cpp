// The DLL's exported entry points, called as COM and the registration tools call them.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "DllUnderTest.h"
#include "Pelmora_h.h"

namespace pelmora::test {
namespace {

// The bar's class, as the type library declares it.
constexpr CLSID kBarClsid = __uuidof(IEBar);
// A class no one serves.
const CLSID kForeignClsid = {0x1f0c2b7e, 0x5d43, 0x4a19, {0x8e, 0x2f, 0x60, 0x7b, 0x3c, 0x9d, 0x41, 0x05}};

void* const kGarbage = reinterpret_cast<void*>(static_cast<uintptr_t>(0xBAADF00D));

class PelmoraExports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(dll_.get(), nullptr) << "LoadLibrary failed: " << dll_.error(); }

    LoadedDll dll_;
};

// The names in the module's export directory.
std::set<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (directory.VirtualAddress == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    if (exports->NumberOfFunctions != exports->NumberOfNames) names.insert("<exports without a name>");
    return names;
}

TEST_F(PelmoraExports, ExportsExactlyTheFourServerEntryPoints) {
    EXPECT_EQ(ExportedNames(dll_.get()),
              (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                     "DllUnregisterServer"}));
}

TEST_F(PelmoraExports, ClassObjectRequestWithoutOutPointerIsRefused) {
    auto getClassObject = dll_.Export<DllGetClassObjectFn>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    EXPECT_EQ(getClassObject(kBarClsid, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(getClassObject(kForeignClsid, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(PelmoraExports, ClassesOtherThanTheBarAreUnavailableAndClearTheOutPointer) {
    auto getClassObject = dll_.Export<DllGetClassObjectFn>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    for (const CLSID* clsid : {&kForeignClsid, &CLSID_NULL}) {
        for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
            void* out = kGarbage;
            EXPECT_EQ(getClassObject(*clsid, *iid, &out), CLASS_E_CLASSNOTAVAILABLE);
            EXPECT_EQ(out, nullptr);
        }
    }
}

TEST_F(PelmoraExports, FreshlyLoadedDllCanBeUnloaded) {
    auto canUnloadNow = dll_.Export<DllCanUnloadNowFn>("DllCanUnloadNow");
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace pelmora::test
