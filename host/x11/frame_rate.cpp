#include "host/x11/frame_rate.h"

#include <cmath>
#include <cstdio>

uint32_t WaitBeforeNextFrame(const FramePacing& pacing, uint64_t frameStart, uint64_t frameEnd,
                             uint64_t now) {
    const uint64_t refreshed = frameStart + (pacing.swapWaits ? 0 : pacing.refreshMicroseconds);
    const uint64_t paused = frameEnd + pacing.delayMicroseconds;
    const uint64_t next = refreshed > paused ? refreshed : paused;
    return next > now ? uint32_t(next - now) : 0;
}

uint32_t RefreshMicroseconds(uint64_t pixelClock, uint32_t totalWidth, uint32_t totalHeight, bool doubleScan,
                             bool interlaced) {
    double lines = totalHeight;
    if (doubleScan) lines *= 2;
    if (interlaced) lines /= 2;
    if (pixelClock == 0) return 0;
    return uint32_t(std::lround(double(totalWidth) * lines * 1e6 / double(pixelClock)));
}

void CheckSwapWaits(FramePacing& pacing, float framesPerSecond) {
    // A tenth over the refresh rate: the count's own jitter stays below it.
    const double allowed = 1.1e6 / double(pacing.refreshMicroseconds);
    if (pacing.swapWaits && double(framesPerSecond) > allowed) pacing.swapWaits = false;
}

void StartFpsCounter(FpsCounter& counter, uint64_t now) {
    counter = FpsCounter{now, 0, 0.0f};
}

void CountFrame(FpsCounter& counter, uint64_t now) {
    ++counter.frames;
    const uint64_t length = now - counter.periodStart;
    if (length >= kFpsPeriodMicroseconds) {
        counter.rate = float(double(counter.frames) * 1e6 / double(length));
        counter.periodStart = now;
        counter.frames = 0;
    }
}

void FormatFps(float rate, char* text) {
    if (!(rate >= 0.0f)) rate = 0.0f;
    if (rate > 9999.9f) rate = 9999.9f;
    std::snprintf(text, kFpsTextSize, "FPS: %.1f", double(rate));
}

namespace {

struct Glyph {
    char c;
    uint8_t rows[kGlyphHeight];
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
};

}  // namespace

const uint8_t* GlyphRows(char c) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.c == c) return glyph.rows;
    }
    return nullptr;
}
