// The program's own window procedure for the saver window: window creation, the frame timer and
// window destruction; every other message goes to the host's default saver procedure.
#pragma once

#include <windows.h>

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFrameIntervalMs = 10;

// Creation makes the WGL context, runs the shared start-up (host/saver_run.h) and asks to be told of the
// display's power; every timer message runs the shared frame; while the display is off the timer stops.
// Destruction releases the scene and its drawing resources, then the context.
LRESULT CALLBACK SaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
