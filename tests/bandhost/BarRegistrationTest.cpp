// The bar as the host finds and creates it: the fake band of the test module
// registered as a vertical Explorer Bar, listed by the component categories manager,
// created through COM, and unloaded by COM once the host has closed it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "TestSupport.h"
#include "bandhost/BandHost.h"
#include "bandhost/BarRegistration.h"
#include "bandhost/FakeBand.h"

namespace pelmora::test {
namespace {

// {0B7D41E6-52A8-4F0C-8E3B-7A61C9D2E4F1}: registered, but in no bar category.
constexpr CLSID kPlainClass = {0x0b7d41e6, 0x52a8, 0x4f0c, {0x8e, 0x3b, 0x7a, 0x61, 0xc9, 0xd2, 0xe4, 0xf1}};

LONG SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status;
}

class BarRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(module));
        const std::wstring classKey = L"CLSID\\" + bandhost::ClsidText(kFakeBandClsid);
        ASSERT_EQ(ERROR_SUCCESS, SetString(HKEY_CLASSES_ROOT, classKey, nullptr, L"Fake Explorer Bar"));
        ASSERT_EQ(ERROR_SUCCESS, SetString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, module));
        ASSERT_EQ(ERROR_SUCCESS,
                  SetString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
        ASSERT_EQ(ERROR_SUCCESS, SetString(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" +
                                                                  bandhost::ClsidText(CATID_InfoBand),
                                           nullptr, L""));
        HKEY bar = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, barKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &bar, nullptr));
        const BYTE size[8] = {0x2C, 0x01, 0, 0, 0, 0, 0, 0};  // 300 pixels
        ::RegSetValueExW(bar, L"BarSize", 0, REG_BINARY, size, sizeof(size));
        ::RegCloseKey(bar);
        ASSERT_EQ(ERROR_SUCCESS, SetString(HKEY_CLASSES_ROOT, L"CLSID\\" + bandhost::ClsidText(kPlainClass) +
                                                                  L"\\InprocServer32",
                                           nullptr, module));
    }

    const std::wstring module = ProgramDirectory() + L"\\standin_test_module.dll";
    const std::wstring barKey =
        L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\" + bandhost::ClsidText(kFakeBandClsid);
    ScopedRegistryKey fakeClass{HKEY_CLASSES_ROOT, L"CLSID\\" + bandhost::ClsidText(kFakeBandClsid)};
    ScopedRegistryKey plainClass{HKEY_CLASSES_ROOT, L"CLSID\\" + bandhost::ClsidText(kPlainClass)};
    ScopedRegistryKey barSize{HKEY_LOCAL_MACHINE, barKey};
};

TEST_F(BarRegistrationTest, RegisteredBarIsFoundCreatedThroughComAndUnloadedOnceClosed) {
    std::vector<bandhost::ExplorerBar> bars;
    ASSERT_EQ(S_OK, bandhost::FindExplorerBars(bars));
    const auto found = std::find_if(bars.begin(), bars.end(), [](const bandhost::ExplorerBar& bar) {
        return IsEqualCLSID(bar.clsid, kFakeBandClsid);
    });
    ASSERT_NE(bars.end(), found);
    EXPECT_EQ(L"Fake Explorer Bar", found->name);
    EXPECT_EQ(module, found->server);
    EXPECT_EQ(L"Apartment", found->threadingModel);
    EXPECT_TRUE(found->vertical);
    EXPECT_EQ(300, found->barSize);
    EXPECT_TRUE(std::none_of(bars.begin(), bars.end(), [](const bandhost::ExplorerBar& bar) {
        return IsEqualCLSID(bar.clsid, kPlainClass);
    })) << "a class outside the category is no bar";

    {
        bandhost::BandHost host;
        bandhost::HostOptions options;
        options.locateLog = [] { return std::wstring(); };
        ASSERT_TRUE(host.Open(options));
        ASSERT_EQ(S_OK, host.LoadBar(*found));
        ASSERT_EQ(S_OK, host.ShowBand(true));
        const HWND list = host.FindBandControl(kFakeListId);
        ASSERT_TRUE(list) << "the band made its window in the frame";
        EXPECT_EQ(list, host.FollowedListBox());
        RECT pane{};
        ::GetWindowRect(host.Frame().BandPane(), &pane);
        EXPECT_EQ(300, pane.right - pane.left) << "the bar's BarSize";
        ASSERT_TRUE(::GetModuleHandleW(module.c_str()));

        // While someone else holds a band, COM keeps the module and the report says why.
        com::ComPtr<IUnknown> other;
        ASSERT_EQ(S_OK, ::CoCreateInstance(kFakeBandClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                           other.put_void()));
        host.CloseBand();
        const auto& lines = host.Transcript().Lines();
        EXPECT_EQ(L"host: CoFreeUnusedLibraries: " + module + L" stays loaded; its DllCanUnloadNow answers S_FALSE",
                  lines.back());
        other.reset();

        ASSERT_EQ(S_OK, host.LoadBar(*found));
        host.CloseBand();
        EXPECT_EQ(L"host: CoFreeUnusedLibraries: COM unloaded " + module + L" (its DllCanUnloadNow answered S_OK)",
                  lines.back());
        EXPECT_FALSE(::GetModuleHandleW(module.c_str()));
    }

    bandhost::ExplorerBar plain;
    std::wstring reason;
    ASSERT_TRUE(bandhost::ReadBarRegistration(kPlainClass, plain, reason)) << reason;
    EXPECT_FALSE(plain.vertical);
    const CLSID unknown = {0x0b7d41e6, 0x52a8, 0x4f0c, {0x8e, 0x3b, 0x7a, 0x61, 0xc9, 0xd2, 0xe4, 0xf2}};
    EXPECT_FALSE(bandhost::ReadBarRegistration(unknown, plain, reason));
    EXPECT_NE(std::wstring::npos, reason.find(L"is not registered")) << reason;
    CLSID parsed{};
    EXPECT_TRUE(bandhost::ParseClsid(L"{6F0B3A52-8E1D-4C27-9B44-3D2E7A1C5F90}", parsed));
    EXPECT_TRUE(IsEqualCLSID(kFakeBandClsid, parsed));
    EXPECT_FALSE(bandhost::ParseClsid(L"6F0B3A52-8E1D-4C27-9B44-3D2E7A1C5F90", parsed));
}

}  // namespace
}  // namespace pelmora::test
