// Simulated time, for pictures that must come out the same on every run (fenlight-snapshot and the web
// page's still frame): the frame clock starts at a given tick, which the scene seeds its random sequence
// with, and the scene advances in fixed frames rather than by the wall clock.
#pragma once

#include <cstdint>

#include "app/app_state.h"

constexpr uint32_t kSimulatedFrameMs = 16;
// The longest time a picture is taken after: a day, fenlight-snapshot's limit (the page's is an hour).
constexpr double kMaxSimulatedSeconds = 86400.0;

// From now on the frame clock reads simulated time, starting at `seed`. Call it before the scene is
// started, so the seed is also the random sequence's.
void StartSimulatedTime(uint32_t seed);
// Advances the scene by `seconds` of simulated time, rounded to whole frames, each frame with its time step
// and its end-of-frame check (so a direction cycle completes as it would on screen). Nothing is drawn. Time
// past kMaxSimulatedSeconds (infinity too) is taken as that much; none, a negative time or NaN as none.
void AdvanceSimulatedTime(AppState& app, double seconds);
