// The saver window's WGL context for real (under Wine on a virtual display): a format is chosen
// from the device's own list, the context is current and takes the glow texture and sprite list, a
// frame drawn through it shows a wisp, and the release leaves no context current.
#include <gtest/gtest.h>

#include "render/win32/gl_context.h"

#include "app/app_state.h"
#include "render/renderer.h"
#include "render/pixel_format.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

HWND CreateTestWindow() {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FenlightGLTest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "FenlightGLTest", "GL test", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

TEST(WglContext, ChoosesAFormatMakesTheContextAndDrawsAFrame) {
    HWND hwnd = CreateTestWindow();
    ASSERT_NE(hwnd, nullptr);

    // The chooser over the device's own formats picks an OpenGL window format, double-buffered.
    HDC probe = GetDC(hwnd);
    int32_t colour = -1, depth = -1, doubleBuffer = 1, accelerated = 1;
    const int32_t index = PickPixelFormat(probe, &colour, &depth, &doubleBuffer, &accelerated);
    PIXELFORMATDESCRIPTOR pfd{};
    const int count = DescribePixelFormat(probe, 1, sizeof pfd, &pfd);
    ReleaseDC(hwnd, probe);
    if (count <= 0) {
        DestroyWindow(hwnd);
        // Wine reaches OpenGL through the host's GL libraries of the same word size (for the 32-bit
        // build: libgl1:i386, libglx-mesa0:i386, libgl1-mesa-dri:i386).
        GTEST_SKIP() << "this system offers no OpenGL pixel formats";
    }
    ASSERT_GT(index, 0);
    ASSERT_LE(index, count);
    EXPECT_EQ(doubleBuffer, 1);

    AppState& app = appState;
    const WglContext made = CreateGLContext(hwnd);
    HDC hdc = made.hdc;
    HGLRC hglrc = made.hglrc;
    ASSERT_NE(hdc, nullptr);
    ASSERT_NE(hglrc, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), hglrc);
    EXPECT_EQ(GetPixelFormat(hdc), index);
    CreateGLResources(app);
    EXPECT_TRUE(glIsTexture(app.glowTexture));
    EXPECT_TRUE(glIsList(app.spriteList));

    SetupGLState(kWidth, kHeight);
    Wisp wisp{};
    wisp.position = {0.5f, 0.5f, 0.5f};
    wisp.glow = 1.0f;
    wisp.active = 1;
    Swarm swarm{};
    swarm.size = 0.15f;
    swarm.viewWidth = kWidth;
    swarm.viewHeight = kHeight;
    swarm.colourA = {0.4f, 0.4f, 0.4f};
    swarm.colourB = {0.4f, 0.4f, 0.4f};
    swarm.wispCount = 1;
    swarm.wisps = &wisp;
    app.swarm = &swarm;
    app.fade = nullptr;
    DrawFrame(app);
    glFinish();
    GLubyte centre[4] = {}, corner[4] = {255, 255, 255, 255};
    glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    EXPECT_GT(centre[0], 100);
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    SwapBuffers(hdc);
    app.swarm = nullptr;

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(hglrc);
    ReleaseDC(hwnd, hdc);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    DestroyWindow(hwnd);
}

}  // namespace
