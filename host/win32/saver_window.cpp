#include <windows.h>

#include "host/win32/host_state.h"
#include "host/win32/window_rules.h"
#include "host/win32/window_plan.h"
#include "host/win32/saver_window.h"

namespace {

HWND Window(HostHandle handle) {
    return static_cast<HWND>(handle);
}

// The program's own procedure for the saver window, handed in by RunSaver (or UseSaverProc).
WNDPROC programProc = DefWindowProcA;

MessageResult CallSaverProc(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return programProc(Window(window), message, wParam, lParam);
}

MessageResult CallDefWindowProc(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProcA(Window(window), message, wParam, lParam);
}

MessageResult CallSendMessage(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SendMessageA(Window(window), message, wParam, lParam);
}

void CallPostMessage(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostMessageA(Window(window), message, wParam, lParam);
}

void DropTimerMessage(HostHandle window) {
    MSG message;
    PeekMessageA(&message, Window(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

void CallPostQuit(int32_t exitCode) {
    PostQuitMessage(exitCode);
}

HostPoint CursorPos(HostHandle) {
    POINT point{0, 0};
    GetCursorPos(&point);
    return {point.x, point.y};
}

void HideCursor() {
    SetCursor(nullptr);
}

uint32_t TickCount() {
    return GetTickCount();
}

void YieldTimeSlice() {
    Sleep(0);
}

uint8_t AcLineStatus() {
    SYSTEM_POWER_STATUS status;
    if (!GetSystemPowerStatus(&status)) return kAcLineUnknown;
    return status.ACLineStatus;
}

HostHandle ParentOf(HostHandle window) {
    return GetParent(Window(window));
}

bool CallIsWindow(HostHandle window) {
    return IsWindow(Window(window)) != FALSE;
}

HostHandle LoadedModule(const char* name) {
    return GetModuleHandleA(name);
}

HostHandle CallLoadLibrary(const char* name) {
    return LoadLibraryA(name);
}

AnyProc FindProc(HostHandle module, const char* name) {
    return reinterpret_cast<AnyProc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CallFreeLibrary(HostHandle module) {
    FreeLibrary(static_cast<HMODULE>(module));
}

bool ReadDesktopValue(const char* name, uint8_t* buffer, uint32_t* size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD bytes = *size;
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    *size = bytes;
    return true;
}

void ScreenSaverRunning(int32_t flag) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, UINT(flag), &previous, 0);
}

const HostCalls kSystemCalls{CallSaverProc,    CallDefWindowProc, CallSendMessage,   CallPostMessage,
                             DropTimerMessage, CallPostQuit,      CursorPos,         HideCursor,
                             TickCount,        YieldTimeSlice,    AcLineStatus,      ParentOf,
                             CallIsWindow,     LoadedModule,      CallLoadLibrary,   FindProc,
                             CallFreeLibrary,  ReadDesktopValue,  ScreenSaverRunning};

HostRect ScreenClipBox() {
    RECT box{0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &box);
    ReleaseDC(nullptr, screen);
    return {box.left, box.top, box.right, box.bottom};
}

}  // namespace

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SaverClassProc(hostState, kSystemCalls, window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultSaverProc(hostState, kSystemCalls, window, message, wParam, lParam);
}

BOOL ApproveClose(HWND window) {
    return ApproveClose(hostState, kSystemCalls, window) ? TRUE : FALSE;
}

void LoadPasswordHook() {
    LoadPasswordHook(hostState, kSystemCalls);
}

void UnloadPasswordHook() {
    UnloadPasswordHook(hostState, kSystemCalls);
}

void SetSaverRunning(BOOL flag) {
    SetSaverRunning(hostState, kSystemCalls, flag);
}

void UseSaverProc(WNDPROC saverProc) {
    programProc = saverProc;
}

int32_t RunSaver(HWND parent, WNDPROC saverProc) {
    UseSaverProc(saverProc);
    HINSTANCE instance = static_cast<HINSTANCE>(hostState.instance);
    WNDCLASSA windowClass{};
    windowClass.style = kSaverClassStyle;
    windowClass.lpfnWndProc = SaverClassProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kClassIconId));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kSaverClassName;

    SaverWindowPlan plan;
    if (parent != nullptr) {
        RECT client{0, 0, 0, 0};
        GetClientRect(parent, &client);
        plan = PlanPreviewWindow({client.left, client.top, client.right, client.bottom});
        hostState.preview = TRUE;
    } else {
        plan = PlanFullScreenWindow(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CYVIRTUALSCREEN), ScreenClipBox);
        // One full-screen saver at a time: bring the running one to the front instead.
        HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        hostState.acLineStatus = AcLineStatus();
        LoadPasswordHook();
    }
    hostState.autoPlayMessage = hostState.win9xFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterClassA(&windowClass) != 0) {
        hostState.saverWindow =
            CreateWindowExA(plan.exStyle, kSaverClassName, plan.title, plan.style, plan.x, plan.y, plan.width,
                            plan.height, parent, nullptr, instance, nullptr);
    }
    int32_t exitCode = 0;
    if (hostState.saverWindow != nullptr) {
        if (parent == nullptr) SetForegroundWindow(Window(hostState.saverWindow));
        MSG message{};
        BOOL got;
        // A failing GetMessageA (-1) ends the loop too rather than spinning on the error.
        while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (got == 0) exitCode = int32_t(message.wParam);
    }
    UnloadPasswordHook();
    return exitCode;
}
