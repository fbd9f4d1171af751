#include "framework/win/FolderWatch.h"

#include <algorithm>

namespace pelmora::win {

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
// Far more folders than a script location holds; beyond, deeper ones go unwatched.
constexpr size_t kMaxFolders = 512;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Calls visit(relative path, is folder) for every entry below folder, depth first.
template <typename Visit>
void Walk(const std::wstring& root, const std::wstring& relative, size_t depth, Visit& visit) {
    if (depth > 64) return;  // a cycle through links cannot hold the caller
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((root + relative + L"\\*").c_str(), &found));
    if (!search.valid()) return;
    do {
        if (IsDotEntry(found.cFileName)) continue;
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::wstring path = relative + L"\\" + found.cFileName;
        if (!visit(path, folder)) return;
        if (folder) Walk(root, path, depth + 1, visit);
    } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

bool FolderWatch::Start(const std::wstring& root) noexcept {
    Stop();
    try {
        UniqueChangeNotification top(::FindFirstChangeNotificationW(root.c_str(), FALSE, kChanges));
        if (!top.valid()) return false;
        watches_.push_back(std::move(top));
        auto add = [&](const std::wstring& path, bool folder) {
            if (!folder) return true;
            UniqueChangeNotification watch(::FindFirstChangeNotificationW((root + path).c_str(), FALSE, kChanges));
            if (watch.valid()) watches_.push_back(std::move(watch));
            return watches_.size() < kMaxFolders;
        };
        Walk(root, L"", 0, add);
    } catch (...) {
        // Out of memory: whatever is watched so far stays watched.
    }
    return IsWatching();
}

bool FolderWatch::TakeChange() noexcept {
    bool changed = false;
    for (UniqueChangeNotification& watch : watches_) {
        if (!watch.valid() || ::WaitForSingleObject(watch.get(), 0) != WAIT_OBJECT_0) continue;
        changed = true;
        if (!::FindNextChangeNotification(watch.get())) watch.reset();  // its folder went away
    }
    return changed;
}

std::vector<std::wstring> ListFolderTree(const std::wstring& root) {
    std::vector<std::wstring> entries;
    auto add = [&](const std::wstring& path, bool folder) {
        entries.push_back(folder ? path + L"\\" : path);
        return true;
    };
    Walk(root, L"", 0, add);
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace pelmora::win
