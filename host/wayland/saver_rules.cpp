#include "host/wayland/saver_rules.h"

#include <cmath>

#include "host/web/page_rules.h"

void StartDismissal(Dismissal& dismissal, uint64_t firstFrame) {
    dismissal.started = true;
    dismissal.graceEnd = firstFrame + kInputGraceMicroseconds;
}

bool JudgeInput(Dismissal& dismissal, SaverInput input, const void* surface, double x, double y,
                uint64_t now) {
    const bool judged = dismissal.started && now >= dismissal.graceEnd;
    if (input != SaverInput::kPointer) return judged;
    if (judged && dismissal.anchored) {
        if (surface != dismissal.surface) return true;
        if (std::fabs(x - dismissal.x) + std::fabs(y - dismissal.y) > kTravelPixels) return true;
        return false;
    }
    // Before the first frame and during the grace the pointer's latest place is where travel counts from.
    dismissal.anchored = true;
    dismissal.surface = surface;
    dismissal.x = x;
    dismissal.y = y;
    return false;
}

BufferPlan PlanBuffer(int32_t surfaceWidth, int32_t surfaceHeight, int32_t outputScale, uint32_t preferred120,
                      bool viewporter) {
    const int32_t width = surfaceWidth > 0 ? surfaceWidth : 1;
    const int32_t height = surfaceHeight > 0 ? surfaceHeight : 1;
    const bool fractional = viewporter && preferred120 > 0;
    const double scale =
        fractional ? double(preferred120) / 120.0 : double(outputScale > 1 ? outputScale : 1);
    const int32_t fullWidth = int32_t(std::lround(width * scale));
    const int32_t fullHeight = int32_t(std::lround(height * scale));
    const PageSize capped = CapPageCanvas(fullWidth, fullHeight, scale);
    if (!fractional && capped.width == fullWidth && capped.height == fullHeight)
        return {fullWidth, fullHeight, int32_t(scale), false};
    if (viewporter) return {capped.width, capped.height, 1, true};
    return {width, height, 1, false};
}
