#include "bandhost/BandLayout.h"

namespace pelmora::bandhost {

SIZE ComputeBandSize(const DESKBANDINFO& info, int preferredWidth, int availableHeight) noexcept {
    const bool hasMin = (info.dwMask & DBIM_MINSIZE) != 0;
    const POINTL minimum = hasMin ? info.ptMinSize : POINTL{0, 0};
    int width = preferredWidth;
    if (width <= 0 && (info.dwMask & DBIM_ACTUAL) && info.ptActual.x > 0) width = info.ptActual.x;
    if (width <= 0) width = kDefaultBandWidth;
    if (width < minimum.x) width = minimum.x;

    int height = availableHeight > 0 ? availableHeight : 0;
    const bool variable = (info.dwMask & DBIM_MODEFLAGS) && (info.dwModeFlags & DBIMF_VARIABLEHEIGHT);
    if (variable) {
        if ((info.dwMask & DBIM_MAXSIZE) && info.ptMaxSize.y >= 0 && height > info.ptMaxSize.y)
            height = info.ptMaxSize.y;
        const LONG step = (info.dwMask & DBIM_INTEGRAL) ? info.ptIntegral.y : 1;
        if (step > 1 && height > minimum.y) height = minimum.y + (height - minimum.y) / step * step;
    }
    if (height < minimum.y) height = minimum.y;
    return SIZE{width, height};
}

}  // namespace pelmora::bandhost
