#include "render/swarm_view.h"

#include "render/gl_include.h"

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

// One sprite: a colour, then a translation and scale on the model-view stack around one call of
// the quad's list. The projection stack is never deeper than the two entries OpenGL guarantees.
void DrawSprite(const SpriteLook& look, float alpha, float scaleX, float scaleY, uint32_t spriteList) {
    glColor4f(look.r, look.g, look.b, alpha);
    glPushMatrix();
    glTranslated(double(look.eye.x), double(look.eye.y), double(look.eye.z));
    glScalef(scaleX, scaleY, 1.0f);
    glCallList(spriteList);
    glPopMatrix();
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

AspectFactors BeginSwarmView(const Swarm& swarm) {
    const AspectFactors aspect = ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-0.4, 0.4, -0.4, 0.4, 0.1, 12.0);
    glMatrixMode(GL_MODELVIEW);
    return aspect;
}

void EndSwarmView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void DrawSwarm(const Swarm& swarm, uint32_t glowTexture, uint32_t spriteList) {
    const AspectFactors aspect = BeginSwarmView(swarm);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    const float size = swarm.size;
    // Halos first, so every core lands on the finished halo layer.
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const Wisp& wisp = swarm.wisps[i];
        if (wisp.active == 0) continue;
        const SpriteLook look = LookOf(wisp, swarm);
        const float t = wisp.glow * size;
        const float halo = (2.0f * t - t * t) + 1.1f * size;
        DrawSprite(look, 0.5f * look.eased, halo * aspect.aspectX, halo * aspect.aspectY, spriteList);
    }
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const SpriteLook look = LookOf(swarm.wisps[i], swarm);
        DrawSprite(look, look.eased, size * aspect.aspectX, size * aspect.aspectY, spriteList);
    }
    EndSwarmView();
}
