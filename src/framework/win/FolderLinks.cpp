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

bool HoldsLinksBelow(const std::wstring& folder, size_t depth) {
    if (depth > kListedFolderDepth) return true;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = ::FindNextFileW(search.get(), &found) != FALSE) {
        if (IsDotEntry(found.cFileName)) continue;
        if (IsFolderLink(found)) return true;
        if (IsEnterableFolder(found) && HoldsLinksBelow(folder + L"\\" + found.cFileName, depth + 1)) return true;
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

bool HoldsFolderLinks(const std::wstring& folder) { return HoldsLinksBelow(folder, 0); }

bool DeleteFolderKeepingLinkTargets(const std::wstring& folder) { return DeleteBelow(folder, 0); }

}  // namespace pelmora::win
