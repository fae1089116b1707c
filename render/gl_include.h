// OpenGL 1.1 declarations for our drawing code. MinGW's GL header needs the Windows types first.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
