#pragma once
// Thin helper over a list box: one method per message, nothing kept but the handle.
// Indexes are zero-based; -1 stands for "none" and for every failure.
#include "framework/ui/Control.h"

#include <string>

namespace pelmora::ui {

class ListBox : public Control {
public:
    using Control::Control;

    // Adds an entry (at the end of an unsorted list); its index.
    int AddString(const std::wstring& text) const noexcept;
    // Inserts an entry before index (at the end for -1); its index.
    int InsertString(int index, const std::wstring& text) const noexcept;
    // The number of entries left, or -1 when index names none.
    int DeleteString(int index) const noexcept;
    void ResetContent() const noexcept { Send(LB_RESETCONTENT); }

    [[nodiscard]] int GetCount() const noexcept;
    // Empty when index names no entry.
    [[nodiscard]] std::wstring GetText(int index) const;
    // The first entry after index after (from the top for -1, wrapping round) that
    // begins with prefix, compared without regard to case.
    [[nodiscard]] int FindStringPrefix(const std::wstring& prefix, int after = -1) const noexcept;

    // The width in pixels the horizontal scroll bar scrolls over.
    void SetHorizontalExtent(int pixels) const noexcept { Send(LB_SETHORIZONTALEXTENT, pixels); }
    [[nodiscard]] int GetHorizontalExtent() const noexcept { return static_cast<int>(Send(LB_GETHORIZONTALEXTENT)); }
    // Scrolls so that index is the first visible entry.
    bool SetTopIndex(int index) const noexcept { return Send(LB_SETTOPINDEX, index) != LB_ERR; }
    [[nodiscard]] int GetTopIndex() const noexcept { return static_cast<int>(Send(LB_GETTOPINDEX)); }
};

}  // namespace pelmora::ui
