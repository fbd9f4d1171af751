#pragma once
// The model behind one check-box tree of scripts: fills the tree from a folder of
// script files (or, for the Add URL dialog, from URL paths), keeps the marks of scripts
// and folders in step, and keeps every item's state word in a store saved in the
// registry.
//
// Marks are state image indexes: 1 folder-clear, 2 folder-marked, 3 unchecked,
// 4 checked; an item is marked when it is checked or folder-marked. An item key is
// the item's path below the root directory: "\news\daily.WSC" for a script,
// "\news\" for the folder news.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/ui/TreeView.h"
#include "runtime/UrlScriptTree.h"
#include "state/StateStorage.h"
#include "ui/ImageLists.h"

namespace pelmora {

// As a URL-script tree, it answers the browser scriptlet of its main script.
class CFileBrowser : public IUrlScriptTree {
public:
    using UrlPathList = std::vector<std::wstring>;
    using ItemSet = std::set<HTREEITEM>;
    // How OpenItem hands a script to the shell; replaceable so tests launch nothing.
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

    // stateValueName names the registry value the marks are saved in; an empty name
    // keeps them in memory only.
    explicit CFileBrowser(const std::wstring& stateValueName);
    ~CFileBrowser() override;
    CFileBrowser(const CFileBrowser&) = delete;
    CFileBrowser& operator=(const CFileBrowser&) = delete;

    // Binds the tree, reads the saved marks unless the model holds them already (see
    // ClearTree) and appends every sub-folder and script file below directory. 0 when
    // something was listed, 1 when nothing was, otherwise the HRESULT of the failed
    // search. The tree is not emptied first: ClearTree or Clear it.
    HRESULT Load(HWND tree, const std::wstring& directory);
    // ClearTree, then Load the same tree and directory again: the marks held in memory
    // stay, nothing is read from or written to the registry.
    HRESULT Reload();
    // Empties the tree, the marked items and the in-memory marks; the registry keeps
    // what was saved.
    void Clear();
    // Empties the tree but keeps its items' state words in memory, so that the browser
    // scriptlet still reads the marks and a later Load shows them again.
    void ClearTree();
    // Reads the saved marks into memory unless held already, and takes directory as the
    // model's folder, without filling a tree: what a running main script's URL scripts
    // need while another script is shown.
    void HoldMarks(const std::wstring& directory);
    // Takes every shown item's state word (without the selected bit) into memory. The
    // checked scripts not shown now (moved away for a moment, or in a folder that could
    // not be listed) keep their marks; what else is not shown is forgotten.
    void CaptureState();
    // CaptureState, then writes the marks held to the registry; a failed write is one
    // error record. A model that holds no marks (cleared, or never loaded) writes nothing.
    void SaveState();

    // The mark index after one click or Space on the item's check box, as the platform
    // control advances it on Windows: 1, 2, 3, 4, then 1 again. Controls that moved the
    // item otherwise (Wine's only toggles 1 and 2) are set to that index. Call it once
    // per click or key press, before ChangeCheck.
    int CompleteCheckAdvance(HTREEITEM item);
    // Applies the index the item's check box was advanced to: a script toggles between
    // unchecked and checked (with exclusive, every other mark is cleared first) and the
    // folders above it follow; a folder keeps its mark. True when the script is now
    // checked or the folder marked.
    bool ChangeCheck(HTREEITEM item, int markIndex, bool exclusive);

    [[nodiscard]] bool IsItemChecked(HTREEITEM item) const;
    [[nodiscard]] bool IsStateChecked(UINT state) const;
    [[nodiscard]] bool IsScriptItem(HTREEITEM item) const;
    // Whether the in-memory state word at key is marked; false for a key never stored.
    [[nodiscard]] bool IsScriptChecked(const std::wstring& key) const override;
    [[nodiscard]] bool HasCheckedItems() const { return !markedItems_.empty(); }
    // The marked script items, in handle order.
    [[nodiscard]] ItemSet GetCheckedFiles() const;

