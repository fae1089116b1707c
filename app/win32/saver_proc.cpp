#include "app/win32/saver_proc.h"

#include "app/app_state.h"
#include "app/saver_run.h"
#include "host/win32/saver_host.h"
#include "render/win32/gl_context_win32.h"
#include "settings/win32/registry_store.h"

namespace {

ViewContext MakeWglContext(void* host) {
    const WglContext made = CreateGLContext(static_cast<HWND>(host));
    return {made.hdc, made.hglrc};
}

void SwapWglBuffers(void*, const AppState& app) {
    SwapBuffers(static_cast<HDC>(app.hdc));
}

SaverPlatform WglPlatform(HWND hwnd) {
    return {hwnd, MakeWglContext, SwapWglBuffers};
}

void CreateSaver(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    // Measured once: a window resized later keeps drawing at this size.
    StartSaver(appState, WglPlatform(hwnd), client.right, client.bottom, ReadStoredSettings());
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

LRESULT CALLBACK SaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateSaver(hwnd);
            return 0;
        case WM_TIMER:
            // Whatever the timer's id: the host has already decided which timer messages get here.
            FrameTick(appState, WglPlatform(hwnd));
            return 0;
        case WM_DESTROY:
            DestroySaver(hwnd);
            return 0;
        default:
            return DefaultSaverProc(hwnd, message, wParam, lParam);
    }
}
