// Portable pieces of the Linux hack's frame loop (the view follows the window's size through ResizeView):
// pacing frames to the delay, and the frame-rate counter with the tiny bitmap font it is shown in.
#pragma once

#include <cstdint>

// How long to wait, in microseconds, before the next frame: the delay less the time the frame took
// (frameStart to now, microseconds of a monotonic clock), never negative.
uint32_t WaitBeforeNextFrame(uint64_t frameStart, uint64_t now, uint32_t delay);

// Frames counted over about a second of monotonic time.
struct FpsCounter {
    uint64_t periodStart;  // microseconds
    uint32_t frames;       // frames since periodStart
    float rate;            // frames per second of the last completed period; 0 until one completes
};

constexpr uint64_t kFpsPeriodMicroseconds = 1000000;

void StartFpsCounter(FpsCounter& counter, uint64_t now);
// Counts one shown frame; closes the period when a second has passed.
void CountFrame(FpsCounter& counter, uint64_t now);
// "FPS: 59.8" into text (at least kFpsTextSize bytes), one decimal, capped at 9999.9.
constexpr int32_t kFpsTextSize = 16;
void FormatFps(float rate, char* text);

// The glyphs of the frame-rate text: 5 columns by 7 rows, one byte per row from the top, bit 4 the
// leftmost column. Characters without a glyph (including space) draw blank.
constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 7;
// The glyph's rows, or nullptr for a blank.
const uint8_t* GlyphRows(char c);
