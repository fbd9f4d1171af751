#include "bandhost/TreeItems.h"

#include <cwchar>
#include <vector>

namespace pelmora::bandhost {

namespace {

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[520] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 520;
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return {};
    return text;
}

std::vector<std::wstring> Segments(const std::wstring& path) {
    std::vector<std::wstring> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

}  // namespace

HTREEITEM FindTreeItem(HWND tree, const std::wstring& path) {
    HTREEITEM parent = nullptr;
    for (const std::wstring& segment : Segments(path)) {
        if (parent) ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        HTREEITEM child = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
        while (child && _wcsicmp(ItemText(tree, child).c_str(), segment.c_str()) != 0)
            child = TreeView_GetNextSibling(tree, child);
        if (!child) return nullptr;
        parent = child;
    }
    return parent;
}

std::wstring SelectedTreePath(HWND tree) {
    std::wstring path;
    for (HTREEITEM item = TreeView_GetSelection(tree); item; item = TreeView_GetParent(tree, item)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = MAX_PATH;
        if (!TreeView_GetItem(tree, &data)) return std::wstring();
        path = L"\\" + std::wstring(text) + path;
    }
    return path;
}

int TreeItemMark(HWND tree, HTREEITEM item) {
    const UINT state = static_cast<UINT>(::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                                        TVIS_STATEIMAGEMASK));
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

bool FindStateIcon(HWND tree, HTREEITEM item, POINT& point) {
    TreeView_EnsureVisible(tree, item);
    RECT text{};
    if (!TreeView_GetItemRect(tree, item, &text, TRUE)) return false;
    const LONG y = (text.top + text.bottom) / 2;
    // The state icon sits left of the item's icon, which sits left of its text: walk
    // left from the text and take the middle of the run that hits the state icon.
    LONG right = -1;
    LONG left = -1;
    for (LONG x = text.left - 1; x >= 0; --x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        const HTREEITEM found = TreeView_HitTest(tree, &hit);
        const bool onIcon = found == item && (hit.flags & TVHT_ONITEMSTATEICON);
        if (onIcon) {
            if (right < 0) right = x;
            left = x;
        } else if (right >= 0) {
            break;
        }
    }
    if (right < 0) return false;
    point = POINT{(left + right) / 2, y};
    return true;
}

bool MovePointer(HWND window, POINT point, const std::function<void()>& pump) {
    POINT screen = point;
    if (!::ClientToScreen(window, &screen) || !::SetCursorPos(screen.x, screen.y)) return false;
    for (int tries = 0; tries < 100; ++tries) {
        POINT now{};
        if (::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y) return true;
        pump();
        ::Sleep(10);
    }
    return false;
}

}  // namespace pelmora::bandhost
