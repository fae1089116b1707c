// The fixed views the swarm and the fade overlay are drawn in, and the drawing of every wisp as a halo
// and a core glow sprite.
#pragma once

#include <cstdint>

#include "sim/swarm.h"
#include "sim/vec3.h"

// Horizontal and vertical sprite scale factors that keep sprites round on a window that is not
// square; both include the common enlargement of 1.3.
struct AspectFactors {
    float aspectX;
    float aspectY;
};

constexpr float kSpriteEnlargement = 1.3f;

// A view of 0 pixels on either side is drawn as a square one rather than dividing by zero.
AspectFactors ComputeAspectFactors(int32_t viewWidth, int32_t viewHeight);
// View units (x, y 0..1 across the window, z depth) to eye space: (2x - 1, 2y - 1, -z).
Vec3 PlaceInEyeSpace(Vec3 viewPoint);

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
