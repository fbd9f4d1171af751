#include "framework/win/FileReplacement.h"

#include <algorithm>

#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

namespace {

DWORD LastErrorOr(DWORD fallback) noexcept {
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? fallback : error;
}

// Opens the target as the caller asked for it, without truncating it, so that the
// reasons a plain open would fail are reported as open failures.
DWORD ProbeWritable(const std::wstring& path, bool& createdByProbe) noexcept {
    // Windows refuses to write a read-only file whatever the caller's rights; a
    // process whose rights bypass the attribute (Wine run by root) must refuse too.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_OPEN_FAILED);
    createdByProbe = ::GetLastError() != ERROR_ALREADY_EXISTS;
    return ERROR_SUCCESS;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);  // "\x" or "c:\x"
    return path.substr(0, slash);
}

DWORD WriteAll(HANDLE file, std::string_view bytes) noexcept {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

// Writes bytes to the temporary file and closes it; both must succeed.
DWORD WriteAndClose(const wchar_t* temporaryPath, std::string_view bytes) noexcept {
    UniqueFileHandle file(::CreateFileW(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_OPEN_FAILED);
    DWORD error = WriteAll(file.get(), bytes);
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) error = LastErrorOr(ERROR_WRITE_FAULT);
    if (!::CloseHandle(file.release()) && error == ERROR_SUCCESS) error = LastErrorOr(ERROR_WRITE_FAULT);
    return error;
}

DWORD WriteThroughTemporaryFile(const std::wstring& path, std::string_view bytes) {
    wchar_t temporaryPath[MAX_PATH] = {};
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"pel", 0, temporaryPath)) return LastErrorOr(ERROR_OPEN_FAILED);
    DWORD error = WriteAndClose(temporaryPath, bytes);
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temporaryPath, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (error != ERROR_SUCCESS) ::DeleteFileW(temporaryPath);
    return error;
}

}  // namespace

FileReplaceResult ReplaceFileContents(const std::wstring& path, std::string_view bytes) noexcept {
    FileReplaceResult result;
    bool createdByProbe = false;
    if (const DWORD error = ProbeWritable(path, createdByProbe); error != ERROR_SUCCESS) {
        result.failedStep = FileReplaceStep::Open;
        result.error = error;
        return result;
    }
    DWORD error = ERROR_SUCCESS;
    try {
        error = WriteThroughTemporaryFile(path, bytes);
    } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error != ERROR_SUCCESS) {
        // The empty file the probe made is not the caller's: leave the folder as it was.
        if (createdByProbe) ::DeleteFileW(path.c_str());
        result.failedStep = FileReplaceStep::Write;
        result.error = error;
    }
    return result;
}

}  // namespace pelmora::win
