#pragma once
// Thin helper over an extended combo box (ComboBoxEx32): one method per message,
// nothing kept but the handle. Indexes are zero-based; -1 stands for "none" and for
// every failure.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/ui/Control.h"

namespace pelmora::ui {

class ComboBoxEx : public Control {
public:
    using Control::Control;

    // Inserts an item before index (at the end for -1) with its images and indent
    // (in steps of 10 pixels); its index.
    int InsertItem(int index, const std::wstring& text, int image, int selectedImage, int indent) const noexcept;
    void ResetContent() const noexcept { Send(CB_RESETCONTENT); }
    [[nodiscard]] int GetCount() const noexcept { return static_cast<int>(Send(CB_GETCOUNT)); }
    // Empty when index names no item.
    [[nodiscard]] std::wstring GetItemText(int index) const;
    // -1 when index names no item.
    [[nodiscard]] int GetItemIndent(int index) const noexcept;

    bool SetCurSel(int index) const noexcept { return Send(CB_SETCURSEL, static_cast<WPARAM>(index)) != CB_ERR; }
    [[nodiscard]] int GetCurSel() const noexcept { return static_cast<int>(Send(CB_GETCURSEL)); }

    // The edit box of a drop-down with edit field; none for a drop-down list.
    [[nodiscard]] HWND GetEditControl() const noexcept { return reinterpret_cast<HWND>(Send(CBEM_GETEDITCONTROL)); }
    // The list stays the caller's: keep it while the control shows it.
    HIMAGELIST SetImageList(HIMAGELIST list) const noexcept {
        return reinterpret_cast<HIMAGELIST>(Send(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)));
    }
};

}  // namespace pelmora::ui
