#include "bandhost/LogTail.h"

#include "framework/win/Ansi.h"
#include "framework/win/RegKey.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::bandhost {

namespace {

// The logger writes while we read: share everything, take nothing.
win::UniqueFileHandle OpenShared(const std::wstring& path) {
    return win::UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool SizeOf(const std::wstring& path, ULONGLONG& size) {
    const win::UniqueFileHandle file = OpenShared(path);
    LARGE_INTEGER length{};
    if (!file || !::GetFileSizeEx(file.get(), &length)) return false;
    size = static_cast<ULONGLONG>(length.QuadPart);
    return true;
}

}  // namespace

bool LogTail::Locate() {
    if (path_.empty()) path_ = locate_ ? locate_() : std::wstring();
    return !path_.empty();
}

void LogTail::SkipExisting() {
    partial_.clear();
    offset_ = 0;
    ULONGLONG size = 0;
    if (Locate() && SizeOf(path_, size)) offset_ = size;
}

std::vector<std::wstring> LogTail::ReadNew() {
    std::vector<std::wstring> records;
    if (!Locate()) return records;
    ULONGLONG size = 0;
    if (!SizeOf(path_, size)) return records;
    if (size < offset_) {
        // Rotated: the rest of the old file is the backup now, then the new one starts.
        ULONGLONG backupSize = 0;
        const std::wstring backup = path_ + L".bak";
        if (SizeOf(backup, backupSize) && backupSize >= offset_) ReadRange(backup, offset_, backupSize, records);
        offset_ = 0;
    }
    if (size > offset_) offset_ += ReadRange(path_, offset_, size, records);
    return records;
}

ULONGLONG LogTail::ReadRange(const std::wstring& path, ULONGLONG from, ULONGLONG to,
                             std::vector<std::wstring>& records) {
    const win::UniqueFileHandle file = OpenShared(path);
    if (!file) return 0;
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(from);
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return 0;
    std::string bytes(static_cast<size_t>(to - from), '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return 0;
    partial_.append(bytes.data(), read);
    size_t lineStart = 0;
    for (size_t end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n', lineStart)) {
        size_t lineEnd = end;
        if (lineEnd > lineStart && partial_[lineEnd - 1] == '\r') --lineEnd;
        if (lineEnd > lineStart) records.push_back(win::AnsiToWide(partial_.substr(lineStart, lineEnd - lineStart)));
        lineStart = end + 1;
    }
    partial_.erase(0, lineStart);
    return read;
}

std::wstring ProductLogPath() {
    win::UniqueHKey key;
    if (win::OpenRegKey(HKEY_CURRENT_USER, L"SOFTWARE\\Halvenne\\Pelmora", KEY_READ, key) != ERROR_SUCCESS) return {};
    // Wide, as the product reads it, so a folder the ANSI code page cannot spell is found.
    std::wstring location;
    if (win::ReadRegString(key.get(), L"ScriptLocation", location) != ERROR_SUCCESS || location.empty()) return {};
    if (location.back() != L'\\') location += L'\\';
    return location + L"Pelmora.log";
}

}  // namespace pelmora::bandhost
