#pragma once
// Watches a folder and every folder below it for files and folders added, removed,
// renamed or written, through the platform's change notifications, without a thread:
// the owner asks now and then whether anything changed since it last asked. Each
// folder has a watch of its own (Wine watches a whole tree only after its first
// change), so a folder added below needs Start again to be watched too.
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
    void Stop() noexcept { watches_.clear(); }
    [[nodiscard]] bool IsWatching() const noexcept { return !watches_.empty(); }

    // True once for any number of changes since the last call, and watches on.
    bool TakeChange() noexcept;

private:
    std::vector<UniqueChangeNotification> watches_;
};

// The files and folders below root, as paths relative to it, folders ending in '\',
// sorted: two listings differ exactly when something was added, removed or renamed.
std::vector<std::wstring> ListFolderTree(const std::wstring& root);

}  // namespace pelmora::win
