#pragma once
// Thin helper over a list-view control: one method per message, nothing kept but the
// handle. Indexes are zero-based; -1 stands for "none" and for every failure.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/ui/Control.h"

namespace pelmora::ui {

class ListView : public Control {
public:
    using Control::Control;

    // Appends an item with that text and image index; its index.
    int AppendItem(const std::wstring& text, int image) const noexcept;
    bool DeleteAllItems() const noexcept { return Send(LVM_DELETEALLITEMS) != FALSE; }
    [[nodiscard]] int GetItemCount() const noexcept { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    // Empty when index names no item.
    [[nodiscard]] std::wstring GetItemText(int index) const;
    // -1 when index names no item.
    [[nodiscard]] int GetItemImage(int index) const noexcept;

    // The item at a point in client coordinates, or -1.
    [[nodiscard]] int HitTest(POINT point) const noexcept;
    // Starts editing the item's label (the control must have the focus); the edit box.
    HWND EditLabel(int index) const noexcept;
    [[nodiscard]] HWND GetEditControl() const noexcept { return reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL)); }

    // kind: LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; the list set before. A control
    // without LVS_SHAREIMAGELISTS destroys the lists it holds when it goes: a caller
    // that keeps owning the list sets none again before that.
    HIMAGELIST SetImageList(HIMAGELIST list, int kind) const noexcept;
    [[nodiscard]] HIMAGELIST GetImageList(int kind) const noexcept {
        return reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, static_cast<WPARAM>(kind)));
    }
};

}  // namespace pelmora::ui
