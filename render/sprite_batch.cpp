#include "render/sprite_batch.h"

#include <algorithm>

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
struct Corner {
    float x, y;  // in the unit quad, -0.5..0.5
};
constexpr Corner kCorner[kSpriteCorners] = {{-kGlowReach, -kGlowReach},
                                            {kGlowReach, -kGlowReach},
                                            {kGlowReach, kGlowReach},
                                            {-kGlowReach, kGlowReach}};

constexpr SpriteIndices MakeIndices() {
    SpriteIndices indices{};
    for (int sprite = 0; sprite < kBatchSprites; ++sprite) {
        const int first = sprite * kSpriteCorners;
        const int pattern[kIndicesPerSprite] = {0, 1, 2, 0, 2, 3};
        for (int k = 0; k < kIndicesPerSprite; ++k) {
            indices.index[sprite * kIndicesPerSprite + k] = uint16_t(first + pattern[k]);
        }
    }
    return indices;
}

void Flush(SpriteBatch& b, DrawSprites draw) {
    if (b.count == 0) return;
    draw(b);
    b.count = 0;
}

// One sprite: the square's corners placed around the eye-space point with the sprite's scale, each
// carrying the sprite's colour. A sprite whose brightest texel would add less than half a step of an
// 8-bit channel changes nothing and is left out.
void AddSprite(SpriteBatch& b, DrawSprites draw, const SpriteLook& look, float alpha, float scaleX,
               float scaleY) {
    const float brightest = std::max(look.r, std::max(look.g, look.b)) * alpha * kGlowPeak;
    if (!(brightest >= 0.5f / 255.0f)) return;
    if (b.count == kBatchSprites) Flush(b, draw);
    SpriteVertex* v = b.vertices + b.count * kSpriteCorners;
    for (int k = 0; k < kSpriteCorners; ++k) {
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

constexpr SpriteIndices kSpriteIndices = MakeIndices();

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

void BatchSwarm(const Swarm& swarm, AspectFactors aspect, SpriteBatch& batch, DrawSprites draw) {
    batch.count = 0;
    const float size = swarm.size;
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const Wisp& wisp = swarm.wisps[i];
        if (wisp.active == 0) continue;
        const SpriteLook look = LookOf(wisp, swarm);
        const float t = wisp.glow * size;
        const float halo = (2.0f * t - t * t) + 1.1f * size;
        AddSprite(batch, draw, look, 0.5f * look.eased, halo * aspect.aspectX, halo * aspect.aspectY);
    }
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const SpriteLook look = LookOf(swarm.wisps[i], swarm);
        AddSprite(batch, draw, look, look.eased, size * aspect.aspectX, size * aspect.aspectY);
    }
    Flush(batch, draw);
}
