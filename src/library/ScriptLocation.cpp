#include "library/ScriptLocation.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "framework/win/Ansi.h"
#include "framework/win/ProcAddress.h"
#include "framework/win/RegKey.h"
#include "framework/win/UniqueHandle.h"
#include "core/ProductKey.h"

namespace pelmora {

namespace {

constexpr char kScriptLocationValue[] = "ScriptLocation";

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

bool WriteLocation(HKEY key, const std::wstring& location) {
    const std::string text = win::WideToAnsi(location);
    return ::RegSetValueExA(key, kScriptLocationValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// The stored location, when it is a string value that can be read.
bool ReadLocation(HKEY key, std::wstring& location) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, kScriptLocationValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // One byte more than reported, so a value stored without its terminating zero
    // still ends inside the buffer.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD read = size;
    if (::RegQueryValueExA(key, kScriptLocationValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &read) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    location = win::AnsiToWide(buffer.data());
    return true;
}

std::wstring EnsuredSubfolder(const wchar_t* name) {
    std::wstring path = GetScriptLocation() + L"\\" + name;
    EnsureDirectory(path);
    return path;
}

}  // namespace

std::wstring GetScriptLocation() {
    const std::wstring defaultLocation = DefaultScriptLocation();
    win::UniqueHKey key;
    if (win::OpenRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key) != ERROR_SUCCESS) {
        if (win::CreateRegKey(HKEY_CURRENT_USER, kProductKeyPath, kProductKeyAccess, key) == ERROR_SUCCESS &&
            WriteLocation(key.get(), defaultLocation)) {
            key.reset();
            EnsureDirectory(defaultLocation);
            return defaultLocation;
        }
    } else {
        std::wstring stored;
        if (ReadLocation(key.get(), stored)) {
            // Used as stored: environment variables are not expanded, and an empty
            // value stays empty.
            key.reset();
            EnsureDirectory(stored);
            return stored;
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
