#include "framework/win/FolderWatch.h"

#include <algorithm>
#include <cwchar>

namespace pelmora::win {

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
// Folders whose times one TakeChange compares: with the owner asking four times a
// second, a tree of a thousand folders is gone through in half a minute.
constexpr size_t kFoldersPerSweep = 8;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

FILETIME FolderTime(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
    return data.ftLastWriteTime;
}

// Calls visit(relative path, is folder) for every entry below folder, depth first; a
// folder is entered when visit answers true for it. Links to folders are left out.
template <typename Visit>
void Walk(const std::wstring& root, const std::wstring& relative, size_t depth, Visit& visit) {
    if (depth > kListedFolderDepth) return;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((root + relative + L"\\*").c_str(), &found));
    if (!search.valid()) return;
    do {
        if (IsDotEntry(found.cFileName)) continue;
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((folder && !IsEnterableFolder(found)) || !IsNameReachable(found.cFileName)) continue;
        const std::wstring path = relative + L"\\" + found.cFileName;
        if (visit(path, folder) && folder) Walk(root, path, depth + 1, visit);
    } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

bool IsEnterableFolder(const WIN32_FIND_DATAW& found) noexcept {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsNameReachable(const wchar_t* name) noexcept {
    const size_t length = name ? ::wcslen(name) : 0;
    return length != 0 && name[length - 1] != L'.' && name[length - 1] != L' ';
}

bool FolderWatch::Start(const std::wstring& root) noexcept {
    handle_.reset(::FindFirstChangeNotificationW(root.c_str(), TRUE, kChanges));
    root_ = root;
    folders_.clear();
    nextFolder_ = 0;
    return handle_.valid();
}

void FolderWatch::Stop() noexcept {
    handle_.reset();
    folders_.clear();
    nextFolder_ = 0;
}

void FolderWatch::SetFolders(const std::vector<std::wstring>& listing) noexcept {
    try {
        folders_.clear();
        nextFolder_ = 0;
        folders_.emplace_back(std::wstring(), FolderTime(root_));
        for (const std::wstring& entry : listing) {
            if (entry.empty() || entry.back() != L'\\') continue;
            std::wstring folder = entry.substr(0, entry.size() - 1);
            const FILETIME time = FolderTime(root_ + folder);
            folders_.emplace_back(std::move(folder), time);
        }
    } catch (...) {
        folders_.clear();  // out of memory: the notification alone
    }
}

bool FolderWatch::SweepFolders() noexcept {
    bool changed = false;
    for (size_t taken = 0; taken < kFoldersPerSweep && taken < folders_.size(); ++taken) {
        if (nextFolder_ >= folders_.size()) nextFolder_ = 0;
        auto& [folder, time] = folders_[nextFolder_++];
        const FILETIME now = FolderTime(root_ + folder);
        if (::CompareFileTime(&now, &time) != 0) {
            time = now;
            changed = true;
        }
    }
    return changed;
}

bool FolderWatch::TakeChange() noexcept {
    if (!handle_.valid()) return false;
    bool changed = false;
    // Each wait that succeeds is one notification; the next one is asked for at once.
    // Bounded: a folder written without pause must not hold the caller here.
    for (int taken = 0; taken < 64 && ::WaitForSingleObject(handle_.get(), 0) == WAIT_OBJECT_0; ++taken) {
        changed = true;
        if (!::FindNextChangeNotification(handle_.get())) {
            handle_.reset();  // the folder went away
            break;
        }
    }
    return SweepFolders() || changed;
}

std::vector<std::wstring> ListFolderTree(const std::wstring& root) { return ListFolderTree(root, KnownListing{}); }

std::vector<std::wstring> ListFolderTree(const std::wstring& root, const KnownListing& known) {
    std::vector<std::wstring> entries;
    if (known.entries && known.relative.empty()) {
        entries = *known.entries;
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    auto add = [&](const std::wstring& path, bool folder) {
        entries.push_back(folder ? path + L"\\" : path);
        // Names differ in case only where the folder was made under another spelling.
        if (!folder || !known.entries ||
            ::CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), known.relative.c_str(),
                                   static_cast<int>(known.relative.size()), TRUE) != CSTR_EQUAL) {
            return true;
        }
        for (const std::wstring& entry : *known.entries) entries.push_back(path + entry);
        return false;
    };
    Walk(root, L"", 0, add);
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace pelmora::win
