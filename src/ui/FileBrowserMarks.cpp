// Marks: how a click on a check box changes them and how folders follow their scripts.
#include "ui/FileBrowser.h"

#include "resources/resource.h"

namespace pelmora {

namespace {

void VisitStored(const CStateStorage& storage, const std::wstring& prefix,
                 const std::function<void(const std::wstring&, CStateItem&)>& visit) {
    for (const auto& [name, item] : storage.Items()) {
        const std::wstring key = prefix + L"\\" + std::wstring(name);
        visit(key, *item);
        VisitStored(item->Children(), key, visit);
    }
}

}  // namespace

void CFileBrowser::ForEachStoredItem(const StoredVisitor& visit) const { VisitStored(stateStore_, L"", visit); }

void CFileBrowser::UncheckUnlistedScripts() {
    const UINT unchecked = ui::StateImageBits(MarkIndex(IDI_CHECK_UNCHECKED));
    ForEachStoredItem([&](const std::wstring&, CStateItem& item) {
        if (static_cast<int>(item.Value() >> 12) == MarkIndex(IDI_CHECK_CHECKED)) {
            item.SetValue((item.Value() & ~static_cast<UINT>(TVIS_STATEIMAGEMASK)) | unchecked);
        }
    });
}

bool CFileBrowser::IsMarkedIndex(int index) const {
    return index == MarkIndex(IDI_CHECK_CHECKED) || index == MarkIndex(IDI_CHECK_FOLDER_MARKED);
}

void CFileBrowser::RecordMark(HTREEITEM item, int index) { recordedMarks_[item] = index; }

bool CFileBrowser::IsStateChecked(UINT state) const { return IsMarkedIndex(static_cast<int>(state >> 12)); }

bool CFileBrowser::IsItemChecked(HTREEITEM item) const {
    return item && tree_ && IsStateChecked(tree_.GetItemState(item, TVIS_STATEIMAGEMASK));
}

bool CFileBrowser::IsScriptItem(HTREEITEM item) const {
    return item && tree_ && imageLists_->ResourceOf(IMAGE_LIST_NORMAL, tree_.GetItemImage(item)) == IDI_SCRIPT;
}

bool CFileBrowser::IsScriptChecked(const std::wstring& key) const {
    return IsMarkedIndex(static_cast<int>(stateStore_.GetValue(key) >> 12));
}

CFileBrowser::ItemSet CFileBrowser::GetCheckedFiles() const {
    ItemSet files;
    for (HTREEITEM item : markedItems_) {
        if (IsScriptItem(item)) files.insert(item);
    }
    return files;
}

void CFileBrowser::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    SetItemState(item, state, mask, GetItemKey(item));
}

void CFileBrowser::SetItemState(HTREEITEM item, UINT state, UINT mask, const std::wstring& key) {
    const int mark = static_cast<int>(state >> 12);
    if (IsMarkedIndex(mark)) {
        markedItems_.insert(item);
    } else {
        markedItems_.erase(item);
    }
    stateStore_.SetValue(key, state);
    tree_.SetItemState(item, state, mask);
    if (mask & TVIS_STATEIMAGEMASK) RecordMark(item, mark);
}

void CFileBrowser::SetItemMark(HTREEITEM item, int markIcon) {
    SetItemState(item, ui::StateImageBits(MarkIndex(markIcon)), TVIS_STATEIMAGEMASK);
}

void CFileBrowser::UpdateItemCheck(HTREEITEM item, UINT state) {
    if (IsScriptItem(item)) {
        SetItemState(item, state, TVIS_STATEIMAGEMASK);
        return;
    }
    const bool anyMarkedScript = ForEachItem(tree_.GetNextItem(item, TVGN_CHILD), [this](HTREEITEM below) {
        return IsScriptItem(below) && IsItemChecked(below);
    });
    SetItemMark(item, anyMarkedScript ? IDI_CHECK_FOLDER_MARKED : IDI_CHECK_FOLDER_CLEAR);
}

void CFileBrowser::RecomputeFolderMarks() {
    ForEachItem(tree_.GetRootItem(), [this](HTREEITEM item) {
        if (!IsScriptItem(item)) UpdateItemCheck(item, 0);
        return false;
    });
}

int CFileBrowser::CompleteCheckAdvance(HTREEITEM item) {
    if (!item || !tree_) return 0;
    const int reported = ui::StateImageIndexOf(tree_.GetItemState(item, TVIS_STATEIMAGEMASK));
    const auto recorded = recordedMarks_.find(item);
    if (recorded == recordedMarks_.end()) return reported;
    // Index 0 (no check box) is never part of the cycle.
    const int lastMark = ::ImageList_GetImageCount(imageLists_->GetList(IMAGE_LIST_STATE)->Get()) - 1;
    const int advanced = recorded->second >= lastMark ? 1 : recorded->second + 1;
    if (reported != advanced) tree_.SetItemState(item, ui::StateImageBits(advanced), TVIS_STATEIMAGEMASK);
    return advanced;
}

bool CFileBrowser::ChangeCheck(HTREEITEM item, int markIndex, bool exclusive) {
    if (!item || !tree_) return false;
    if (!IsScriptItem(item)) {
        // A folder's mark follows its scripts; a click on it changes nothing.
        const int old = markIndex > 2 ? markIndex - 2 : markIndex;
        const bool marked = old == MarkIndex(IDI_CHECK_FOLDER_CLEAR);
        SetItemMark(item, marked ? IDI_CHECK_FOLDER_MARKED : IDI_CHECK_FOLDER_CLEAR);
        return marked;
    }
    if (exclusive) {
        ForEachItem(tree_.GetRootItem(), [this](HTREEITEM any) {
            SetItemMark(any, IsScriptItem(any) ? IDI_CHECK_UNCHECKED : IDI_CHECK_FOLDER_CLEAR);
            return false;
        });
        // A checked script away for a moment must not come back as a second one.
        UncheckUnlistedScripts();
    }
    const int newMark = markIndex < 3 ? markIndex + 2 : markIndex;
    for (HTREEITEM current = item; current; current = tree_.GetParentItem(current)) {
        UpdateItemCheck(current, ui::StateImageBits(newMark));
    }
    return newMark == MarkIndex(IDI_CHECK_CHECKED);
}

}  // namespace pelmora
