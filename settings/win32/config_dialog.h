// The setup dialog (dialog resource 2003): direction and colour lists, particles, size and speed
// sliders, Reset, OK saves, Cancel discards. It opens centred on its owner, or on the screen, and always
// wholly on the screen.
#pragma once

#include <windows.h>

// Called by the host before the dialog is shown; returns TRUE, so the dialog is always shown.
BOOL WINAPI RegisterConfigClasses(HINSTANCE instance);
// The dialog procedure: ends the dialog with TRUE after OK (the settings saved), FALSE after Cancel. When
// OK cannot store the settings, a message box gives the system's reason and the dialog stays open.
INT_PTR CALLBACK ConfigDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
