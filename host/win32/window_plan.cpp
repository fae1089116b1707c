#include "host/win32/window_plan.h"

SaverWindowPlan PlanPreviewWindow(HostRect parentClient) {
    return {0,
            0,
            parentClient.right - parentClient.left,
            parentClient.bottom - parentClient.top,
            kPreviewStyle,
            0,
            kPreviewTitle};
}

SaverWindowPlan PlanFullScreenWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                                     HostRect (*clipBox)()) {
    if (width == 0 || height == 0) {
        const HostRect box = clipBox();
        x = box.left;
        y = box.top;
        width = box.right - box.left;
        height = box.bottom - box.top;
    }
    return {x, y, width, height, kFullScreenStyle, kFullScreenExStyle, kFullScreenTitle};
}
