#include "host/dismissal.h"

#include "host/win_words.h"

namespace {

uint32_t Distance(int32_t a, int32_t b) {
    return a >= b ? uint32_t(a) - uint32_t(b) : uint32_t(b) - uint32_t(a);
}

}  // namespace

bool PressDismisses(uint32_t message, uintptr_t wParam) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           (message == WM_ACTIVATEAPP && wParam == 0);
}

bool TravelDismisses(HostPoint& anchor, HostPoint cursor, uint32_t threshold) {
    if (Distance(cursor.x, anchor.x) + Distance(cursor.y, anchor.y) <= threshold) return false;
    anchor = cursor;
    return true;
}
