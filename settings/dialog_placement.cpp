#include "settings/dialog_placement.h"

#include <algorithm>

namespace {

// The start of a span of the given length centred on [low, high), moved inside [areaLow, areaHigh);
// a span longer than the area starts at its start, so the title bar stays reachable.
int32_t CentreInside(int32_t low, int32_t high, int32_t length, int32_t areaLow, int32_t areaHigh) {
    const int32_t centred = low + (high - low - length) / 2;
    return std::max(areaLow, std::min(centred, areaHigh - length));
}

}  // namespace

ScreenRect PlaceDialog(const DialogPlacement& placement, int32_t width, int32_t height) {
    const ScreenRect& area = placement.workArea;
    const ScreenRect& around = placement.ownerShown ? placement.owner : area;
    const int32_t left = CentreInside(around.left, around.right, width, area.left, area.right);
    const int32_t top = CentreInside(around.top, around.bottom, height, area.top, area.bottom);
    return {left, top, left + width, top + height};
}
