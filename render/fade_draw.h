// The black overlay over the finished picture while a scene fades in or out.
#pragma once

#include <cstdint>

#include "app/frame_clock.h"

// Draws the sprite quad over the whole viewport in black at the overlay's alpha, or nothing when
// the overlay is clear or disabled. Both matrix stacks are left as found, the colour white and
// opaque, texturing on. The caller has set ordinary alpha blending.
void DrawFade(const FadeOverlay& fade, uint32_t list);
