#include "settings/dialog_layout.h"

#include <algorithm>

namespace {

int32_t Width(const ScreenRect& rect) {
    return rect.right - rect.left;
}

void MoveRight(ScreenRect& rect, int32_t by) {
    rect.left += by;
    rect.right += by;
}

// As wide as its text needs, at least as wide as it was, its left edge kept.
void WidenRight(LaidControl& control) {
    control.rect.right = control.rect.left + std::max(Width(control.rect), control.needed);
}

// The same, its right edge kept.
void WidenLeft(LaidControl& control) {
    control.rect.left = control.rect.right - std::max(Width(control.rect), control.needed);
}

// As wide as its text needs, centred where it was with the dialog grown by `grown`.
void Centre(LaidControl& control, int32_t grown) {
    const int32_t width = std::max(Width(control.rect), control.needed);
    const int32_t centre = (control.rect.left + control.rect.right + grown) / 2;
    control.rect.left = centre - width / 2;
    control.rect.right = control.rect.left + width;
}

}  // namespace

DialogLayout LayOutDialog(const DialogLayout& laid) {
    DialogLayout out = laid;
    // The labels' column widens to the longest label; everything beside it moves over.
    int32_t shift = 0;
    for (LaidRow& row : out.rows) {
        // By its text: the template's label may reach into its control by a pixel of rounding.
        shift = std::max(shift, row.label.rect.left + row.label.needed - row.control.rect.left);
        WidenRight(row.label);
    }
    // Pushed, the controls keep a gap from the longest label.
    if (shift > 0) shift += out.gap;
    // A slider's ends keep their outer edges; sliders lengthen, all alike, until the two ends part.
    int32_t lengthen = 0;
    for (LaidRow& row : out.rows) {
        if (!row.slider) continue;
        WidenRight(row.low);
        WidenLeft(row.high);
        lengthen = std::max(lengthen, row.low.rect.right + out.gap - row.high.rect.left);
    }
    int32_t width = laid.width;
    for (LaidRow& row : out.rows) {
        for (LaidControl* control : {&row.control, &row.low, &row.high}) MoveRight(control->rect, shift);
        if (row.slider) {
            row.control.rect.right += lengthen;
            MoveRight(row.high.rect, lengthen);
        } else {
            WidenRight(row.control);
        }
        for (const LaidControl* control : {&row.control, &row.high}) {
            width = std::max(width, control->rect.right + out.margin);
        }
    }
    if (shift > 0 || lengthen > 0) width = std::max(width, laid.width + shift + lengthen);
    // OK and Cancel are as wide as each other, at the bottom right; the space between them is kept.
    const int32_t button = std::max({Width(laid.ok.rect), laid.ok.needed, laid.cancel.needed});
    const int32_t between = laid.cancel.rect.left - laid.ok.rect.right;
    const int32_t rightMargin = laid.width - laid.cancel.rect.right;
    width = std::max({width, out.margin + 2 * button + between + rightMargin,
                      std::max(laid.tagline.needed, laid.version.needed) + 2 * out.margin,
                      laid.reset.needed + 2 * out.margin});
    const int32_t grown = width - laid.width;
    out.cancel.rect.right = width - rightMargin;
    out.cancel.rect.left = out.cancel.rect.right - button;
    out.ok.rect.right = out.cancel.rect.left - between;
    out.ok.rect.left = out.ok.rect.right - button;
    for (LaidControl* control : {&out.version, &out.tagline, &out.reset}) Centre(*control, grown);
    out.width = width;
    return out;
}
