// The program's own window procedure for the saver window: window creation, the frame timer and
// window destruction; every other message goes to the host's default saver procedure.
#pragma once

#include <windows.h>

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFrameIntervalMs = 10;

// Creation and every frame run the shared start-up and frame (app/saver_run.h) with the WGL context.
LRESULT CALLBACK SaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
