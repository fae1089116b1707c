// The swarm as sprites, without any OpenGL call: the aspect factors, the eye-space placement, and every
// wisp's halo and core as a trimmed, coloured square in a vertex batch. The GL 1.1 drawing and the GLES 2
// one hand the same batch to their own draw call, so both draw the same sprites.
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

// The fixed frustum the swarm is seen through: +-kViewHalfSide at the near plane, square whatever the
// window's shape (the viewport stretches it).
constexpr double kViewHalfSide = 0.4;
constexpr double kViewNear = 0.1;
constexpr double kViewFar = 12.0;

constexpr int kSpriteCorners = 4;
constexpr int kIndicesPerSprite = 6;  // two triangles
// Enough for both passes of the largest swarm (2 x 120 wisps); a larger one is drawn in batches.
constexpr int kBatchSprites = 480;

struct SpriteVertex {
    float x, y, z;  // eye space (the model-view is the identity)
    float s, t;
    float r, g, b, a;
};

// The two triangles of every sprite of a full batch, as indices into its vertices.
struct SpriteIndices {
    uint16_t index[kBatchSprites * kIndicesPerSprite];
};
extern const SpriteIndices kSpriteIndices;

// The sprites waiting to be drawn. One lives as long as the process, so drawing takes nothing from the heap.
struct SpriteBatch {
    SpriteVertex vertices[kBatchSprites * kSpriteCorners];
    int32_t count;
};

// Draws the batch's `count` sprites; the batch is emptied afterwards.
using DrawSprites = void (*)(const SpriteBatch& batch);

// Fills the batch with every active wisp's halo, then every wisp's core (so every core lands on the
// finished halo layer), calling `draw` whenever the batch is full and once at the end.
void BatchSwarm(const Swarm& swarm, AspectFactors aspect, SpriteBatch& batch, DrawSprites draw);
