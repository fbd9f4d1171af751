#include "framework/ui/ComboBoxEx.h"

namespace pelmora::ui {

int ComboBoxEx::InsertItem(int index, const std::wstring& text, int image, int selectedImage,
                           int indent) const noexcept {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = selectedImage;
    item.iIndent = indent;
    return static_cast<int>(Send(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::wstring ComboBoxEx::GetItemText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    std::wstring text(MAX_PATH + 1, L'\0');
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    if (!Send(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    // The control may answer with a pointer of its own instead of filling the buffer.
    const wchar_t* answer = item.pszText ? item.pszText : L"";
    return std::wstring(answer);
}

int ComboBoxEx::GetItemIndent(int index) const noexcept {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_INDENT;
    item.iItem = index;
    return Send(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iIndent : -1;
}

}  // namespace pelmora::ui
