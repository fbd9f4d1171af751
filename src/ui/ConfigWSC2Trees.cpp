// The form's two script trees: check-box clicks, Space and double-clicks, which the
// form posts to itself and handles once the tree is done with them, and selections,
// which only change what the lower tree shows.
#include "ui/ConfigWSC2.h"

#include "framework/ui/TreeView.h"

namespace pelmora {

namespace {

constexpr size_t kCaptionKeyLimit = 40;

// "for \"key\"", the key cut to its last characters when it is long.
std::wstring UrlTreeCaption(const std::wstring& key) {
    const std::wstring shown =
        key.size() < kCaptionKeyLimit ? key : L"..." + key.substr(key.size() - kCaptionKeyLimit);
    return L"for \"" + shown + L"\"";
}

// The item of the notifying tree under the pointer of the message that made the
// notification, with the part of it hit.
HTREEITEM ItemUnderPointer(const NMHDR& header, UINT& flags) {
    const DWORD position = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ScreenToClient(header.hwndFrom, &point);
    flags = 0;
    return ui::TreeView(header.hwndFrom).HitTest(point, flags);
}

}  // namespace

void CConfigWSC2::OnTreeClick(const NMHDR& header) {
    UINT flags = 0;
    const HTREEITEM item = ItemUnderPointer(header, flags);
    if (item && (flags & TVHT_ONITEMSTATEICON)) PostItemMessage(WM_CHECK_CHANGED, header.idFrom, item);
}

void CConfigWSC2::OnTreeDblClk(const NMHDR& header) {
    UINT flags = 0;
    const HTREEITEM item = ItemUnderPointer(header, flags);
    if (item && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)))
        PostItemMessage(WM_OPEN_ITEM, header.idFrom, item);
}

CFileBrowser* CConfigWSC2::ModelOfTree(int treeId) {
    if (treeId == IDC_TREE_IE_WSC) return &store_.GetMainTree();
    if (treeId == IDC_TREE_URL_WSC) return store_.GetCurrentUrlTree().get();
    return nullptr;
}

void CConfigWSC2::PostItemMessage(UINT message, UINT_PTR treeId, HTREEITEM item) {
    const CFileBrowser* model = ModelOfTree(static_cast<int>(treeId));
    if (!item || !model) return;
    ::PostMessageW(Handle(), message, MAKEWPARAM(static_cast<WORD>(treeId), model->FillTag()),
                   reinterpret_cast<LPARAM>(item));
}

void CConfigWSC2::OnTreeKeyDown(const NMTVKEYDOWN& key) {
    if (key.wVKey != VK_SPACE) return;
    PostItemMessage(WM_CHECK_CHANGED, key.hdr.idFrom, ui::TreeView(key.hdr.hwndFrom).GetSelectedItem());
}

void CConfigWSC2::OnCheckChanged(int treeId, WORD fillTag, HTREEITEM item) {
    // The tree may have been refilled since the click (the watch, a command, a script's
    // modal loop): an item deleted meanwhile, or its handle now another item's, is no
    // click of the user's.
    const CFileBrowser* clicked = ModelOfTree(treeId);
    if (!clicked || !clicked->ShowsItem(item, fillTag)) return;
    if (treeId == IDC_TREE_URL_WSC) {
        const auto urlTree = store_.GetCurrentUrlTree();
        if (!urlTree) return;
        const int markIndex = urlTree->CompleteCheckAdvance(item);
        (void)store_.SetCheck(IDC_TREE_URL_WSC, item, markIndex, false);
        EnableControl(IDC_BUTTON_DEL_URL_WSC, !IsSelectedUrlScriptMarked());
        return;
    }
    if (treeId != IDC_TREE_IE_WSC) return;
    CFileBrowser& model = store_.GetMainTree();
    const int markIndex = model.CompleteCheckAdvance(item);
    if (!model.IsScriptItem(item)) {
        // A folder's mark follows its scripts: the click is undone, and neither the
        // selection nor what runs changes.
        (void)store_.SetCheck(IDC_TREE_IE_WSC, item, markIndex, true);
        return;
    }
    const std::wstring before = store_.GetCheckedMainScriptKey();
    const bool attach = store_.SetCheck(IDC_TREE_IE_WSC, item, markIndex, true);
    // The checked script is shown with its URL scripts, which are the ones it runs with.
    const ui::TreeView mainTree = MainTree();
    if (attach && mainTree.GetSelectedItem() != item) (void)mainTree.SelectItem(item);
    // A click that changed no mark leaves the running script as it is.
    if (store_.GetCheckedMainScriptKey() != before) AttachChecked(attach);
    // Delete follows the new mark; the pages New URL scripts offers were the detached
    // script's and go with it.
    UpdateControls();
}

void CConfigWSC2::OnMainTreeSelChanged(const NMTREEVIEWW& change) {
    // Emptying the tree reports selections without a new item; the emptying or the
    // rebuild that follows replaces whatever they would change.
    const HTREEITEM item = change.itemNew.hItem;
    if (!item) return;
    if (!change.itemOld.hItem && hidden_) return;
    UpdateControls();
    CFileBrowser& mainTree = store_.GetMainTree();
    const std::wstring key = mainTree.GetItemKey(item);
    // Browsing only changes what the lower tree shows: every model keeps its marks, and
    // the running script keeps reading those of its own URL scripts. The user's marks of
    // the tree being left are saved, unless the watch is refilling the trees.
    if (!watchRebuilding_) {
        if (const auto& urlTree = store_.GetCurrentUrlTree()) urlTree->SaveState();
    }
    if (mainTree.IsScriptItem(item)) {
        store_.SelectMainScript(key);
    } else {
        EnableControl(IDC_BUTTON_NEW_URL_WSC, false);
        ResetNewUrlScriptsText();
        store_.ForgetCurrentUrlTree();
    }
    EnableControl(IDC_BUTTON_DEL_URL_WSC, false);
    ::SetDlgItemTextW(Handle(), IDC_STATIC_URL_WSC_OWNER, UrlTreeCaption(key).c_str());
}

void CConfigWSC2::OnUrlTreeSelChanged(const NMTREEVIEWW& change) {
    const auto& urlTree = store_.GetCurrentUrlTree();
    const bool marked = urlTree && urlTree->IsStateChecked(change.itemNew.state);
    EnableControl(IDC_BUTTON_DEL_URL_WSC, !marked);
}

}  // namespace pelmora
