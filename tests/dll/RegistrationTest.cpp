// Registration of the built DLL: with the system's regsvr32 as an installer runs it, and
// from paths at the length limit.
#include <gtest/gtest.h>
#include <windows.h>
#include <objsafe.h>
#include <shlguid.h>

#include <iterator>
#include <string>
#include <vector>

#include "DllUnderTest.h"
#include "RegistryTree.h"
#include "TestSupport.h"
#include "framework/com/GuidText.h"
// Defines the type library's ids here: the DLL tests link none of the product's code.
#include <initguid.h>
#include "Pelmora_h.h"

namespace pelmora::test {
namespace {

// Braced ids from the headers: the bar's class, its type library (Pelmora_h.h), the
// shell's vertical and horizontal band categories, and those that would mark the bar
// safe for web pages.
const std::wstring kBarClass = com::BracedGuidText(CLSID_IEBar).text;
const std::wstring kTypeLibrary = com::BracedGuidText(LIBID_PelmoraLib).text;
const std::wstring kInfoBand = com::BracedGuidText(CATID_InfoBand).text;
const std::wstring kCommBand = com::BracedGuidText(CATID_CommBand).text;
const std::wstring kSafeForScripting = com::BracedGuidText(CATID_SafeForScripting).text;
const std::wstring kSafeForInitializing = com::BracedGuidText(CATID_SafeForInitializing).text;

const std::wstring kClsidKey = L"CLSID\\" + kBarClass;  // below HKCR
constexpr wchar_t kExplorerBars[] = L"Software\\Microsoft\\Internet Explorer\\Explorer Bars";  // below HKLM
const std::wstring kBarKey = std::wstring(kExplorerBars) + L"\\" + kBarClass;
const std::wstring kTypeLibKey = L"TypeLib\\" + kTypeLibrary;  // below HKCR
const std::wstring kPerUserClsidKey = L"Software\\Classes\\CLSID\\" + kBarClass;

// The shell's cached band lists (below HKCU), vertical and horizontal, 32 and 64 bit.
constexpr wchar_t kCategories[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\";
const std::wstring kBandCacheKeys[] = {
    kCategories + std::wstring(L"Component Categories\\") + kInfoBand,
    kCategories + std::wstring(L"Component Categories\\") + kCommBand,
    kCategories + std::wstring(L"Component Categories64\\") + kInfoBand,
    kCategories + std::wstring(L"Component Categories64\\") + kCommBand,
};

std::wstring EnumKey(const std::wstring& cacheKey) { return cacheKey + L"\\Enum"; }

// A cache as the shell leaves it: a value and a subkey in each Enum key.
void FillBandCaches() {
    for (const std::wstring& cache : kBandCacheKeys) {
        ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, EnumKey(cache), L"Implementing", L"cached"));
        ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, EnumKey(cache) + L"\\Sub"));
    }
}

DWORD Regsvr32(const std::wstring& arguments) {
    return RunProgram(SystemProgram(L"regsvr32.exe"), arguments + L" \"" + PelmoraDllPath() + L"\"");
}

// The path the registration writes: the DLL's own file name as Windows records it.
std::wstring RegisteredPath() {
    LoadedDll dll;
    return dll.get() ? dll.FileName() : L"<Pelmora.dll cannot be loaded>";
}

// Everything a test here may write, removed before and after.
class PelmoraRegistration : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring& cache : kBandCacheKeys) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, EnumKey(cache).c_str());
            ::RegDeleteKeyW(HKEY_CURRENT_USER, EnumKey(cache).c_str());
        }
    }

    ScopedRegistryKey clsid_{HKEY_CLASSES_ROOT, kClsidKey};
    ScopedRegistryKey bar_{HKEY_LOCAL_MACHINE, kBarKey};
    ScopedRegistryKey typeLib_{HKEY_CLASSES_ROOT, kTypeLibKey};
};

