#include "render/swarm_view.h"

#include <algorithm>

#include "render/gl_include.h"
#include "render/glow_texture.h"

namespace {

struct SpriteLook {
    Vec3 eye;
    float r, g, b;
    float eased;  // 2 glow - glow^2: brightness eased towards its peak
};

SpriteLook LookOf(const Wisp& wisp, const Swarm& swarm) {
    SpriteLook look{};
    const Vec3 drawn{wisp.position.x + wisp.jitter.x, wisp.position.y + wisp.jitter.y,
                     wisp.position.z + wisp.jitter.z};
    look.eye = PlaceInEyeSpace(drawn);
    look.r = swarm.colourA.x + (swarm.colourB.x - swarm.colourA.x) * wisp.mix;
    look.g = swarm.colourA.y + (swarm.colourB.y - swarm.colourA.y) * wisp.mix;
    look.b = swarm.colourA.z + (swarm.colourB.z - swarm.colourA.z) * wisp.mix;
    look.eased = 2.0f * wisp.glow - wisp.glow * wisp.glow;
    return look;
}

// Each sprite is drawn as the square that just holds the glow's lit circle rather than the whole
// quad: the margin outside it would only add zeros. Its texture coordinates are those the quad has at
// the same place, so every fragment it writes samples what the quad's fragment there would. (An
// octagon round the circle writes a sixth fewer fragments again but costs three times the triangles,
// which software OpenGL pays for more dearly at every sprite size the settings allow.)
constexpr int kCorners = 4;
constexpr int kIndicesPerSprite = 6;  // two triangles
// Enough for both passes of the largest swarm (2 x 120 wisps); a larger one is drawn in batches.
constexpr int kBatchSprites = 480;

struct SpriteVertex {
    float x, y, z;
    float s, t;
    float r, g, b, a;
};

struct Corner {
    float x, y;  // in the unit quad, -0.5..0.5
};
constexpr Corner kCorner[kCorners] = {{-kGlowReach, -kGlowReach},
                                      {kGlowReach, -kGlowReach},
                                      {kGlowReach, kGlowReach},
                                      {-kGlowReach, kGlowReach}};

struct SpriteIndices {
    GLushort index[kBatchSprites * kIndicesPerSprite];
};

constexpr SpriteIndices MakeIndices() {
    SpriteIndices indices{};
    for (int sprite = 0; sprite < kBatchSprites; ++sprite) {
        const int first = sprite * kCorners;
        const int pattern[kIndicesPerSprite] = {0, 1, 2, 0, 2, 3};
        for (int k = 0; k < kIndicesPerSprite; ++k) {
            indices.index[sprite * kIndicesPerSprite + k] = GLushort(first + pattern[k]);
        }
    }
    return indices;
}
constexpr SpriteIndices kIndices = MakeIndices();

// The sprites of one frame, waiting to be drawn. Lives as long as the process, so drawing takes
// nothing from the heap.
struct SpriteBatch {
    SpriteVertex vertices[kBatchSprites * kCorners];
    int32_t count;
};

SpriteBatch batch;

void FlushBatch(SpriteBatch& b) {
    if (b.count == 0) return;
    glDrawElements(GL_TRIANGLES, b.count * kIndicesPerSprite, GL_UNSIGNED_SHORT, kIndices.index);
    b.count = 0;
}

// One sprite: the square's corners placed around the eye-space point with the sprite's scale (the
// model-view is the identity), each carrying the sprite's colour. A sprite whose brightest texel
// would add less than half a step of an 8-bit channel changes nothing and is left out.
void AddSprite(SpriteBatch& b, const SpriteLook& look, float alpha, float scaleX, float scaleY) {
    const float brightest = std::max(look.r, std::max(look.g, look.b)) * alpha * kGlowPeak;
    if (!(brightest >= 0.5f / 255.0f)) return;
    if (b.count == kBatchSprites) FlushBatch(b);
    SpriteVertex* v = b.vertices + b.count * kCorners;
    for (int k = 0; k < kCorners; ++k) {
        const Corner c = kCorner[k];
        v[k] = SpriteVertex{look.eye.x + c.x * scaleX,
                            look.eye.y + c.y * scaleY,
                            look.eye.z,
                            c.x + 0.5f,
                            c.y + 0.5f,
                            look.r,
                            look.g,
                            look.b,
                            alpha};
    }
    ++b.count;
}

}  // namespace

AspectFactors ComputeAspectFactors(int32_t viewWidth, int32_t viewHeight) {
    if (viewWidth <= 0 || viewHeight <= 0) return {kSpriteEnlargement, kSpriteEnlargement};
    const double enlargement = 1.3;
    if (viewWidth > viewHeight) {
        return {float(double(viewHeight) / double(viewWidth) * enlargement), kSpriteEnlargement};
    }
    return {kSpriteEnlargement, float(double(viewWidth) / double(viewHeight) * enlargement)};
}

Vec3 PlaceInEyeSpace(Vec3 viewPoint) {
    return Vec3{2.0f * viewPoint.x - 1.0f, 2.0f * viewPoint.y - 1.0f, -viewPoint.z};
}

void BeginView(ViewKind view) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    if (view == kSwarmView) {
        glFrustum(-0.4, 0.4, -0.4, 0.4, 0.1, 12.0);
    } else {
        glOrtho(0.0, 1.0, 0.0, 1.0, 0.1, 100.0);
    }
    glMatrixMode(GL_MODELVIEW);
}

void EndView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void DrawSwarm(const Swarm& swarm, uint32_t glowTexture) {
    const AspectFactors aspect = ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight);
    BeginView(kSwarmView);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    SpriteBatch& b = batch;
    b.count = 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SpriteVertex), &b.vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(SpriteVertex), &b.vertices[0].s);
    glColorPointer(4, GL_FLOAT, sizeof(SpriteVertex), &b.vertices[0].r);
    const float size = swarm.size;
    // Halos first, so every core lands on the finished halo layer.
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const Wisp& wisp = swarm.wisps[i];
        if (wisp.active == 0) continue;
        const SpriteLook look = LookOf(wisp, swarm);
        const float t = wisp.glow * size;
        const float halo = (2.0f * t - t * t) + 1.1f * size;
        AddSprite(b, look, 0.5f * look.eased, halo * aspect.aspectX, halo * aspect.aspectY);
    }
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const SpriteLook look = LookOf(swarm.wisps[i], swarm);
        AddSprite(b, look, look.eased, size * aspect.aspectX, size * aspect.aspectY);
    }
    FlushBatch(b);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    EndView();
}
