// The saver window's OpenGL context on Windows.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>

// The pixel-format chooser over a device context's own formats (DescribePixelFormat).
int32_t PickPixelFormat(HDC hdc, int32_t* colorBits, int32_t* depthBits, int32_t* doubleBuffer,
                        int32_t* accelerated);
struct WglContext {
    HDC hdc;
    HGLRC hglrc;
};

// Takes the window's device context, chooses and sets a double-buffered, preferably accelerated
// pixel format, creates the rendering context and makes it current, and returns both. No result is
// checked: without a context nothing is drawn. The drawing resources are the caller's to create.
WglContext CreateGLContext(HWND hwnd);
