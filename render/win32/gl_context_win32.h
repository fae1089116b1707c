// The saver window's OpenGL context on Windows.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>

// The pixel-format chooser over a device context's own formats (DescribePixelFormat).
int32_t PickPixelFormat(HDC hdc, int32_t* colorBits, int32_t* depthBits, int32_t* doubleBuffer,
                        int32_t* accelerated);
// Takes the window's device context, chooses and sets a double-buffered, preferably accelerated
// pixel format, creates the rendering context and makes it current, then creates the glow texture
// and the sprite list in appState. No result is checked: without a context nothing is drawn.
void CreateGLContext(HWND hwnd, HDC* hdc, HGLRC* hglrc);
