// The OpenGL 1.1 renderer's fixed views, for its own passes and for the reference drawings the tests and
// benchmarks hold it to.
#pragma once

#include <cstdint>

#include "render/renderer.h"
#include "render/sprite_batch.h"

// The two fixed views a pass draws in: the swarm's frustum (+-0.4 at the near plane 0.1, far plane 12)
// and the fade overlay's orthographic 0..1 square (near plane 0.1, far plane 100).
enum ViewKind : int32_t { kSwarmView, kOverlayView };
// Saves both matrix stacks, loads the view's projection and an identity model-view, and leaves the
// matrix mode at GL_MODELVIEW, where the pass places what it draws.
void BeginView(ViewKind view);
// Restores both matrix stacks; the matrix mode is left at GL_MODELVIEW.
void EndView();
