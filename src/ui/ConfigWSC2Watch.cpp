// The form follows what other programs do in the script location while it is shown:
// a running main script saved anew runs again, and files or folders added, removed or
// renamed appear in the trees with their marks, the selection and the expanded
// folders kept. Change notifications are polled from a timer of the form window; a
// tree is listed again only once its watch reported a change.
#include <utility>

#include "framework/ui/TreeView.h"
#include "library/ScriptLocation.h"
#include "ui/ConfigWSC2.h"

namespace pelmora {

namespace {

constexpr UINT_PTR kWatchTimerId = 0x5077;
constexpr UINT kWatchPeriodMs = 250;

// What a tree's last fill listed, when its folder is root or a folder below it.
win::KnownListing ListingBelow(const std::wstring& root, const CFileBrowser* tree) {
    if (!tree || !tree->GetFolderListing()) return {};
    const std::wstring& folder = tree->GetDirectory();
    if (folder == root) return {std::wstring(), tree->GetFolderListing()};
    if (folder.size() > root.size() && folder.compare(0, root.size(), root) == 0 && folder[root.size()] == L'\\')
        return {folder.substr(root.size()), tree->GetFolderListing()};
    return {};
}

// The path an item key names below its tree's folder, for FindItemByPath.
std::wstring RelativePath(std::wstring key) {
    while (!key.empty() && key.front() == L'\\') key.erase(key.begin());
    while (!key.empty() && key.back() == L'\\') key.pop_back();
    return key;
}

std::wstring SelectedKey(const CFileBrowser& model, HWND tree) {
    const HTREEITEM selected = ui::TreeView(tree).GetSelectedItem();
    return selected ? model.GetItemKey(selected) : std::wstring();
}

void SelectKey(const CFileBrowser& model, HWND tree, const std::wstring& key) {
    if (key.empty()) return;
    const HTREEITEM item = model.FindItemByPath(nullptr, RelativePath(key));
    const ui::TreeView view(tree);
    if (item && view.GetSelectedItem() != item) (void)view.SelectItem(item);
}

}  // namespace

FILETIME CConfigWSC2::LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
    return data.ftLastWriteTime;
}

void CConfigWSC2::StartWatching() {
    StopWatching();
    mainWatch_.Start(GetMainScriptDirectory(), ListingBelow(GetMainScriptDirectory(), &store_.GetMainTree()));
    urlWatch_.Start(GetUrlScriptDirectory(),
                    ListingBelow(GetUrlScriptDirectory(), store_.GetCurrentUrlTree().get()));
    ::SetTimer(Handle(), kWatchTimerId, kWatchPeriodMs, nullptr);
}

void CConfigWSC2::StopWatching() noexcept {
    if (Handle()) ::KillTimer(Handle(), kWatchTimerId);
    mainWatch_.Stop();
    urlWatch_.Stop();
}

bool CConfigWSC2::IsWatchTimer(WPARAM id) noexcept { return id == kWatchTimerId; }

void CConfigWSC2::LookAgainAfterCommand() noexcept {
    // Not taken as it is now: a script that came back while the command's box was
    // open would stay out of the trees, and, being the checked main script, not run.
    mainWatch_.LookAgain();
    urlWatch_.LookAgain();
}

void CConfigWSC2::OnWatchTimer() {
    // A command, an attach or a script's event is under way, perhaps in a modal loop
    // that runs this timer too: the trees and the running script are theirs until
    // they are done, so changes wait.
    if (hidden_ || commandDepth_ > 0 || attaching_ || CScriptlet::CallsInProgress() > 0) return;
    const HWND frame = ::GetAncestor(Handle(), GA_ROOT);
    if (frame && !::IsWindowEnabled(frame)) return;
    const bool mainChanged = mainWatch_.TakeChange();
    const bool urlChanged = urlWatch_.TakeChange();
    if (mainChanged || urlChanged) return;
    const bool rebuilt = mainWatch_.TakeSettledChange();
    if (rebuilt) {
        RebuildTrees();
        urlWatch_.Resync();  // the rebuild showed the URL scripts as they are
    } else if (urlWatch_.TakeSettledChange()) {
        ReloadUrlTree();
    }
    RestartChangedScript(rebuilt);
}

void CConfigWSC2::RebuildTrees() {
    const HWND mainTree = MainTree().Handle();
    const HWND urlTree = UrlTree().Handle();
    const std::wstring mainKey = SelectedKey(store_.GetMainTree(), mainTree);
    const auto urlModel = store_.GetCurrentUrlTree();
    const std::wstring urlKey = urlModel ? SelectedKey(*urlModel, urlTree) : std::wstring();
    // From the marks held in memory: the watch never writes them, so a script that is
    // away for a moment comes back with its mark.
    struct Rebuilding {
        bool& flag;
        explicit Rebuilding(bool& set) : flag(set) { flag = true; }
        ~Rebuilding() { flag = false; }
        Rebuilding(const Rebuilding&) = delete;
        Rebuilding& operator=(const Rebuilding&) = delete;
    } rebuilding(watchRebuilding_);
    (void)store_.Refill(Handle(), GetMainScriptDirectory());
    SelectKey(store_.GetMainTree(), mainTree, mainKey);
    if (const auto current = store_.GetCurrentUrlTree()) SelectKey(*current, urlTree, urlKey);
    UpdateControls();
}

void CConfigWSC2::ReloadUrlTree() {
    const auto urlModel = store_.GetCurrentUrlTree();
    if (!urlModel) return;
    const HWND urlTree = UrlTree().Handle();
    const std::wstring urlKey = SelectedKey(*urlModel, urlTree);
    (void)urlModel->Reload();  // marks kept in memory, nothing written
    SelectKey(*urlModel, urlTree, urlKey);
    UpdateControls();
}

void CConfigWSC2::RestartChangedScript(bool treesRebuilt) {
    const bool checked = store_.HasCheckedMainScript();
    const std::wstring key = checked ? store_.GetCheckedMainScriptKey() : std::wstring();
    if (!runningScriptlet_) {
        if (checked && treesRebuilt) AttachChecked(true);
        return;
    }
    const FILETIME written = LastWriteTime(store_.GetMainDirectory() + key);
    const bool sameFile = checked && key == runningKey_;
    if (sameFile && ::CompareFileTime(&written, &runningWritten_) == 0) return;
    // Saved anew (a version that does not compile leaves nothing running until the
    // next save), or no longer the checked script: run what is checked now.
    AttachChecked(checked);
}

}  // namespace pelmora
