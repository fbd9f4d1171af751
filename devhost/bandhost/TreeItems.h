#pragma once
// Tree-view items found by their path and their check boxes clicked as a user clicks
// them: the pointer moves onto the state icon, then the button messages are posted
// (a sent button-down would block in the control's drag detection).
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace pelmora::bandhost {

// The item whose texts from the top, joined by '\', are path (compared without
// regard to case; a leading '\' is optional). Folders on the way are expanded.
HTREEITEM FindTreeItem(HWND tree, const std::wstring& path);
// The path of the tree's selected item, as FindTreeItem takes it ("\\news\\a.WSC");
// empty when nothing is selected.
std::wstring SelectedTreePath(HWND tree);
// The item's state image index (0 without one).
int TreeItemMark(HWND tree, HTREEITEM item);
// Where the item's state icon is, in the tree's client coordinates; false when no
// point of the item's row hits it.
bool FindStateIcon(HWND tree, HTREEITEM item, POINT& point);
// Moves the pointer over point (client coordinates of window) and waits, through
// pump, until it is there.
bool MovePointer(HWND window, POINT point, const std::function<void()>& pump);

}  // namespace pelmora::bandhost
