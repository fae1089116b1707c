#include "app/win32/saver_proc.h"

#include "app/app_state.h"
#include "host/win32/saver_host.h"
#include "render/frame_draw.h"
#include "render/gl_context.h"
#include "render/win32/gl_context_win32.h"
#include "settings/win32/registry_store.h"

namespace {

void CreateSaver(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    // Measured once: a window resized later keeps drawing at this size.
    appState.clientRect = {client.left, client.top, client.right, client.bottom};
    appState.clientWidth = client.right;
    appState.clientHeight = client.bottom;
    LoadSettings(appState);
    HDC hdc = nullptr;
    HGLRC hglrc = nullptr;
    CreateGLContext(hwnd, &hdc, &hglrc);
    appState.hdc = hdc;
    appState.hglrc = hglrc;
    SetupGLState(appState.clientWidth, appState.clientHeight);
    appState.clock = nullptr;
    appState.fade = nullptr;
    appState.swarm = nullptr;
    CreateScene(appState);
    SetTimer(hwnd, kFrameTimerId, kFrameIntervalMs, nullptr);
}

void DestroySaver(HWND hwnd) {
    KillTimer(hwnd, kFrameTimerId);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(static_cast<HGLRC>(appState.hglrc));
    ReleaseDC(hwnd, static_cast<HDC>(appState.hdc));
    appState.hglrc = nullptr;
    appState.hdc = nullptr;
    ReleaseScene(appState);
}

}  // namespace

void FrameTick(HDC hdc) {
    AdvanceFrame(appState);
    DrawFrame(appState);
    SwapBuffers(hdc);
    CompleteFrame(appState);
}

LRESULT CALLBACK SaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateSaver(hwnd);
            return 0;
        case WM_TIMER:
            // Whatever the timer's id: the host has already decided which timer messages get here.
            FrameTick(static_cast<HDC>(appState.hdc));
            return 0;
        case WM_DESTROY:
            DestroySaver(hwnd);
            return 0;
        default:
            return DefaultSaverProc(hwnd, message, wParam, lParam);
    }
}
