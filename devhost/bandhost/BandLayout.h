#pragma once
// How big the frame makes the band. The bar is vertical, so the band is as wide as
// the bar and runs down its height:
//   width   the preferred width (the bar's BarSize, else the band's ideal width
//           ptActual.x, else 200 pixels), never below ptMinSize.x;
//   height  the height available, never below ptMinSize.y; with DBIMF_VARIABLEHEIGHT
//           at most ptMaxSize.y (-1: no limit), in steps of ptIntegral.y above the
//           minimum.
// Members the band did not fill (missing from its mask) count as no constraint.
#include <windows.h>
#include <shlobj.h>

namespace pelmora::bandhost {

constexpr int kDefaultBandWidth = 200;

[[nodiscard]] SIZE ComputeBandSize(const DESKBANDINFO& info, int preferredWidth, int availableHeight) noexcept;

}  // namespace pelmora::bandhost
