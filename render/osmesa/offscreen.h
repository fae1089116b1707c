// An offscreen OpenGL frame on OSMesa (Mesa's software renderer): what the tests, the snapshot tool
// and the benchmarks draw into natively, without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct OffscreenFrame {
    void* context;  // OSMesaContext
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;  // RGBA, bottom row first
};

// Creates an RGBA context with a 16-bit depth buffer over a width x height buffer and makes it
// current. Returns 0 on success, 1 when the context cannot be created or made current.
int32_t OpenOffscreenFrame(OffscreenFrame& frame, int32_t width, int32_t height);
// Waits for the drawing to finish; the pixels are then in frame.pixels.
void FinishOffscreenFrame(OffscreenFrame& frame);
void CloseOffscreenFrame(OffscreenFrame& frame);

// Channel c (0 red .. 3 alpha) of the pixel at column x, row y counted from the bottom.
inline uint8_t PixelChannel(const OffscreenFrame& frame, int32_t x, int32_t y, int32_t c) {
    return frame.pixels[(std::size_t(y) * std::size_t(frame.width) + std::size_t(x)) * 4 + std::size_t(c)];
}
