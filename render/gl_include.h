// OpenGL 1.1 declarations for our drawing code. MinGW's GL header needs the Windows types first. The web
// page draws through WebGL 1, whose calls are OpenGL ES 2.0's.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES2/gl2.h>
#else
#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#endif
