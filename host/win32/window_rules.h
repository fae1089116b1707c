// The saver window's message handling as decisions: the class procedure's table, the default saver
// procedure with its dismissal rules, close approval behind the password prompt, and the password
// hook. Every system call goes through a HostCalls record, so the same code runs on Windows and
// under native tests.
#pragma once

#include <cstdint>

#include "host/win32/host_state.h"

using MessageResult = intptr_t;
using WindowProc = MessageResult (*)(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// An entry point found by name, to be cast to its real type.
using AnyProc = void (*)();

struct HostCalls {
    // The program's saver procedure: messages the host passes on.
    WindowProc saverProc = nullptr;
    // DefWindowProcA.
    WindowProc defaultProc = nullptr;
    // SendMessageA (the password request travels the normal path).
    WindowProc sendMessage = nullptr;
    // PostMessageA.
    void (*postMessage)(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = nullptr;
    // PeekMessageA(window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD): drops one pending timer message.
    void (*dropTimerMessage)(HostHandle window) = nullptr;
    // PostQuitMessage.
    void (*postQuit)(int32_t exitCode) = nullptr;
    // GetCursorPos (the window is the one the message came to).
    HostPoint (*cursorPos)(HostHandle window) = nullptr;
    // SetCursor(NULL).
    void (*hideCursor)() = nullptr;
    // GetTickCount.
    uint32_t (*tickCount)() = nullptr;
    // Sleep(0): gives up the rest of the time slice.
    void (*yield)() = nullptr;
    // ACLineStatus of GetSystemPowerStatus, kAcLineUnknown when the call fails.
    uint8_t (*acLineStatus)() = nullptr;
    // GetParent, IsWindow.
    HostHandle (*parentOf)(HostHandle window) = nullptr;
    bool (*isWindow)(HostHandle window) = nullptr;
    // GetModuleHandleA (already loaded modules only), LoadLibraryA, GetProcAddress, FreeLibrary.
    HostHandle (*loadedModule)(const char* name) = nullptr;
    HostHandle (*loadLibrary)(const char* name) = nullptr;
    AnyProc (*findProc)(HostHandle module, const char* name) = nullptr;
    void (*freeLibrary)(HostHandle module) = nullptr;
    // Reads a value of HKEY_CURRENT_USER "Control Panel\Desktop" into `buffer` (at most *size bytes,
    // *size is set to the bytes delivered); false when the key or the value cannot be read.
    bool (*readDesktopValue)(const char* name, uint8_t* buffer, uint32_t* size) = nullptr;
    // SystemParametersInfoA(SPI_SCREENSAVERRUNNING, flag, &previous, 0).
    void (*screenSaverRunning)(int32_t flag) = nullptr;
};

// Posting a close always means PostMessage(window, WM_CLOSE, 0, 0).
void PostClose(const HostCalls& calls, HostHandle window);

// The window procedure registered with the class: a few messages handled here, the rest passed to
// the saver procedure.
MessageResult SaverClassProc(HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                             uintptr_t wParam, intptr_t lParam);
// Default processing for every message the saver procedure does not handle itself: the dismissal
// rules, the password request, the AutoPlay answer, then the system's default procedure.
MessageResult DefaultSaverProc(HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                               uintptr_t wParam, intptr_t lParam);
// Whether a close request may proceed: at once without a password, after the system's prompt with
// one, and never within the hold-off after the previous prompt.
bool ApproveClose(HostState& host, const HostCalls& calls, HostHandle window);

// On the Windows 95/98/Me family only: tells the system a password-protected saver is running.
void SetSaverRunning(const HostState& host, const HostCalls& calls, int32_t flag);
// Takes the system password check into use when "ScreenSaveUsePassword" asks for it.
void LoadPasswordHook(HostState& host, const HostCalls& calls);
void UnloadPasswordHook(HostState& host, const HostCalls& calls);
