#include "TestSupport.h"

#include <shellapi.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace pelmora::test {

namespace {
bool IsDots(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }
}  // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, base);
    GUID id{};
    ::CoCreateGuid(&id);
    wchar_t name[64] = {};
    swprintf(name, 64, L"pelmora-test-%08lx%04x", static_cast<unsigned long>(id.Data1), id.Data2);
    path_ = std::wstring(base) + name;
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

ScopedRegistryKey::ScopedRegistryKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    ::RegDeleteTreeW(root_, path_.c_str());
    ::RegDeleteKeyW(root_, path_.c_str());
}

ScopedRegistryKey::~ScopedRegistryKey() {
    ::RegDeleteTreeW(root_, path_.c_str());
    ::RegDeleteKeyW(root_, path_.c_str());
}

void RemoveTree(const std::wstring& path) {
    // Through a verbatim path: names ending in "." or " " and paths past MAX_PATH go too.
    if (path.size() > 2 && path[1] == L':' && path.rfind(L"\\\\?\\", 0) != 0) return RemoveTree(L"\\\\?\\" + path);
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (IsDots(data.cFileName)) continue;
            const std::wstring child = path + L"\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link: removed itself where that can be done, never followed (it may loop).
                if (!::RemoveDirectoryW(child.c_str())) ::DeleteFileW(child.c_str());
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

DWORD WindowsMajorVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) return 0;
#pragma GCC diagnostic pop
    return version.dwMajorVersion;
}

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L"\\/"));
}

}  // namespace pelmora::test
