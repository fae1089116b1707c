// The fixed views the swarm and the fade overlay are drawn in, and the drawing of every wisp as a halo
// and a core glow sprite.
#pragma once

#include <cstdint>

#include "render/sprite_batch.h"
#include "sim/swarm.h"

// The two fixed views a pass draws in: the swarm's frustum (+-0.4 at the near plane 0.1, far plane 12)
// and the fade overlay's orthographic 0..1 square (near plane 0.1, far plane 100).
enum ViewKind : int32_t { kSwarmView, kOverlayView };
// Saves both matrix stacks, loads the view's projection and an identity model-view, and leaves the
// matrix mode at GL_MODELVIEW, where the pass places what it draws.
void BeginView(ViewKind view);
// Restores both matrix stacks; the matrix mode is left at GL_MODELVIEW.
void EndView();

// Draws every active wisp's halo, then every wisp's core, with the glow texture: all sprites in one
// draw from client vertex arrays, each sprite's colour with its corners. The caller has cleared the
// frame and set additive blending.
void DrawSwarm(const Swarm& swarm, uint32_t glowTexture);
