#pragma once
// Where the hover box goes on the screen.
#include <windows.h>

namespace pelmora {

inline constexpr int kPopupOffsetBelowPointer = 20;

// The box's left edge at the pointer and its top 20 pixels below it. A box that would
// leave the work area moves back inside it: left when it passes the right edge, above
// the pointer when it passes the bottom, so that it is never cut off.
[[nodiscard]] RECT PlaceBelowPointer(POINT cursor, SIZE box, const RECT& workArea) noexcept;

// The work area of the monitor that holds the point; the whole virtual screen when the
// monitor cannot be asked.
[[nodiscard]] RECT WorkAreaAt(POINT point) noexcept;

}  // namespace pelmora