TEST_F(PelmoraRegistration, Regsvr32WritesExactlyTheBarsKeysAndDiscardsTheBandCaches) {
    // Leftovers of an older registration, which ForceRemove must clear.
    ASSERT_TRUE(CreateRegistryKey(HKEY_CLASSES_ROOT, kClsidKey + L"\\Old\\Older", L"Stale", L"x"));
    ASSERT_TRUE(CreateRegistryKey(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32",
                                  L"ThreadingModel", L"Both"));
    ASSERT_TRUE(CreateRegistryKey(HKEY_CLASSES_ROOT, kClsidKey, L"Stale", L"x"));
    ASSERT_TRUE(CreateRegistryKey(HKEY_LOCAL_MACHINE, kBarKey + L"\\Old", L"Stale", L"x"));
    ASSERT_NO_FATAL_FAILURE(FillBandCaches());
    const std::wstring path = RegisteredPath();

    ASSERT_EQ(Regsvr32(L"/s"), 0u);

    EXPECT_EQ(DumpRegistryTree(HKEY_CLASSES_ROOT, kClsidKey),
              L"[]\n"
              L"  @ = REG_SZ \"Pelmora\\0\"\n"
              L"[Implemented Categories]\n"
              L"[Implemented Categories\\" + kInfoBand + L"]\n"
              L"[InprocServer32]\n"
              L"  @ = REG_SZ \"" + path + L"\\0\"\n"
              L"  ThreadingModel = REG_SZ \"Apartment\\0\"\n");
    // Said on its own because it matters: marked safe for scripting or initialising,
    // the bar could be created and driven by any web page.
    EXPECT_FALSE(RegistryKeyExists(
        HKEY_CLASSES_ROOT, kClsidKey + L"\\Implemented Categories\\" + kSafeForScripting));
    EXPECT_FALSE(RegistryKeyExists(
        HKEY_CLASSES_ROOT, kClsidKey + L"\\Implemented Categories\\" + kSafeForInitializing));

    EXPECT_EQ(DumpRegistryTree(HKEY_LOCAL_MACHINE, kBarKey),
              L"[]\n"
              L"  @ = REG_SZ \"Pelmora\\0\"\n"
              L"  BarSize = REG_BINARY 93 01 00 00 00 00 00 00\n");

    for (const std::wstring& cache : kBandCacheKeys) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(cache)));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, EnumKey(cache)));
        EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, cache));
    }

    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kTypeLibKey)) << "the type library is not registered";
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kPerUserClsidKey)) << "nothing is registered per user";
}

TEST_F(PelmoraRegistration, Regsvr32UnregisterRemovesTheBarsKeysOnlyAndCanBeRepeated) {
    {
        LoadedDll dll;
        ASSERT_NE(dll.get(), nullptr) << "LoadLibrary failed: " << dll.error();
        auto registerServer = dll.Export<DllRegisterServerFn>("DllRegisterServer");
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
    }
    ASSERT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    ASSERT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kBarKey));
    // Added after registration: unregistering takes it with the class key.
    ASSERT_TRUE(CreateRegistryKey(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32\\AddedLater",
                                  L"Other", L"x"));
    // The shell rebuilt its caches meanwhile; unregistering leaves them alone.
    ASSERT_NO_FATAL_FAILURE(FillBandCaches());
    std::vector<std::wstring> caches;
    for (const std::wstring& cache : kBandCacheKeys) caches.push_back(DumpRegistryTree(HKEY_CURRENT_USER, EnumKey(cache)));

    ASSERT_EQ(Regsvr32(L"/u /s"), 0u);

    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kBarKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kExplorerBars));
    for (size_t i = 0; i < std::size(kBandCacheKeys); ++i) {
        SCOPED_TRACE(::testing::PrintToString(kBandCacheKeys[i]));
        EXPECT_EQ(DumpRegistryTree(HKEY_CURRENT_USER, EnumKey(kBandCacheKeys[i])), caches[i]);
    }

    // Nothing left to remove, the type library never registered: still a success.
    EXPECT_EQ(Regsvr32(L"/u /s"), 0u);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kBarKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kExplorerBars));
}

