// The one global record of the running saver, and the scene lifecycle: create the scene at window
// creation, advance it once per frame, rebuild it with a new direction when the fade cycle completes.
#pragma once

#include <cstdint>

#include "app/frame_clock.h"
#include "sim/swarm.h"

struct ClientRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct AppState {
    uint32_t spriteList;  // display list of the sprite quad, also drawn by the fade overlay (GL 1.1)
    uint32_t glShare;     // the generation of its context's shared program and buffers it holds (GLES 2)
    int32_t quantity;     // the particles setting
    float sizeValue;      // 0.5..10.0
    float speedValue;     // 5.0..20.0
    uint8_t colour;       // the colours setting: a scheme, Random or Cycle
    uint8_t direction;    // the direction setting
    FrameClock* clock;    // owned; none until the scene is created
    uint32_t glowTexture;
    FadeOverlay* fade;  // owned
    int32_t clientHeight;
    Swarm* swarm;  // owned; survives every rebuild, only its wisps are replaced
    int32_t clientWidth;
    ClientRect clientRect;
};

extern AppState appState;

constexpr uint32_t kMaxFrameStepMs = 40000;
constexpr uint32_t kSceneDuration = 300000000;  // µs: the direction cycle's 5 minutes
constexpr uint32_t kSceneFadeIn = 2000000;
constexpr uint32_t kSceneFadeOut = 2000000;
constexpr uint32_t kSceneHold = 2000000;

// Builds clock, overlay and swarm for the first scene. A swarm that cannot be set up ends the
// process with status -1, as does a scene object that cannot be allocated.
void CreateScene(AppState& app);
// One frame's time step: clock tick, overlay advance and swarm update by the measured step.
void AdvanceFrame(AppState& app);
// After the frame is shown: rebuild the scene when the overlay's cycle has completed.
void CompleteFrame(AppState& app);
void RecreateScene(AppState& app);
// Measures the view: the client size and rectangle, and the swarm's view size, from which the drawing
// takes its aspect factors (so sprites stay round). A size below one pixel counts as one, so the aspect
// factors never divide by zero. Returns true when anything changed; the caller then sets the viewport.
bool ResizeView(AppState& app, int32_t width, int32_t height);
// Frees the scene objects (when the saver window goes away) and leaves the references empty.
void ReleaseScene(AppState& app);
