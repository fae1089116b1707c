#include "app/win32/saver_proc.h"

#include "app/app_state.h"
#include "app/saver_run.h"
#include "host/win32/saver_host.h"
#include "render/win32/gl_context_win32.h"
#include "settings/win32/registry_store.h"

namespace {

void SwapWglBuffers(void*, const AppState& app) {
    SwapBuffers(static_cast<HDC>(app.hdc));
}

constexpr SaverPlatform kWglPlatform{nullptr, SwapWglBuffers};

void CreateSaver(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    const WglContext made = CreateGLContext(hwnd);
    appState.hdc = made.hdc;
    appState.hglrc = made.hglrc;
    // Measured once: a window resized later keeps drawing at this size.
    StartSaver(appState, client.right, client.bottom, ReadStoredSettings());
    SetTimer(hwnd, kFrameTimerId, kFrameIntervalMs, nullptr);
}

void DestroySaver(HWND hwnd) {
    KillTimer(hwnd, kFrameTimerId);
    ReleaseSaver(appState);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(static_cast<HGLRC>(appState.hglrc));
    ReleaseDC(hwnd, static_cast<HDC>(appState.hdc));
    appState.hglrc = nullptr;
    appState.hdc = nullptr;
}

}  // namespace

LRESULT CALLBACK SaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateSaver(hwnd);
            return 0;
        case WM_TIMER:
            // Whatever the timer's id: the host has already decided which timer messages get here.
            FrameTick(appState, kWglPlatform);
            return 0;
        case WM_DESTROY:
            DestroySaver(hwnd);
            return 0;
        default:
            return DefaultSaverProc(hwnd, message, wParam, lParam);
    }
}
