#include "ui/ScriptFolderWatch.h"

#include <utility>

namespace pelmora {

void CScriptFolderWatch::Start(const std::wstring& root, const win::KnownListing& known) {
    Stop();
    root_ = root;
    listing_ = win::ListFolderTree(root_, known);
    (void)watch_.Start(root_);
    watch_.SetFolders(listing_);
}

void CScriptFolderWatch::Stop() noexcept {
    watch_.Stop();
    pending_ = false;
}

bool CScriptFolderWatch::TakeChange() noexcept {
    const bool changed = watch_.TakeChange();
    pending_ |= changed;
    return changed;
}

bool CScriptFolderWatch::TakeSettledChange() {
    if (!std::exchange(pending_, false)) return false;
    std::vector<std::wstring> listing = win::ListFolderTree(root_);
    watch_.SetFolders(listing);
    if (listing == listing_) return false;
    listing_ = std::move(listing);
    return true;
}

void CScriptFolderWatch::Resync() {
    (void)watch_.TakeChange();
    listing_ = win::ListFolderTree(root_);
    watch_.SetFolders(listing_);
    pending_ = false;
}

}  // namespace pelmora
