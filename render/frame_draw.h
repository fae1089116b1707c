// One frame's picture: clear to black, the swarm with additive blending, then the fade overlay with
// ordinary alpha blending. Only showing the picture (the buffer swap) is left to the platform.
#pragma once

#include "app/app_state.h"

void DrawFrame(const AppState& app);
