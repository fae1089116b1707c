// Where the setup dialog opens: centred on its owner when the owner can be seen, otherwise on the work
// area of the owner's monitor (or the primary monitor), and always wholly inside that work area.
#pragma once

#include <cstdint>

// A rectangle in screen pixels, right and bottom exclusive (as Windows' RECT).
struct ScreenRect {
    int32_t left, top, right, bottom;
};

struct DialogPlacement {
    ScreenRect owner;     // the owner's window rectangle; ignored when ownerShown is false
    bool ownerShown;      // there is an owner, it is visible and it is not minimised
    ScreenRect workArea;  // the work area of the owner's monitor, or of the primary monitor
};

// The dialog's rectangle, of the given outer size, for that placement.
ScreenRect PlaceDialog(const DialogPlacement& placement, int32_t width, int32_t height);
