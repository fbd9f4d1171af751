#include "framework/ui/ListBox.h"

namespace pelmora::ui {

namespace {
// LB_ERR and LB_ERRSPACE alike.
int IndexOrNone(LRESULT answer) noexcept { return answer < 0 ? -1 : static_cast<int>(answer); }
}  // namespace

int ListBox::AddString(const std::wstring& text) const noexcept {
    return IndexOrNone(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int ListBox::InsertString(int index, const std::wstring& text) const noexcept {
    return IndexOrNone(Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
}

int ListBox::DeleteString(int index) const noexcept {
    if (index < 0) return -1;
    return IndexOrNone(Send(LB_DELETESTRING, static_cast<WPARAM>(index)));
}

int ListBox::GetCount() const noexcept { return IndexOrNone(Send(LB_GETCOUNT)); }

std::wstring ListBox::GetText(int index) const {
    if (index < 0) return {};
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
    return text;
}

int ListBox::FindStringPrefix(const std::wstring& prefix, int after) const noexcept {
    return IndexOrNone(Send(LB_FINDSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(prefix.c_str())));
}

}  // namespace pelmora::ui
