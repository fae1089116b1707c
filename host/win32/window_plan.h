// Where and how the saver window is made: full screen over the whole virtual desktop, or as a child
// filling the preview window's client area.
#pragma once

#include <cstdint>

constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
constexpr const char* kFullScreenTitle = "Screen Saver";
constexpr const char* kPreviewTitle = "Preview";
// CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC
constexpr uint32_t kSaverClassStyle = 0x2B;
// WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN
constexpr uint32_t kPreviewStyle = 0x52000000u;
// WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
constexpr uint32_t kFullScreenStyle = 0x96000000u;
constexpr uint32_t kFullScreenExStyle = 0x00000008u;  // WS_EX_TOPMOST
// The class icon: resource 100, which the program does not have (its icon group is 128), so the
// class has none.
constexpr uint16_t kClassIconId = 100;

struct HostRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct SaverWindowPlan {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t style;
    uint32_t exStyle;
    const char* title;
};

// The preview child covers its parent's client area from (0, 0).
SaverWindowPlan PlanPreviewWindow(HostRect parentClient);
// The full-screen window covers the virtual screen (x, y, width, height as the system metrics give
// them); when its width or height is 0, the screen's clip box, which `clipBox` reads, instead.
SaverWindowPlan PlanFullScreenWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                                     HostRect (*clipBox)());
