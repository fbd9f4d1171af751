#pragma once
// Helpers the test programs share: scratch folders, files, registry clean-up.
#include <windows.h>

#include <string>

namespace pelmora::test {

// A new, empty folder below the temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::wstring& path() const { return path_; }
    [[nodiscard]] std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Deletes a registry key with everything below it before and after a test.
class ScopedRegistryKey {
public:
    ScopedRegistryKey(HKEY root, std::wstring path);
    ~ScopedRegistryKey();
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

private:
    HKEY root_;
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The system's major version as the product reads it; 0 when it cannot be read.
DWORD WindowsMajorVersion();
// The folder of the running test program.
std::wstring ProgramDirectory();

}  // namespace pelmora::test
