// The setup dialog laid out for the texts it shows: a longer label moves the controls beside it, a longer
// slider end lengthens the sliders, a longer list word widens its list, and the dialog grows to hold them.
// Texts that fit their places in the template leave the template's layout exactly as it is.
#pragma once

#include <cstdint>

#include "settings/dialog_placement.h"
#include "settings/settings.h"

// One control: where it is, in the dialog's client pixels, and how wide its text needs it to be (for a
// button or a list, with the room it keeps around the text; 0 for a slider).
struct LaidControl {
    ScreenRect rect;
    int32_t needed;
};

// One setting's row, in kShownOrder: its label, its list or slider, and a slider's ends above it.
struct LaidRow {
    LaidControl label, control, low, high;
    bool slider;
};

struct DialogLayout {
    int32_t width;   // the client area's
    int32_t margin;  // kept free along the dialog's edges
    int32_t gap;     // kept between a slider's two ends, and after a label that moves what is beside it
    LaidControl version, tagline, ok, cancel, reset;
    LaidRow rows[kFieldCount];
};

// The layout for the texts' needs, from the template's.
DialogLayout LayOutDialog(const DialogLayout& laid);
