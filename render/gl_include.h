// The GL declarations for our drawing code: OpenGL 1.1, whose header on MinGW needs the Windows types
// first, or OpenGL ES 2.0 for the GLES 2 renderer and its users (FENLIGHT_GLES2), among them the web
// page, which draws through WebGL 1, whose calls are OpenGL ES 2.0's.
#pragma once

#if defined(__EMSCRIPTEN__) || defined(FENLIGHT_GLES2)
#include <GLES2/gl2.h>
#else
#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#endif
