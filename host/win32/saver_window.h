// The Win32 side of the host: start-up and mode selection, the saver window with its message loop,
// and the window procedures that apply the host's decisions with the real system calls.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs the saver window: full screen when `parent` is NULL, otherwise as a preview child of `parent`.
// `saverProc` is the program's own procedure, which gets what the class procedure passes on. Returns
// the exit code of the message loop (0), or 0 when no window was made.
int32_t RunSaver(HWND parent, WNDPROC saverProc);
// Sets the program's procedure alone, for a saver window made some other way.
void UseSaverProc(WNDPROC saverProc);
// The window procedure registered with the saver class.
LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Default processing for the messages the saver procedure does not handle; ends in DefWindowProcA.
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL ApproveClose(HWND window);
void LoadPasswordHook();
void UnloadPasswordHook();
void SetSaverRunning(BOOL flag);

// Reads the command line's switch and runs the chosen mode; returns the exit code.
int32_t SelectMode(HINSTANCE instance, const char* tail);
// Finds the command tail, runs the mode and ends the process with its result. Never returns.
[[noreturn]] void HostStart();
INT_PTR ShowConfigDialog(HWND owner);
void ChangeSaverPassword(HWND owner);
