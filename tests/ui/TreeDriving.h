#pragma once
// Reading and clicking a tree view the way a user sees it, from any thread of the
// process: the tests that answer a modal dialog do it from a second thread while the
// UI thread runs the dialog's modal loop.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

namespace pelmora::test {

inline std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    wchar_t text[260] = {};
    TVITEMW read{};
    read.mask = TVIF_TEXT | TVIF_HANDLE;
    read.hItem = item;
    read.pszText = text;
    read.cchTextMax = 260;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
    return text;
}

inline int TreeItemMarkIndex(HWND tree, HTREEITEM item) {
    const auto state = static_cast<UINT>(::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                                        TVIS_STATEIMAGEMASK));
    return static_cast<int>(state >> 12);
}

inline HTREEITEM TreeNext(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The whole tree as "text:mark", children in brackets after their parent, siblings
// separated by blanks: "h:2[news:2[index.html:4]] g:4".
inline std::wstring TreeOutline(HWND tree, HTREEITEM first = nullptr) {
    std::wstring outline;
    for (HTREEITEM item = first ? first : TreeNext(tree, nullptr, TVGN_ROOT); item;
         item = TreeNext(tree, item, TVGN_NEXT)) {
        if (!outline.empty()) outline += L" ";
        outline += TreeItemText(tree, item) + L":" + std::to_wstring(TreeItemMarkIndex(tree, item));
        if (const HTREEITEM child = TreeNext(tree, item, TVGN_CHILD)) outline += L"[" + TreeOutline(tree, child) + L"]";
    }
    return outline;
}

// The item at path, item texts joined by separator from the top; none when missing.
inline HTREEITEM FindTreePath(HWND tree, const std::wstring& path, wchar_t separator) {
    HTREEITEM parent = nullptr;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(separator, start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        HTREEITEM item = parent ? TreeNext(tree, parent, TVGN_CHILD) : TreeNext(tree, nullptr, TVGN_ROOT);
        while (item && TreeItemText(tree, item) != name) item = TreeNext(tree, item, TVGN_NEXT);
        if (!item) return nullptr;
        parent = item;
    }
    return parent;
}

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (done()) return true;
        ::Sleep(20);
    }
    return done();
}

// The point in the item's state icon (its check box), in the tree's client coordinates.
inline bool StateIconPoint(HWND tree, HTREEITEM item, POINT& point) {
    // Shown first, as a user would unfold the folders above it.
    ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect{};
    std::memcpy(&rect, &item, sizeof(item));  // the item goes in, the rectangle comes out
    if (!::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return false;
    // The state icon sits just left of the icon, which sits just left of the text.
    point = POINT{rect.left - 16 - 8, (rect.top + rect.bottom) / 2};
    TVHITTESTINFO hit{};
    hit.pt = point;
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) ==
               item &&
           (hit.flags & TVHT_ONITEMSTATEICON);
}

// Posts a click (or a double click) at a point of the tree, with the pointer there
// first as the user's mouse would have it: the tree's owner reads the position of the
// message. Posted, since a sent button-down blocks in the tree's drag detection.
inline bool PostClickAt(HWND tree, POINT point, bool twice = false) {
    POINT screen = point;
    ::ClientToScreen(tree, &screen);
    if (!::SetCursorPos(screen.x, screen.y)) return false;
    if (!WaitUntil([&] {
            POINT now{};
            return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
        })) {
        return false;
    }
    ::Sleep(300);  // a tree that just unfolded takes a moment before it hit-tests clicks
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    if (twice) {
        ::PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    }
    return true;
}

// Clicks the item's check box and waits until its mark has moved.
inline bool ClickStateIconAndWait(HWND tree, HTREEITEM item) {
    POINT point{};
    if (!StateIconPoint(tree, item, point)) return false;
    const int before = TreeItemMarkIndex(tree, item);
    if (!PostClickAt(tree, point)) return false;
    return WaitUntil([&] { return TreeItemMarkIndex(tree, item) != before; });
}

// Selects the item and presses Space on the tree; waits until its mark has moved.
inline bool PressSpaceAndWait(HWND tree, HTREEITEM item) {
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    const int before = TreeItemMarkIndex(tree, item);
    ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
    ::PostMessageW(tree, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    return WaitUntil([&] { return TreeItemMarkIndex(tree, item) != before; });
}

}  // namespace pelmora::test
