// The fixed camera in which the swarm is drawn, and the drawing of every wisp as a halo and a core
// glow sprite.
#pragma once

#include <cstdint>

#include "render/sprite_batch.h"
#include "sim/swarm.h"

// Saves both matrix stacks, loads the fixed frustum (+-0.4 at the near plane 0.1, far plane 12) and
// an identity model-view, and leaves the matrix mode at GL_MODELVIEW, where the sprites are placed.
AspectFactors BeginSwarmView(const Swarm& swarm);
// Restores both matrix stacks; the matrix mode is left at GL_MODELVIEW.
void EndSwarmView();

// Draws every active wisp's halo, then every wisp's core, with the glow texture: all sprites in one
// draw from client vertex arrays, each sprite's colour with its corners. The caller has cleared the
// frame and set additive blending.
void DrawSwarm(const Swarm& swarm, uint32_t glowTexture);
