// What loading the DLL does on its own, before anyone calls it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DllUnderTest.h"
#include "TestSupport.h"

namespace pelmora::test {
namespace {

constexpr wchar_t kProductKey[] = L"SOFTWARE\\Halvenne\\Pelmora";

// Removes a folder and its contents when the test ends, whatever happened.
class ScopedFolderRemoval {
public:
    explicit ScopedFolderRemoval(std::wstring path) : path_(std::move(path)) {}
    ~ScopedFolderRemoval() { RemoveTree(path_); }
    ScopedFolderRemoval(const ScopedFolderRemoval&) = delete;
    ScopedFolderRemoval& operator=(const ScopedFolderRemoval&) = delete;

private:
    std::wstring path_;
};

TEST(PelmoraStartup, LoadingWithoutAProductKeyRecordsTheDefaultScriptLocationAndCreatesIt) {
    ASSERT_GE(test::WindowsMajorVersion(), 6u) << "the default below is the one of Windows Vista and later";

    wchar_t profile[MAX_PATH + 1] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE));
    // The recorded value keeps the doubled backslash; the folder on disk is the same one.
    const std::wstring recorded = std::wstring(profile) + L"\\AppDataLocalLow\\\\Halvenne\\Pelmora";
    const std::wstring folder = std::wstring(profile) + L"\\AppDataLocalLow\\Halvenne\\Pelmora";

    ScopedRegistryKey productKey(HKEY_CURRENT_USER, kProductKey);
    RemoveTree(folder);
    ASSERT_FALSE(DirectoryExists(folder));
    ScopedFolderRemoval removeFolder(folder);
    // Only a fresh load runs the DLL's start-up.
    ASSERT_EQ(::GetModuleHandleW(PelmoraDllPath().c_str()), nullptr) << "an earlier test left the DLL loaded";

    LoadedDll dll;
    ASSERT_NE(dll.get(), nullptr) << "LoadLibrary failed: " << dll.error();

    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<wchar_t> data(1024, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    const LONG status =
        ::RegQueryValueExW(key, L"ScriptLocation", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_GE(size, sizeof(wchar_t));
    EXPECT_EQ(data[size / sizeof(wchar_t) - 1], L'\0') << "stored without its terminating zero";
    EXPECT_EQ(std::wstring(data.data()), recorded);

    EXPECT_TRUE(DirectoryExists(folder));
}

}  // namespace
}  // namespace pelmora::test