    // "\a\b" for the folders above a script, and for a folder including itself.
    [[nodiscard]] std::wstring GetItemFolder(HTREEITEM item) const;
    // The script's name; empty for a folder.
    [[nodiscard]] std::wstring GetItemFileName(HTREEITEM item) const;
    // GetItemFolder + "\" + GetItemFileName.
    [[nodiscard]] std::wstring GetItemKey(HTREEITEM item) const;
    [[nodiscard]] std::wstring GetItemDirectory(HTREEITEM item) const { return directory_ + GetItemFolder(item); }
    [[nodiscard]] const std::wstring& GetDirectory() const noexcept override { return directory_; }
    [[nodiscard]] HWND GetTree() const noexcept { return tree_.Handle(); }
    // Whether the last Load filled the tree, and no Clear came after it.
    [[nodiscard]] bool IsFilled() const noexcept { return filled_; }
    // What the last Load found below its directory, every file included, in the form of
    // win::ListFolderTree; null unless that Load listed the directory and the listing
    // is the one ListFolderTree would give (not deeper than it looks).
    [[nodiscard]] const std::vector<std::wstring>* GetFolderListing() const noexcept {
        return filled_ && listingWhole_ ? &listing_ : nullptr;
    }
    // Names the items the tree shows now: a new tag whenever the tree is emptied, so that
    // a message posted about an item can tell whether that item is still the same one
    // (a deleted item's handle may come back for another item).
    [[nodiscard]] WORD FillTag() const noexcept { return fillTag_; }
    // Whether item is one the tree showed under tag and still shows.
    [[nodiscard]] bool ShowsItem(HTREEITEM item, WORD tag) const {
        return item && tag == fillTag_ && recordedMarks_.count(item) != 0;
    }
    // Binds the model to a tree without filling it, so that Clear empties that tree.
    void SetTree(HWND tree) noexcept { tree_ = ui::TreeView(tree); }

    // The deepest item matched along path ("news\daily.WSC") below start (the root
    // level for none); none when not even the first name matches.
    [[nodiscard]] HTREEITEM FindItemByPath(HTREEITEM start, const std::wstring& path) const;
    // Opens a script in the user's editor; a folder opens nothing.
    void OpenItem(HTREEITEM item) const;
    void SetShellExecute(ShellExecuteFunction shellExecute) noexcept { shellExecute_ = shellExecute; }

    // Fills the tree from URL paths ("host/news/index.html"), every path checked. The
    // list is shared, not copied. No saved state is read.
    void LoadUrls(HWND tree, std::shared_ptr<UrlPathList> paths);

    // Makes directory the model's root and, in tree order, creates the folder of every
    // marked item and a URL script for every checked script item (HTMLWindowEvents,
    // property "window"). Items whose names Windows would refuse or that would leave
    // the folder are skipped with an error record; an existing script is kept, with a
    // warning record naming it.
    void CreateCheckedScripts(const std::wstring& directory);

private:
    using Visitor = std::function<bool(HTREEITEM)>;

    // folderKey is the key of the folder item parent without its closing backslash
    // (empty at the root): the listing knows every item's key without reading the tree.
    HRESULT EnumDirectory(HTREEITEM parent, const std::wstring& directory, const std::wstring& pattern,
                          const std::wstring& folderKey);
    bool AddFoundEntry(HTREEITEM parent, const std::wstring& directory, const std::wstring& folderKey,
                       const WIN32_FIND_DATAW& entry);
    HTREEITEM InsertItem(HTREEITEM parent, int imageIcon, int markIcon, const std::wstring& text);
    void RestoreItemState(HTREEITEM item, const std::wstring& key);
    void SetItemState(HTREEITEM item, UINT state, UINT mask);
    // The same for an item whose key (GetItemKey) the caller knows already.
    void SetItemState(HTREEITEM item, UINT state, UINT mask, const std::wstring& key);
    void SetItemMark(HTREEITEM item, int markIcon);
    void UpdateItemCheck(HTREEITEM item, UINT state);
    void RecomputeFolderMarks();
    // Unchecks the marks held for scripts the tree does not show: another script was
    // checked exclusively.
    void UncheckUnlistedScripts();
    // Calls visit with the key and item of every state word held in memory.
    using StoredVisitor = std::function<void(const std::wstring&, CStateItem&)>;
    void ForEachStoredItem(const StoredVisitor& visit) const;
    [[nodiscard]] HTREEITEM FindChildItem(HTREEITEM parent, const std::wstring& name) const;
    bool ForEachItem(HTREEITEM first, const Visitor& visitor) const;
    void ApplyImageLists();
    void AddUrlPath(HTREEITEM parent, const std::wstring& path);

    [[nodiscard]] int MarkIndex(int markIcon) const { return imageLists_->IndexOf(IMAGE_LIST_STATE, markIcon); }
    [[nodiscard]] bool IsMarkedIndex(int index) const;
    void RecordMark(HTREEITEM item, int index);

    // Shared by the models of a thread (see TreeImageLists in FileBrowser.cpp).
    std::shared_ptr<const CImageLists> imageLists_;
    ui::TreeView tree_;
    ItemSet markedItems_;
    CRootStorage stateStore_;
    std::wstring directory_;
    std::shared_ptr<UrlPathList> urlPaths_;
    // The mark this model last gave each item, to tell how far the control advanced it.
    std::map<HTREEITEM, int> recordedMarks_;
    // The tree shows what was loaded from the folder and the saved marks.
    bool filled_ = false;
    // stateStore_ holds the saved marks (read once, kept through ClearTree).
    bool marksHeld_ = false;
    WORD fillTag_ = 0;
    std::vector<std::wstring> listing_;
    bool listingWhole_ = false;
    ShellExecuteFunction shellExecute_ = ::ShellExecuteW;
};

}  // namespace pelmora
