// The frame rate in small white bitmap letters at the bottom-left corner, drawn over the finished
// picture with OpenGL 1.1 (glBitmap), leaving the matrices and texturing as they were.
#pragma once

#include <cstdint>

void DrawFpsOverlay(const char* text, int32_t width, int32_t height);
