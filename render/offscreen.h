// An offscreen GL frame: what the tests, the snapshot tool and the benchmarks draw into natively, without a
// display. Two libraries implement it, under the same names, and a program links the one that matches
// its renderer (render/renderer.h):
//   fenlight_offscreen      OpenGL 1.1 on OSMesa (render/osmesa/), drawn straight into frame.pixels;
//   fenlight_offscreen_egl  OpenGL ES 2.0 on EGL without a display (render/egl/): a framebuffer object
//                           with an RGBA8 renderbuffer, read into frame.pixels when finished.
// Both give the driver Mesa has for them: llvmpipe, software OpenGL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct OffscreenFrame {
    void* context;  // the library's own record of the context
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;  // RGBA, bottom row first
    const char* failure;          // why the frame could not be opened, or nullptr
};

// Creates a context over a width x height RGBA frame (OSMesa: with a 16-bit depth buffer) and makes it
// current. Returns 0 on success, 1 when the context cannot be created or made current, with frame.failure
// saying why.
int32_t OpenOffscreenFrame(OffscreenFrame& frame, int32_t width, int32_t height);
// Waits for the drawing to finish; the pixels are then in frame.pixels.
void FinishOffscreenFrame(OffscreenFrame& frame);
// Destroys the context; a frame that did not open, or is closed already, is left alone.
void CloseOffscreenFrame(OffscreenFrame& frame);

// Channel c (0 red .. 3 alpha) of the pixel at column x, row y counted from the bottom.
inline uint8_t PixelChannel(const OffscreenFrame& frame, int32_t x, int32_t y, int32_t c) {
    return frame.pixels[(std::size_t(y) * std::size_t(frame.width) + std::size_t(x)) * 4 + std::size_t(c)];
}
