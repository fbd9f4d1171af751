#pragma once
// A stand-in for the windows that show script trees: a top-level window with real
// check-box tree views that, as the configuration form does, posts itself a
// check-changed message after a click on a check box or Space, and applies it to the
// tree's model.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>

#include "framework/ui/TreeView.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"
#include "ui/UiTestSupport.h"

namespace pelmora::test {

inline constexpr UINT kCheckChangedMessage = WM_APP + 0x6F;

class ScriptTreeHost final : public ui::Window {
public:
    // Called with (tree id, item) for each posted check change.
    using CheckHandler = std::function<void(int, HTREEITEM)>;

    bool Open(int width = 360, int height = 420) {
        static ui::WindowClass hostClass(L"ScriptTreeTestHost", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                         ::GetSysColorBrush(COLOR_BTNFACE));
        const RECT rect{60, 60, 60 + width, 60 + height};
        if (!Create(hostClass, 0, L"Script trees", WS_POPUP | WS_VISIBLE | WS_BORDER, rect, nullptr)) return false;
        ::SetForegroundWindow(Handle());
        return true;
    }

    HWND AddTree(int id, RECT rect) {
        const HWND tree = ::CreateWindowExW(
            WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                TVS_SHOWSELALWAYS | TVS_CHECKBOXES,
            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        return tree;
    }

    HWND Tree(int id) const { return ::GetDlgItem(Handle(), id); }

    CheckHandler onCheckChanged;
    int checkChangesSeen = 0;

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kCheckChangedMessage) {
            ++checkChangesSeen;
            if (onCheckChanged && lParam) onCheckChanged(static_cast<int>(wParam), reinterpret_cast<HTREEITEM>(lParam));
            result = 0;
            return true;
        }
        if (message != WM_NOTIFY) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const ui::TreeView tree(header->hwndFrom);
        if (header->code == NM_CLICK) {
            const DWORD position = ::GetMessagePos();
            POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
            ::ScreenToClient(tree.Handle(), &point);
            UINT flags = 0;
            const HTREEITEM item = tree.HitTest(point, flags);
            if (item && (flags & TVHT_ONITEMSTATEICON)) {
                ::PostMessageW(Handle(), kCheckChangedMessage, header->idFrom, reinterpret_cast<LPARAM>(item));
            }
        } else if (header->code == TVN_KEYDOWN && reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey == VK_SPACE) {
            ::PostMessageW(Handle(), kCheckChangedMessage, header->idFrom,
                           reinterpret_cast<LPARAM>(tree.GetSelectedItem()));
        }
        result = 0;
        return true;
    }
};

// Clicks the item's check box with real mouse messages: the pointer moves there, the
// button messages are posted (a sent button-down would block in the control's drag
// detection) and pumped until the posted check change has been handled.
inline bool ClickCheckBox(ScriptTreeHost& host, HWND tree, HTREEITEM item) {
    RECT rect{};
    if (!ui::TreeView(tree).GetItemRect(item, rect, true)) return false;
    // The state icon sits just left of the icon, which sits just left of the text.
    POINT point{rect.left - 16 - 8, (rect.top + rect.bottom) / 2};
    UINT flags = 0;
    if (ui::TreeView(tree).HitTest(point, flags) != item || !(flags & TVHT_ONITEMSTATEICON)) return false;
    POINT screen = point;
    ::ClientToScreen(tree, &screen);
    if (!MovePointerTo(screen)) return false;
    const int seen = host.checkChangesSeen;
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    return PumpUntil([&] { return host.checkChangesSeen > seen; });
}

// Selects the item and presses Space on the focused tree.
inline bool PressSpaceOn(ScriptTreeHost& host, HWND tree, HTREEITEM item) {
    ui::TreeView(tree).SelectItem(item);
    ::SetFocus(tree);
    const int seen = host.checkChangesSeen;
    ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
    ::PostMessageW(tree, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    return PumpUntil([&] { return host.checkChangesSeen > seen; });
}

}  // namespace pelmora::test
