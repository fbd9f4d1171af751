#include "framework/win/FolderLinks.h"

#include <windows.h>

#include "framework/win/FolderWatch.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

namespace {

bool IsFolderLink(const WIN32_FIND_DATAW& found) noexcept {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsEnterableFolder(found);
}

bool IsDotEntry(const wchar_t* name) noexcept {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Room left for what the shell appends ("\\*", a short name) before MAX_PATH.
constexpr size_t kLongPath = MAX_PATH - 16;

bool HoldsLinksOrLongPathsBelow(const std::wstring& folder, size_t depth) {
    if (depth > kListedFolderDepth || folder.size() >= kLongPath) return true;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = ::FindNextFileW(search.get(), &found) != FALSE) {
        if (IsDotEntry(found.cFileName)) continue;
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (IsFolderLink(found) || path.size() >= kLongPath) return true;
        if (IsEnterableFolder(found) && HoldsLinksOrLongPathsBelow(path, depth + 1)) return true;
    }
    return false;
}

bool DeleteBelow(const std::wstring& folder, size_t depth) {
    bool whole = depth <= kListedFolderDepth;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(whole ? ::FindFirstFileW((folder + L"\\*").c_str(), &found) : INVALID_HANDLE_VALUE);
    for (bool more = search.valid(); more; more = ::FindNextFileW(search.get(), &found) != FALSE) {
        if (IsDotEntry(found.cFileName)) continue;
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (IsFolderLink(found)) {
            whole = ::RemoveDirectoryW(path.c_str()) != FALSE && whole;  // the link, not its target
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            whole = DeleteBelow(path, depth + 1) && whole;
        } else {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                ::SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            whole = ::DeleteFileW(path.c_str()) != FALSE && whole;
        }
    }
    search.reset();
    return ::RemoveDirectoryW(folder.c_str()) != FALSE && whole;
}

}  // namespace

bool HoldsLinksOrLongPaths(const std::wstring& folder) { return HoldsLinksOrLongPathsBelow(folder, 0); }

bool DeleteFolderKeepingLinkTargets(const std::wstring& folder) {
    // Through a verbatim path, so that names past MAX_PATH can be reached too.
    const bool drivePath = folder.size() > 2 && folder[1] == L':' && folder[2] == L'\\';
    const std::wstring path = drivePath ? L"\\\\?\\" + folder : folder;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ::DeleteFileW(path.c_str()) != FALSE;  // a script whose own path is long
    return DeleteBelow(path, 0);
}

}  // namespace pelmora::win
