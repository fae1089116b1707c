#include "render/win32/gl_context.h"

#include <cstring>

#include "render/pixel_format.h"

namespace {

PIXELFORMATDESCRIPTOR BlankDescriptor() {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = 40;
    pfd.nVersion = 1;
    return pfd;
}

int32_t DescribeFromDevice(void* device, int32_t index, PixelFormatInfo* info) {
    PIXELFORMATDESCRIPTOR pfd = BlankDescriptor();
    const int count = DescribePixelFormat(static_cast<HDC>(device), index, 40, &pfd);
    info->dwFlags = pfd.dwFlags;
    info->iPixelType = pfd.iPixelType;
    info->cColorBits = pfd.cColorBits;
    info->cDepthBits = pfd.cDepthBits;
    return count;
}

}  // namespace

int32_t PickPixelFormat(HDC hdc, int32_t* colorBits, int32_t* depthBits, int32_t* doubleBuffer,
                        int32_t* accelerated) {
    return PickPixelFormat(DescribeFromDevice, hdc, colorBits, depthBits, doubleBuffer, accelerated);
}

WglContext CreateGLContext(HWND hwnd) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;

    WglContext made{GetDC(hwnd), nullptr};

    int32_t colorBits = -1;
    int32_t depthBits = -1;
    int32_t doubleBuffer = 1;
    int32_t accelerated = 1;
    const int32_t format = PickPixelFormat(made.hdc, &colorBits, &depthBits, &doubleBuffer, &accelerated);

    SetPixelFormat(made.hdc, format, &pfd);
    made.hglrc = wglCreateContext(made.hdc);
    wglMakeCurrent(made.hdc, made.hglrc);
    return made;
}
