// The one start-up, frame, resize and release every host runs (the Windows saver procedure, the Linux
// hack's loop, the offscreen snapshot tool, a web page), symmetric around the host's own context:
//     the host makes its context current -> StartSaver -> FrameTick, ResizeSaver ... -> ReleaseSaver
//     -> the host destroys its context
// The context stays current on the calling thread throughout. StartSaver may be called again on a
// running view (new settings give a new scene): it first releases what the record holds. A host whose
// context was lost and made afresh may do the same before it makes names of its own: the former names
// then name nothing in the new context.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "settings/settings.h"

struct SaverPlatform {
    void* host;  // the host's own record of its view, handed back to showFrame
    // Puts the finished picture on screen (the buffer swap).
    void (*showFrame)(void* host, const AppState& app);
};

// Releases whatever the record still holds (ReleaseSaver), then measures the view (a view narrower or lower
// than a pixel counts as one pixel, so the scene never divides by zero), takes the settings, creates the glow
// texture and the sprite list, sets the OpenGL state and creates a fresh scene.
void StartSaver(AppState& app, int32_t width, int32_t height, const StoredSettings& settings);

// One frame: the time step, the picture, showing it, and the end-of-frame check that rebuilds the scene
// when the direction cycle completes.
void FrameTick(AppState& app, const SaverPlatform& platform);

// After a time in which nobody saw the scene (a hidden tab, a stopped hack, a display that was off) it goes
// on from where it was: the next frame's time step starts now, so that time is not simulated.
void ResumeScene(AppState& app);

// The view's new size: the scene and the viewport follow it (the same one-pixel floor as StartSaver).
void ResizeSaver(AppState& app, int32_t width, int32_t height);

// A new OpenGL context (the old one was lost): the glow texture, the sprite list and the OpenGL state are
// made again for a view of the given size; the scene goes on.
void RestoreSaverGL(AppState& app, int32_t width, int32_t height);

// Deletes the glow texture and the sprite list and frees the scene, leaving the record empty; the
// context is still current. Calling it on an empty record does nothing.
void ReleaseSaver(AppState& app);
