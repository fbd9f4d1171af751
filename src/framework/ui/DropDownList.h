#pragma once
// Thin helper over a combo box with a drop-down list: nothing kept but the handle.
#include <commctrl.h>

#include <string>

#include "framework/ui/Control.h"

namespace pelmora::ui {

class DropDownList : public Control {
public:
    using Control::Control;

    // The entry's index (the list may sort it in), or -1 when it could not be added.
    int AddString(const std::wstring& text) const noexcept {
        const LRESULT index = Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return index >= 0 ? static_cast<int>(index) : -1;
    }
    void ResetContent() const noexcept { Send(CB_RESETCONTENT); }
    [[nodiscard]] int GetCount() const noexcept { return static_cast<int>(Send(CB_GETCOUNT)); }
    // The index of the entry that equals text (ignoring case), or -1.
    [[nodiscard]] int FindStringExact(const std::wstring& text) const noexcept {
        const LRESULT index = Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        return index >= 0 ? static_cast<int>(index) : -1;
    }
    // Selects without notifying the parent, as the message does.
    bool SetCurSel(int index) const noexcept { return Send(CB_SETCURSEL, static_cast<WPARAM>(index)) != CB_ERR; }
    [[nodiscard]] int GetCurSel() const noexcept { return static_cast<int>(Send(CB_GETCURSEL)); }
    // The text of entry index; empty for none.
    [[nodiscard]] std::wstring GetEntryText(int index) const {
        const LRESULT length = index >= 0 ? Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)) : CB_ERR;
        if (length <= 0) return {};
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT copied = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return text;
    }
};

}  // namespace pelmora::ui
