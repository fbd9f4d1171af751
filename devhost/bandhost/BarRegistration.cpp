#include "bandhost/BarRegistration.h"

#include <comcat.h>
#include <shlguid.h>

#include "framework/com/ComPtr.h"
#include "framework/win/RegKey.h"

namespace pelmora::bandhost {

namespace {

constexpr wchar_t kExplorerBarsKey[] = L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\";

bool ReadString(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return false;
    text.resize(wcslen(text.c_str()));
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH * 2] = {};
        if (::ExpandEnvironmentStringsW(text.c_str(), expanded, MAX_PATH * 2) > 0) text = expanded;
    }
    value = text;
    return true;
}

// The user's own width first (the browser saves it there once a bar was resized),
// then the one the bar registered.
int ReadBarSize(const std::wstring& clsidText) {
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        win::UniqueHKey key;
        if (win::OpenRegKey(root, kExplorerBarsKey + clsidText, KEY_READ, key) != ERROR_SUCCESS) continue;
        BYTE bytes[16] = {};
        DWORD size = sizeof(bytes);
        DWORD type = 0;
        if (::RegQueryValueExW(key.get(), L"BarSize", nullptr, &type, bytes, &size) != ERROR_SUCCESS) continue;
        if (type != REG_BINARY || size < sizeof(DWORD)) continue;
        const DWORD width = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
                            static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
        if (width > 0 && width < 10000) return static_cast<int>(width);
    }
    return 0;
}

}  // namespace

std::wstring ClsidText(const CLSID& clsid) {
    wchar_t text[40] = {};
    if (!::StringFromGUID2(clsid, text, 40)) return {};
    return text;
}

bool ParseClsid(const std::wstring& text, CLSID& clsid) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
    std::wstring copy = text;
    return SUCCEEDED(::CLSIDFromString(copy.data(), &clsid));
}

bool ReadBarRegistration(const CLSID& clsid, ExplorerBar& bar, std::wstring& reason) {
    const std::wstring clsidText = ClsidText(clsid);
    win::UniqueHKey classKey;
    if (win::OpenRegKey(HKEY_CLASSES_ROOT, L"CLSID\\" + clsidText, KEY_READ, classKey) != ERROR_SUCCESS) {
        reason = L"the class " + clsidText + L" is not registered (no HKCR\\CLSID\\" + clsidText + L")";
        return false;
    }
    ExplorerBar found;
    found.clsid = clsid;
    if (!ReadString(classKey.get(), nullptr, found.name)) found.name.clear();
    win::UniqueHKey serverKey;
    if (win::OpenRegKey(classKey.get(), L"InprocServer32", KEY_READ, serverKey) != ERROR_SUCCESS ||
        !ReadString(serverKey.get(), nullptr, found.server) || found.server.empty()) {
        reason = L"the class " + clsidText + L" has no in-process server (InprocServer32)";
        return false;
    }
    if (!ReadString(serverKey.get(), L"ThreadingModel", found.threadingModel)) found.threadingModel.clear();
    found.vertical = win::RegKeyExists(classKey.get(), L"Implemented Categories\\" + ClsidText(CATID_InfoBand));
    found.barSize = ReadBarSize(clsidText);
    bar = found;
    return true;
}

HRESULT FindExplorerBars(std::vector<ExplorerBar>& bars) {
    bars.clear();
    com::ComPtr<ICatInformation> categories;
    HRESULT hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICatInformation, categories.put_void());
    if (FAILED(hr)) return hr;
    CATID vertical = CATID_InfoBand;
    com::ComPtr<IEnumCLSID> classes;
    hr = categories->EnumClassesOfCategories(1, &vertical, static_cast<ULONG>(-1), nullptr, classes.put());
    if (FAILED(hr)) return hr;
    CLSID clsid{};
    ULONG fetched = 0;
    while (classes->Next(1, &clsid, &fetched) == S_OK && fetched == 1) {
        ExplorerBar bar;
        std::wstring reason;
        if (ReadBarRegistration(clsid, bar, reason)) bars.push_back(bar);
    }
    return S_OK;
}

}  // namespace pelmora::bandhost
