#include "host/win32/saver_proc.h"

#include "app/app_state.h"
#include "host/win32/host_state.h"
#include "host/win32/window_rules.h"
#include "host/saver_run.h"
#include "host/win32/saver_window.h"
#include "render/win32/gl_context.h"
#include "settings/win32/registry_store.h"

namespace {

void SwapWglBuffers(void* host, const AppState&) {
    SwapBuffers(static_cast<HDC>(static_cast<HostState*>(host)->hdc));
}

constexpr SaverPlatform kWglPlatform{&hostState, SwapWglBuffers};

// The display's power: while it is off no frame is drawn, and the frame timer stops rather than ticking into
// nothing. Windows 8 and later tell of the console display (0 off, 1 on, 2 dimmed), earlier ones of the
// monitor (0 off, 1 on); a system without the call draws as it always did.
struct DisplayWatch {
    HPOWERNOTIFY registration;
    bool off;
};

DisplayWatch displayWatch{nullptr, false};

constexpr GUID kConsoleDisplayState{
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// An entry point of USER32 by name, to be cast to its real type; nullptr where this system lacks it.
AnyProc FindUser32(const char* name) {
    return reinterpret_cast<AnyProc>(GetProcAddress(GetModuleHandleA("USER32.DLL"), name));
}

void WatchDisplay(HWND hwnd) {
    using Register = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    const auto watch = reinterpret_cast<Register>(FindUser32("RegisterPowerSettingNotification"));
    const DWORD version = GetVersion();
    const bool windows8OrLater =
        LOBYTE(version) > 6 || (LOBYTE(version) == 6 && HIBYTE(LOWORD(version)) >= 2);
    displayWatch = {nullptr, false};
    if (watch != nullptr) {
        displayWatch.registration = watch(hwnd, windows8OrLater ? &kConsoleDisplayState : &kMonitorPowerOn,
                                          DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

void StopWatchingDisplay() {
    using Unregister = BOOL(WINAPI*)(HPOWERNOTIFY);
    const auto unwatch = reinterpret_cast<Unregister>(FindUser32("UnregisterPowerSettingNotification"));
    if (displayWatch.registration != nullptr && unwatch != nullptr) unwatch(displayWatch.registration);
    displayWatch = {nullptr, false};
}

// Whether `size` bytes from `at` are committed memory this process may read.
bool Readable(const void* at, size_t size) {
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const auto start = reinterpret_cast<uintptr_t>(at);
    if (start == 0 || start + size < start) return false;
    for (uintptr_t p = start; p < start + size;) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<const void*>(p), &region, sizeof region) == 0 ||
            region.State != MEM_COMMIT || (region.Protect & kReadable) == 0 ||
            (region.Protect & PAGE_GUARD) != 0)
            return false;
        p = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

void OnDisplayPower(HWND hwnd, const POWERBROADCAST_SETTING& setting) {
    if ((setting.PowerSetting != kConsoleDisplayState && setting.PowerSetting != kMonitorPowerOn) ||
        setting.DataLength < sizeof(DWORD)) {
        return;
    }
    DWORD state = 0;
    CopyMemory(&state, setting.Data, sizeof state);
    const bool off = state == 0;
    if (off && !displayWatch.off) {
        KillTimer(hwnd, kFrameTimerId);
    } else if (!off && displayWatch.off) {
        // The time the display was off is not simulated: the scene goes on from where it was.
        ResumeScene(appState);
        SetTimer(hwnd, kFrameTimerId, kFrameIntervalMs, nullptr);
    }
    displayWatch.off = off;
}

void CreateSaver(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    const WglContext made = CreateGLContext(hwnd);
    hostState.hdc = made.hdc;
    hostState.hglrc = made.hglrc;
    // Measured once: a window resized later keeps drawing at this size.
    StartSaver(appState, client.right, client.bottom, ReadStoredSettings());
    SetTimer(hwnd, kFrameTimerId, kFrameIntervalMs, nullptr);
    WatchDisplay(hwnd);
}

void DestroySaver(HWND hwnd) {
    StopWatchingDisplay();
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
            // Whatever the timer's id: the host has already decided which timer messages get here. One
            // the timer posted before the display went off is not drawn.
            if (!displayWatch.off) FrameTick(appState, kWglPlatform);
            return 0;
        case WM_POWERBROADCAST:
            // Only the display's own notifications, which this window asked for; other power events are
            // the host's dismissal rules'. Any process may send the message, with any lParam: one that
            // points at no setting with its first four bytes of data is ignored.
            if (wParam != PBT_POWERSETTINGCHANGE) return DefaultSaverProc(hwnd, message, wParam, lParam);
            if (Readable(reinterpret_cast<const void*>(lParam),
                         offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD)))
                OnDisplayPower(hwnd, *reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
            return TRUE;
        case WM_DESTROY:
            DestroySaver(hwnd);
            return 0;
        default:
            return DefaultSaverProc(hwnd, message, wParam, lParam);
    }
}
