#pragma once
// Watches a folder and every folder below it for files and folders added, removed,
// renamed or written, without a thread: the owner asks now and then whether anything
// changed since it last asked. The platform's change notification holds one handle on
// the top folder only, so that the folders below can still be deleted. Where it misses
// changes deep in the tree (Wine watches only the top folder), the folders' own
// last-write times tell: a few of them are compared at each question, so that an idle
// watch over a big tree costs a few file-system calls, not a listing.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

class FolderWatch {
public:
    FolderWatch() noexcept = default;

    // Watches root and the folders below it (the previous watch ends); false when
    // root cannot be watched, for example because it does not exist.
    bool Start(const std::wstring& root) noexcept;
    void Stop() noexcept;
    [[nodiscard]] bool IsWatching() const noexcept { return handle_.valid(); }
    // The folders whose last-write times are compared: root and those of listing (in
    // the form ListFolderTree gives), their times taken now.
    void SetFolders(const std::vector<std::wstring>& listing) noexcept;

    // True once for any number of changes since the last call, and watches on.
    bool TakeChange() noexcept;

private:
    // Whether the next few folders' times moved since they were taken.
    bool SweepFolders() noexcept;

    UniqueChangeNotification handle_;
    std::wstring root_;
    std::vector<std::pair<std::wstring, FILETIME>> folders_;  // below root_, "" for root_
    size_t nextFolder_ = 0;
};

// The deepest folder level ListFolderTree lists, root's own entries being level 0.
inline constexpr size_t kListedFolderDepth = 64;

// Whether a found entry is a folder to be entered: a directory that is no link or
// junction (a reparse point), which could lead back up the tree or far away.
[[nodiscard]] bool IsEnterableFolder(const WIN32_FIND_DATAW& found) noexcept;

// Whether a found name is reached through its own spelling. A path drops a trailing
// "." or blank of a name, so "news." made through a \\?\ path or a network share would
// be deleted, opened or run as its sibling "news": such entries are left out.
[[nodiscard]] bool IsNameReachable(const wchar_t* name) noexcept;

// The files and folders below root, as paths relative to it, folders ending in '\',
// sorted: two listings differ exactly when something was added, removed or renamed.
// Links to folders are neither listed nor entered.
std::vector<std::wstring> ListFolderTree(const std::wstring& root);

// A listing of one folder below the root, in the form ListFolderTree gives for that
// folder, already at hand.
struct KnownListing {
    // The folder below the root ("\news\daily.WSC", no '\' at the end); empty for
    // the root itself.
    std::wstring relative;
    const std::vector<std::wstring>* entries = nullptr;
};
// The same, taking the entries below the known folder from its listing instead of
// listing that folder again; no known entries, no folder taken over.
std::vector<std::wstring> ListFolderTree(const std::wstring& root, const KnownListing& known);

}  // namespace pelmora::win
