// The dismissal rules' verdict on input, free of any window: what ends Fenlight.scr's full-screen saver,
// and the web page's full screen, which keeps to the same rules.
#pragma once

#include <cstdint>

struct HostPoint {
    int32_t x;
    int32_t y;
};

// Pixels of cursor travel that are tolerated.
constexpr uint32_t kMouseThreshold = 4;

// A key or button press (WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN) or the
// saver's application losing the activation (WM_ACTIVATEAPP with wParam 0).
bool PressDismisses(uint32_t message, uintptr_t wParam);
// The cursor now at `cursor` has travelled more than `threshold` pixels, across plus down, from `anchor`;
// then travel is measured from here on.
bool TravelDismisses(HostPoint& anchor, HostPoint cursor, uint32_t threshold);
