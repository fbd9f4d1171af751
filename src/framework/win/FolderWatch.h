#pragma once
// Watches a folder and every folder below it for files and folders added, removed,
// renamed or written, through the platform's change notification, without a thread:
// the owner asks now and then whether anything changed since it last asked. One
// handle on the top folder only, so that the folders below can still be deleted.
// (Wine starts watching the folders below only after a first change: owners compare
// listings now and then as well.)
#include <windows.h>

#include <string>
#include <vector>

#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

class FolderWatch {
public:
    FolderWatch() noexcept = default;

    // Watches root and the folders below it (the previous watch ends); false when
    // root cannot be watched, for example because it does not exist.
    bool Start(const std::wstring& root) noexcept;
    void Stop() noexcept { handle_.reset(); }
    [[nodiscard]] bool IsWatching() const noexcept { return handle_.valid(); }

    // True once for any number of changes since the last call, and watches on.
    bool TakeChange() noexcept;

private:
    UniqueChangeNotification handle_;
};

// The deepest folder level ListFolderTree lists, root's own entries being level 0: a
// cycle through links cannot hold the caller.
inline constexpr size_t kListedFolderDepth = 64;

// The files and folders below root, as paths relative to it, folders ending in '\',
// sorted: two listings differ exactly when something was added, removed or renamed.
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
