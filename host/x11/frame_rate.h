// Portable pieces of the Linux hack's frame loop (the view follows the window's size through ResizeView):
// pacing frames to the screen's refresh and the delay, and the frame-rate counter with the tiny bitmap font
// it is shown in.
#pragma once

#include <cstdint>

// When the next frame may start. The screen shows one picture a refresh, so a frame starts no sooner than
// one refresh after the previous one started; where the buffer swap itself waits for the refresh (a GLX swap
// interval of 1) that wait is the swap's. And --delay is the least pause after a frame, so --delay 0 means
// every refresh.
struct FramePacing {
    uint32_t refreshMicroseconds;
    uint32_t delayMicroseconds;
    bool swapWaits;
};

constexpr uint32_t kDefaultRefreshMicroseconds = 16667;  // 60 Hz, where the screen's rate is not known

// How long to wait, in microseconds, before the next frame, for a frame that started and ended at the given
// times (microseconds of a monotonic clock); 0 when it may start now.
uint32_t WaitBeforeNextFrame(const FramePacing& pacing, uint64_t frameStart, uint64_t frameEnd, uint64_t now);

// The refresh period of a display mode from its pixel clock (Hz) and its total width and height in pixels
// (a double-scanned mode shows each line twice, an interlaced one shows half its lines a refresh); 0 when
// the mode does not say (a virtual screen's mode has no clock).
uint32_t RefreshMicroseconds(uint64_t pixelClock, uint32_t totalWidth, uint32_t totalHeight, bool doubleScan,
                             bool interlaced);

// A driver may take the swap interval and not wait (one set to ignore it, or a compositor's): once a
// second's frames come faster than the refresh allows, the hack paces them itself.
void CheckSwapWaits(FramePacing& pacing, float framesPerSecond);

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