// ---------------------------------------------------------------------------------
// DLL paths at the length limit

std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

// Removes a folder tree whose paths may exceed MAX_PATH.
void RemoveLongTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(Extended(path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveLongTree(path + L"\\" + name);
            } else {
                ::DeleteFileW(Extended(path + L"\\" + name).c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(Extended(path).c_str());
}

// A copy of the DLL at a path of an exact length, in nested folders made with the
// extended-length prefix (the plain calls stop short of MAX_PATH).
class PelmoraPathLength : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetModuleHandleW(L"Pelmora.dll"), nullptr) << "an earlier test left the DLL loaded";
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        root_ = std::wstring(temp) + L"pelmora-path-length";
        RemoveLongTree(root_);
        ASSERT_TRUE(::CreateDirectoryW(Extended(root_).c_str(), nullptr)) << ::GetLastError();
    }
    void TearDown() override { RemoveLongTree(root_); }

    std::wstring CopyDllToPathOfLength(size_t length) {
        const std::wstring fileName = L"\\Pelmora.dll";
        std::wstring folder = root_;
        while (length > folder.size() + fileName.size() + 80) {
            folder += L"\\" + std::wstring(39, L'd');
            if (!::CreateDirectoryW(Extended(folder).c_str(), nullptr)) return L"<cannot create folder>";
        }
        const size_t last = length - folder.size() - fileName.size() - 1;
        folder += L"\\" + std::wstring(last, L'x');
        if (!::CreateDirectoryW(Extended(folder).c_str(), nullptr)) return L"<cannot create folder>";
        const std::wstring path = folder + fileName;
        if (!::CopyFileW(PelmoraDllPath().c_str(), Extended(path).c_str(), FALSE)) return L"<cannot copy>";
        return path;
    }

    ScopedRegistryKey clsid_{HKEY_CLASSES_ROOT, kClsidKey};
    ScopedRegistryKey bar_{HKEY_LOCAL_MACHINE, kBarKey};
    std::wstring root_;
};

TEST_F(PelmoraPathLength, DllPathOfMaxPathCharactersOrMoreFailsRegistrationAndUnregistration) {
    const std::wstring path = CopyDllToPathOfLength(MAX_PATH);
    ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH)) << ::testing::PrintToString(path);
    LoadedDll dll(path);
    ASSERT_NE(dll.get(), nullptr) << "LoadLibrary failed: " << dll.error();
    ASSERT_EQ(dll.FileName(), path);
    auto registerServer = dll.Export<DllRegisterServerFn>("DllRegisterServer");
    auto unregisterServer = dll.Export<DllRegisterServerFn>("DllUnregisterServer");
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);

    EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    // Refused before any key was touched: nothing half-written.
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kBarKey));

    ASSERT_TRUE(CreateRegistryKey(HKEY_CLASSES_ROOT, kClsidKey, L"Kept", L"x"));
    EXPECT_EQ(unregisterServer(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
}

TEST_F(PelmoraPathLength, DllPathOneCharacterShorterRegistersInFull) {
    const std::wstring path = CopyDllToPathOfLength(MAX_PATH - 1);
    ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1)) << ::testing::PrintToString(path);
    LoadedDll dll(path);
    ASSERT_NE(dll.get(), nullptr) << "LoadLibrary failed: " << dll.error();
    auto registerServer = dll.Export<DllRegisterServerFn>("DllRegisterServer");
    auto unregisterServer = dll.Export<DllRegisterServerFn>("DllUnregisterServer");
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);

    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(DumpRegistryTree(HKEY_CLASSES_ROOT, kClsidKey + L"\\InprocServer32"),
              L"[]\n"
              L"  @ = REG_SZ \"" + path + L"\\0\"\n"
              L"  ThreadingModel = REG_SZ \"Apartment\\0\"\n");
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
}

}  // namespace
}  // namespace pelmora::test
