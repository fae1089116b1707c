// The one start-up and the one frame every host runs: the Windows saver procedure, the Linux hack's loop
// and the snapshot tool. A host hands in only what it alone has, its OpenGL context and its way of showing
// a finished picture, as a record of plain functions.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "settings/settings.h"

// What a host made for the view: the drawable (the device context on Windows) and the rendering context.
struct ViewContext {
    void* drawable;
    void* context;
};

struct SaverPlatform {
    void* host;  // the host's own record of its view, handed back to both calls
    // Makes the view's OpenGL context current and says what it is; nothing is checked, without a
    // context nothing is drawn.
    ViewContext (*makeContext)(void* host);
    // Puts the finished picture on screen (the buffer swap).
    void (*showFrame)(void* host, const AppState& app);
};

// The creation sequence of the saver's view: measure it (a view narrower or lower than a pixel counts as
// one pixel, so the scene never divides by zero), take the settings, make the context, create the glow
// texture and the sprite list, set the OpenGL state, then create a fresh scene.
void StartSaver(AppState& app, const SaverPlatform& platform, int32_t width, int32_t height,
                const StoredSettings& settings);

// One frame: the time step, the picture, showing it, and the end-of-frame check that rebuilds the scene
// when the direction cycle completes.
void FrameTick(AppState& app, const SaverPlatform& platform);
