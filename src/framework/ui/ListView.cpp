#include "framework/ui/ListView.h"

namespace pelmora::ui {

int ListView::AppendItem(const std::wstring& text, int image) const noexcept {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = GetItemCount();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::wstring ListView::GetItemText(int index) const {
    if (index < 0 || index >= GetItemCount()) return {};
    // The control copies at most the buffer's size and says how much it copied: grow
    // until the text fits with room to spare.
    for (size_t size = 128;; size *= 2) {
        std::wstring text(size, L'\0');
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const auto copied = static_cast<size_t>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(&item)));
        if (copied + 1 < size || size >= 32768) {
            text.resize(copied < size ? copied : size - 1);
            return text;
        }
    }
}

int ListView::GetItemImage(int index) const noexcept {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

int ListView::HitTest(POINT point) const noexcept {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const auto index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & LVHT_ONITEM) ? index : -1;
}

HWND ListView::EditLabel(int index) const noexcept {
    return reinterpret_cast<HWND>(Send(LVM_EDITLABELW, static_cast<WPARAM>(index)));
}

HIMAGELIST ListView::SetImageList(HIMAGELIST list, int kind) const noexcept {
    return reinterpret_cast<HIMAGELIST>(Send(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
}

}  // namespace pelmora::ui
