#pragma once
// Thin helpers over a tree-view control: one method per message, nothing kept but the
// control's handle, which the caller owns.
#include <windows.h>
#include <commctrl.h>

#include "framework/ui/Control.h"

#include <string>

namespace pelmora::ui {

// The state image index held in bits 12 to 15 of an item's state word.
[[nodiscard]] constexpr int StateImageIndexOf(UINT state) noexcept {
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}
[[nodiscard]] constexpr UINT StateImageBits(int index) noexcept {
    return (static_cast<UINT>(index) << 12) & TVIS_STATEIMAGEMASK;
}

class TreeView : public Control {
public:
    using Control::Control;

    // Appends a child of parent (a root-level item for none) after its last child.
    HTREEITEM AppendItem(HTREEITEM parent, const std::wstring& text, int image, UINT state,
                         UINT stateMask) const noexcept;
    bool DeleteItem(HTREEITEM item) const noexcept;
    bool DeleteAllItems() const noexcept { return DeleteItem(TVI_ROOT); }

    // The state bits of item under mask; 0 when the item is unknown.
    [[nodiscard]] UINT GetItemState(HTREEITEM item, UINT mask) const noexcept;
    bool SetItemState(HTREEITEM item, UINT state, UINT mask) const noexcept;
    // The item's normal image index; -1 when the item is unknown.
    [[nodiscard]] int GetItemImage(HTREEITEM item) const noexcept;
    [[nodiscard]] std::wstring GetItemText(HTREEITEM item) const;

    [[nodiscard]] HTREEITEM GetNextItem(HTREEITEM item, UINT relation) const noexcept;
    [[nodiscard]] HTREEITEM GetRootItem() const noexcept { return GetNextItem(nullptr, TVGN_ROOT); }
    // The first child of item; of the root level for none.
    [[nodiscard]] HTREEITEM GetChildItem(HTREEITEM item) const noexcept {
        return item ? GetNextItem(item, TVGN_CHILD) : GetRootItem();
    }
    [[nodiscard]] HTREEITEM GetNextSiblingItem(HTREEITEM item) const noexcept {
        return GetNextItem(item, TVGN_NEXT);
    }
    [[nodiscard]] HTREEITEM GetParentItem(HTREEITEM item) const noexcept { return GetNextItem(item, TVGN_PARENT); }
    [[nodiscard]] HTREEITEM GetSelectedItem() const noexcept { return GetNextItem(nullptr, TVGN_CARET); }
    [[nodiscard]] UINT GetCount() const noexcept;

    bool SelectItem(HTREEITEM item) const noexcept;
    bool Expand(HTREEITEM item, UINT action) const noexcept;
    // Returns the list set before, except the check-box state list a tree with
    // TVS_CHECKBOXES made itself: the first TVSIL_STATE call on the tree destroys that
    // one and returns none.
    HIMAGELIST SetImageList(HIMAGELIST list, int kind) const noexcept;
    [[nodiscard]] HIMAGELIST GetImageList(int kind) const noexcept;

    // The item at a point in client coordinates and where on it the point lies.
    [[nodiscard]] HTREEITEM HitTest(POINT point, UINT& flags) const noexcept;
    // The item's rectangle in client coordinates; the text's only when textOnly.
    bool GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const noexcept;
};

// Keeps a tree from redrawing and recomputing its scroll bars while many items go in;
// at the end it lays the tree out once and repaints it. Filling a thousand items this
// way takes a fraction of the time it takes item by item.
class ScopedRedrawOff {
public:
    explicit ScopedRedrawOff(HWND tree) noexcept : tree_(tree) {
        if (tree_) ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    }
    ~ScopedRedrawOff() {
        if (!tree_) return;
        ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(tree_, nullptr, TRUE);
    }
    ScopedRedrawOff(const ScopedRedrawOff&) = delete;
    ScopedRedrawOff& operator=(const ScopedRedrawOff&) = delete;

private:
    HWND tree_;
};

}  // namespace pelmora::ui
