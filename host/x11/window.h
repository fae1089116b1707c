// The X11 side of the hack: picking or making the window to draw into, its GLX context, and the
// window's events.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <cstdint>

#include "host/x11/frame_rate.h"
#include "host/options.h"

struct HackWindow {
    Display* display;
    Window window;
    int screen;         // the screen the window is on, not always the display's default one
    Colormap colormap;  // ours to free when we made the window
    bool ownWindow;     // made by us: keys and the window manager's close end the hack
    bool doubleBuffered;
    GLXContext context;
    Atom wmProtocols;
    Atom wmDeleteWindow;
    int32_t width;
    int32_t height;
    // The refresh period of the screen the window is on (60 Hz when it is not known) and whether the buffer
    // swap waits for the refresh (a swap interval of 1 was taken); the hack sets the delay.
    FramePacing pacing;
};

enum WindowEvent : int32_t {
    kEventNone = 0,
    kEventResized = 1,  // width and height hold the new size
    kEventClose = 2,    // Escape, q, the window manager's close, or the window went away
};

// Opens the display and the window the options ask for, makes a GLX context current on it, asks its swaps
// to wait for the refresh where the driver offers that, and measures it and its screen's refresh. Returns
// 0, or 1 after printing why not.
int32_t OpenHackWindow(HackWindow& hack, const HackOptions& options);
// Handles every queued event; returns kEventClose if any asked to close, else kEventResized if the size
// changed, else kEventNone. A moved or resized window's screen refresh is measured again.
int32_t HandleWindowEvents(HackWindow& hack);
// Waits up to the given microseconds for the display's connection to have something to read; returns
// early on a stop signal, and at once when events are already queued or a stop was asked for.
void WaitForEvents(HackWindow& hack, uint32_t microseconds);
void ShowFrame(HackWindow& hack);
// Releases the context, our window if we made one, and the display.
void CloseHackWindow(HackWindow& hack);
// Whether GLX names the extension for the screen the window is on.
bool HasGlxExtension(const HackWindow& hack, const char* name);
// True once the X server refused a request (the error was printed): the hack ends with status 1. Errors
// saying the drawn window is gone count instead as its close.
bool HackWindowFailed();
