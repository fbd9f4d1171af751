// Item paths, walking the tree, opening scripts and the Add URL tree's paths.
#include "ui/FileBrowser.h"

#include "core/SplitAtFirst.h"
#include "resources/resource.h"

namespace pelmora {

std::wstring CFileBrowser::GetItemFolder(HTREEITEM item) const {
    std::wstring folder;
    for (HTREEITEM current = item; current; current = tree_.GetParentItem(current)) {
        if (!IsScriptItem(current)) folder = L"\\" + tree_.GetItemText(current) + folder;
    }
    return folder;
}

std::wstring CFileBrowser::GetItemFileName(HTREEITEM item) const {
    return IsScriptItem(item) ? tree_.GetItemText(item) : std::wstring();
}

std::wstring CFileBrowser::GetItemKey(HTREEITEM item) const {
    return GetItemFolder(item) + L"\\" + GetItemFileName(item);
}

HTREEITEM CFileBrowser::FindChildItem(HTREEITEM parent, const std::wstring& name) const {
    if (!tree_) return nullptr;
    for (HTREEITEM child = tree_.GetChildItem(parent); child; child = tree_.GetNextSiblingItem(child)) {
        if (tree_.GetItemText(child) == name) return child;
    }
    return nullptr;
}

HTREEITEM CFileBrowser::FindItemByPath(HTREEITEM start, const std::wstring& path) const {
    HTREEITEM found = start;
    std::wstring rest = path;
    for (;;) {
        auto [head, tail] = SplitAtFirst(rest, L'\\');
        const HTREEITEM child = FindChildItem(found, head);
        if (!child) return found;
        found = child;
        rest = std::move(tail);
    }
}

bool CFileBrowser::ForEachItem(HTREEITEM first, const Visitor& visitor) const {
    bool anyFound = false;
    for (HTREEITEM item = first; item; item = tree_.GetNextSiblingItem(item)) {
        if (visitor(item)) return true;
        if (ForEachItem(tree_.GetNextItem(item, TVGN_CHILD), visitor)) anyFound = true;
    }
    return anyFound;
}

void CFileBrowser::OpenItem(HTREEITEM item) const {
    const std::wstring name = GetItemFileName(item);
    if (name.empty()) return;
    const std::wstring directory = GetItemDirectory(item);
    // The editor opens in the background; the shell reports its own failures.
    shellExecute_(nullptr, L"open", name.c_str(), L"", directory.c_str(), SW_SHOWNOACTIVATE);
}

void CFileBrowser::LoadUrls(HWND tree, std::shared_ptr<UrlPathList> paths) {
    tree_ = ui::TreeView(tree);
    if (!tree_) return;
    ApplyImageLists();
    urlPaths_ = std::move(paths);
    filled_ = true;
    if (!urlPaths_) return;
    for (const std::wstring& path : *urlPaths_) AddUrlPath(nullptr, path);
}

void CFileBrowser::AddUrlPath(HTREEITEM parent, const std::wstring& path) {
    const auto [head, tail] = SplitAtFirst(path, L'/');
    HTREEITEM item = FindChildItem(parent, head);
    if (item) {
        if (!tail.empty()) AddUrlPath(item, tail);
        return;
    }
    if (tail.empty()) {
        InsertItem(parent, IDI_SCRIPT, IDI_CHECK_CHECKED, head);
        return;
    }
    item = InsertItem(parent, parent ? IDI_FOLDER_CLOSED : IDI_GLOBE, IDI_CHECK_FOLDER_MARKED, head);
    if (item) AddUrlPath(item, tail);
}

}  // namespace pelmora
