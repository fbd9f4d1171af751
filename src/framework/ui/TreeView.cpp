#include "framework/ui/TreeView.h"

#include <cstring>
#include <vector>

namespace pelmora::ui {

namespace {
// Longest item text read back; a tree view shows no more than this anyway.
constexpr int kMaxItemText = 1024;

// The name of the mark set on a tree once the check-box state list it made itself has
// been destroyed. A property named by a string would add a reference to its global
// atom for every tree, which nothing takes away again; this atom is added once for
// the process and deleted with it.
class CheckBoxListReleasedMark {
public:
    CheckBoxListReleasedMark() noexcept : atom_(::GlobalAddAtomW(L"Pelmora.CheckBoxListReleased")) {}
    ~CheckBoxListReleasedMark() {
        if (atom_) ::GlobalDeleteAtom(atom_);
    }
    CheckBoxListReleasedMark(const CheckBoxListReleasedMark&) = delete;
    CheckBoxListReleasedMark& operator=(const CheckBoxListReleasedMark&) = delete;
    [[nodiscard]] const wchar_t* Name() const noexcept {
        return atom_ ? reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(atom_)) : nullptr;
    }

private:
    ATOM atom_;
};

const wchar_t* CheckBoxListReleased() noexcept {
    static const CheckBoxListReleasedMark mark;
    return mark.Name();
}

}  // namespace

HTREEITEM TreeView::AppendItem(HTREEITEM parent, const std::wstring& text, int image, UINT state,
                               UINT stateMask) const noexcept {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    return reinterpret_cast<HTREEITEM>(
        Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool TreeView::DeleteItem(HTREEITEM item) const noexcept {
    return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
}

UINT TreeView::GetItemState(HTREEITEM item, UINT mask) const noexcept {
    if (!item) return 0;
    return static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask)) & mask;
}

bool TreeView::SetItemState(HTREEITEM item, UINT state, UINT mask) const noexcept {
    TVITEMW change{};
    change.mask = TVIF_STATE;
    change.hItem = item;
    change.state = state;
    change.stateMask = mask;
    return Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change)) != FALSE;
}

int TreeView::GetItemImage(HTREEITEM item) const noexcept {
    TVITEMW query{};
    query.mask = TVIF_IMAGE;
    query.hItem = item;
    if (!item || !Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return -1;
    return query.iImage;
}

std::wstring TreeView::GetItemText(HTREEITEM item) const {
    std::vector<wchar_t> buffer(kMaxItemText + 1, L'\0');
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer.data();
    query.cchTextMax = kMaxItemText;
    if (!item || !Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return {};
    // The control may answer with its own buffer instead of filling ours.
    return std::wstring(query.pszText ? query.pszText : L"");
}

HTREEITEM TreeView::GetNextItem(HTREEITEM item, UINT relation) const noexcept {
    return reinterpret_cast<HTREEITEM>(
        Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

UINT TreeView::GetCount() const noexcept {
    return static_cast<UINT>(Send(TVM_GETCOUNT, 0, 0));
}

bool TreeView::SelectItem(HTREEITEM item) const noexcept {
    return Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != FALSE;
}

bool TreeView::Expand(HTREEITEM item, UINT action) const noexcept {
    return Send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)) != FALSE;
}

HIMAGELIST TreeView::SetImageList(HIMAGELIST list, int kind) const noexcept {
    const auto previous = reinterpret_cast<HIMAGELIST>(
        Send(TVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
    // A tree with check boxes makes its own state list (at once or when first drawn,
    // and only while it has none), which nobody holds and the tree does not destroy.
    // Only the first state list set can replace that one; the mark on the window keeps
    // the lists of later calls, which belong to their callers. Should the window refuse
    // the mark, this call destroys nothing.
    if (kind != TVSIL_STATE || !(::GetWindowLongPtrW(Handle(), GWL_STYLE) & TVS_CHECKBOXES)) return previous;
    const wchar_t* const mark = CheckBoxListReleased();
    if (!mark || ::GetPropW(Handle(), mark) || !::SetPropW(Handle(), mark, reinterpret_cast<HANDLE>(1)) || !previous) {
        return previous;
    }
    ::ImageList_Destroy(previous);
    return nullptr;
}

HIMAGELIST TreeView::GetImageList(int kind) const noexcept {
    return reinterpret_cast<HIMAGELIST>(Send(TVM_GETIMAGELIST, static_cast<WPARAM>(kind), 0));
}

HTREEITEM TreeView::HitTest(POINT point, UINT& flags) const noexcept {
    TVHITTESTINFO info{};
    info.pt = point;
    const auto item =
        reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    flags = info.flags;
    return item;
}

bool TreeView::GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const noexcept {
    // The message takes the item in the rectangle it fills.
    RECT query{};
    static_assert(sizeof(query) >= sizeof(item));
    std::memcpy(&query, &item, sizeof(item));
    if (!Send(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&query))) {
        return false;
    }
    rect = query;
    return true;
}

}  // namespace pelmora::ui
