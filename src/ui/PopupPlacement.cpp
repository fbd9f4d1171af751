#include "ui/PopupPlacement.h"

#include <algorithm>

namespace pelmora {

RECT PlaceBelowPointer(POINT cursor, SIZE box, const RECT& workArea) noexcept {
    LONG left = cursor.x;
    LONG top = cursor.y + kPopupOffsetBelowPointer;
    if (left + box.cx > workArea.right) left = std::max(workArea.left, workArea.right - box.cx);
    if (top + box.cy > workArea.bottom) top = std::max(workArea.top, cursor.y - box.cy);
    return RECT{left, top, left + box.cx, top + box.cy};
}

RECT WorkAreaAt(POINT point) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

}  // namespace pelmora
