// fenlight-wayland's decisions, free of Wayland so native tests reach them: when input ends the saver,
// how large each output's buffer is drawn, and when a pause in the frames is time nobody saw.
#pragma once

#include <cstdint>

// Input ends the saver by the rules of Fenlight.scr: a key, a button, a touch, or the pointer travelling more
// than kTravelPixels (across plus down) from where it was first seen. For a short grace after the first
// frame nothing ends it and the pointer's place is taken afresh at each move, so the keystroke that started
// it, or a mouse that jitters, does not end it at once.
constexpr uint64_t kInputGraceMicroseconds = 500000;
constexpr double kTravelPixels = 4.0;

enum class SaverInput : uint8_t {
    kKey,      // a key pressed (releases, and keys already held when the keyboard arrives, do not count)
    kButton,   // a pointer button pressed
    kTouch,    // a finger down
    kPointer,  // the pointer at (x, y) of a surface: on entering it, or moving
};

struct Dismissal {
    bool started;         // the first frame is shown: from graceEnd on, input ends the saver
    uint64_t graceEnd;    // microseconds of a monotonic clock
    bool anchored;        // `surface`, x and y say where the pointer was first seen
    const void* surface;  // the pointer's surface, one per output
    double x;
    double y;
};

// From the first frame's time on, the grace runs.
void StartDismissal(Dismissal& dismissal, uint64_t firstFrame);
// One input event at `now`; true when it ends the saver. Positions are in the surface's own coordinates;
// a pointer that moves onto another output's surface has travelled.
bool JudgeInput(Dismissal& dismissal, SaverInput input, const void* surface, double x, double y,
                uint64_t now);

// The pixels an output's surface is drawn with. The compositor gives the surface's size in its own units
// and the output's scale, as an integer (wl_output) or as the preferred fractional scale (in 120ths); the
// glows are soft, so a buffer scaled up by the compositor looks the same while a frame costs in proportion
// to its pixels, and the page's pixel budget holds here too: at most 2 buffer pixels a unit, 2.5 megapixels
// in all. A buffer at exactly an integer scale is handed over with that buffer scale; any other needs the
// compositor's viewporter to stretch it over the surface, and without one the buffer is the surface's size.
struct BufferPlan {
    int32_t width;
    int32_t height;
    int32_t bufferScale;  // wl_surface.set_buffer_scale
    bool viewport;        // wp_viewport.set_destination(surface size)
};
BufferPlan PlanBuffer(int32_t surfaceWidth, int32_t surfaceHeight, int32_t outputScale, uint32_t preferred120,
                      bool viewporter);

// Frames come on the compositor's frame callbacks, one a refresh while the output is shown. A pause longer
// than this (the output off or hidden) is time nobody saw: the scene goes on from where it was.
constexpr uint64_t kUnseenPauseMicroseconds = 250000;
inline bool PauseWasUnseen(uint64_t previousFrame, uint64_t now) {
    return now - previousFrame > kUnseenPauseMicroseconds;
}
