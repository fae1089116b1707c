#include "host/win32/saver_proc.h"

#include "app/app_state.h"
#include "host/host_state.h"
#include "host/saver_run.h"
#include "host/win32/saver_host.h"
#include "render/win32/gl_context_win32.h"
#include "settings/win32/registry_store.h"

namespace {

void SwapWglBuffers(void* host, const AppState&) {
    SwapBuffers(static_cast<HDC>(static_cast<HostState*>(host)->hdc));
}

constexpr SaverPlatform kWglPlatform{&hostState, SwapWglBuffers};

void CreateSaver(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    const WglContext made = CreateGLContext(hwnd);
    hostState.hdc = made.hdc;
    hostState.hglrc = made.hglrc;
    // Measured once: a window resized later keeps drawing at this size.
    StartSaver(appState, client.right, client.bottom, ReadStoredSettings());
    SetTimer(hwnd, kFrameTimerId, kFrameIntervalMs, nullptr);
}

void DestroySaver(HWND hwnd) {
    KillTimer(hwnd, kFrameTimerId);
    ReleaseSaver(appState);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(static_cast<HGLRC>(hostState.hglrc));
    ReleaseDC(hwnd, static_cast<HDC>(hostState.hdc));
    hostState.hglrc = nullptr;
    hostState.hdc = nullptr;
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
