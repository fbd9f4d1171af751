#include "library/ScriptLocation.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <shlobj.h>

#include "core/ProductKey.h"
#include "framework/com/GuidText.h"
#include "framework/win/ProcAddress.h"
#include "framework/win/RegKey.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora {

namespace {

constexpr com::GuidText kMainScriptFolderText = com::BracedGuidText(__uuidof(DWebBrowserEvents2));
constexpr com::GuidText kUrlScriptFolderText = com::BracedGuidText(__uuidof(HTMLWindowEvents));

// Read and written through the wide functions: a profile path the ANSI code page cannot
// hold would be stored with question marks and every later load would use that folder.
constexpr wchar_t kScriptLocationValue[] = L"ScriptLocation";

// The default: below the roaming application data before Vista, and from Vista on in
// a folder "AppDataLocalLow" directly in the profile. The doubled backslash is part of
// the stored default and harmless to the file system.
std::wstring DefaultScriptLocation() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&version);
#pragma GCC diagnostic pop
    if (version.dwMajorVersion < 6) return GetSpecialFolderPath(CSIDL_APPDATA, true) + L"\\Halvenne\\Pelmora";
    return GetSpecialFolderPath(CSIDL_PROFILE, true) + L"\\AppDataLocalLow\\" L"\\Halvenne\\Pelmora";
}

std::wstring EnsuredSubfolder(const wchar_t* name) {
    std::wstring path = GetScriptLocation() + L"\\" + name;
    EnsureDirectory(path);
    return path;
}

}  // namespace

const wchar_t* const kMainScriptFolderName = kMainScriptFolderText.text;
const wchar_t* const kUrlScriptFolderName = kUrlScriptFolderText.text;

std::wstring GetScriptLocation() {
    const std::wstring defaultLocation = DefaultScriptLocation();
    win::UniqueHKey key;
    bool created = false;
    if (OpenOrCreateProductKey(key, &created) == ERROR_SUCCESS) {
        if (created) {
            if (win::WriteRegString(key.get(), kScriptLocationValue, defaultLocation) == ERROR_SUCCESS) {
                key.reset();
                EnsureDirectory(defaultLocation);
                return defaultLocation;
            }
        } else {
            std::wstring stored;
            if (win::ReadRegString(key.get(), kScriptLocationValue, stored) == ERROR_SUCCESS) {
                // Used as stored: environment variables are not expanded, and an empty
                // value stays empty.
                key.reset();
                EnsureDirectory(stored);
                return stored;
            }
        }
    }
    key.reset();
    EnsureDirectory(defaultLocation);
    return defaultLocation;
}

std::wstring GetMainScriptDirectory() { return EnsuredSubfolder(kMainScriptFolderName); }

std::wstring GetUrlScriptDirectory() { return EnsuredSubfolder(kUrlScriptFolderName); }

void EnsureDirectory(const std::wstring& path) {
    using CreateDirectoryFn = int(WINAPI*)(HWND, LPCWSTR);
    win::UniqueModule shell(::LoadLibraryW(L"shell32.dll"));
    if (!shell) return;
    auto create = win::GetProcAddressAs<CreateDirectoryFn>(shell.get(), "SHCreateDirectory");
    if (!create) return;
    (void)create(nullptr, path.c_str());  // an existing folder or a failure both leave the path as it is
}

std::wstring GetSpecialFolderPath(int csidl, bool create) {
    using SpecialFolderFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    wchar_t buffer[MAX_PATH + 1] = {};
    bool found = false;
    win::UniqueModule shell(::LoadLibraryW(L"shell32.dll"));
    if (shell) {
        auto get = win::GetProcAddressAs<SpecialFolderFn>(shell.get(), "SHGetSpecialFolderPathW");
        found = get && get(nullptr, buffer, csidl, create ? TRUE : FALSE);
    }
    if (!found) {
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, buffer);
        // A result as long as the buffer or longer means it did not fit.
        if (length == 0 || length > MAX_PATH) return L"c:\\";
    }
    return buffer;
}

}  // namespace pelmora
