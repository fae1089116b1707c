// Two plain ways of drawing a swarm's sprites that the saver's own drawing is measured against:
// - one sprite at a time as the saver used to (a colour, a push, translation and scale, a call of the
//   quad's list, a pop): the reference picture, and the "before" of the benchmarks;
// - every sprite's whole quad in one draw with per-vertex colour: the benchmarks' floor.
// Both draw the same sprites in the same order: the halos of active wisps, then every core.
#pragma once

#include <vector>

#include "render/gl_include.h"
#include "render/gl11/views.h"
#include "sim/swarm.h"

struct ReferenceSprite {
    Vec3 eye;
    float scaleX, scaleY;
    float r, g, b, a;
};

template <typename Fn>
void ForEachReferenceSprite(const Swarm& swarm, Fn fn) {
    const AspectFactors aspect = ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight);
    const float size = swarm.size;
    for (int pass = 0; pass < 2; ++pass) {
        for (int32_t i = 0; i < swarm.wispCount; ++i) {
            const Wisp& w = swarm.wisps[i];
            if (pass == 0 && w.active == 0) continue;
            const Vec3 eye = PlaceInEyeSpace(
                {w.position.x + w.jitter.x, w.position.y + w.jitter.y, w.position.z + w.jitter.z});
            const float eased = 2.0f * w.glow - w.glow * w.glow;
            const float t = w.glow * size;
            const float scale = pass == 0 ? (2.0f * t - t * t) + 1.1f * size : size;
            const Vec3 a = swarm.colourA, b = swarm.colourB;
            fn(ReferenceSprite{eye, scale * aspect.aspectX, scale * aspect.aspectY, a.x + (b.x - a.x) * w.mix,
                               a.y + (b.y - a.y) * w.mix, a.z + (b.z - a.z) * w.mix,
                               pass == 0 ? 0.5f * eased : eased});
        }
    }
}

inline void DrawSwarmSpriteBySprite(const Swarm& swarm, uint32_t glowTexture, uint32_t spriteList) {
    BeginView(kSwarmView);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    ForEachReferenceSprite(swarm, [&](const ReferenceSprite& s) {
        glColor4f(s.r, s.g, s.b, s.a);
        glPushMatrix();
        glTranslated(double(s.eye.x), double(s.eye.y), double(s.eye.z));
        glScalef(s.scaleX, s.scaleY, 1.0f);
        glCallList(spriteList);
        glPopMatrix();
    });
    EndView();
}

// x, y, z, s, t, r, g, b, a of each quad corner; `vertices` keeps its room from frame to frame.
inline void DrawSwarmQuads(const Swarm& swarm, uint32_t glowTexture, std::vector<float>& vertices) {
    BeginView(kSwarmView);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    vertices.clear();
    ForEachReferenceSprite(swarm, [&](const ReferenceSprite& s) {
        const float corners[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
        for (const auto& c : corners) {
            vertices.insert(vertices.end(), {s.eye.x + c[0] * s.scaleX, s.eye.y + c[1] * s.scaleY, s.eye.z,
                                             c[0] + 0.5f, c[1] + 0.5f, s.r, s.g, s.b, s.a});
        }
    });
    const GLsizei stride = 9 * sizeof(float);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, stride, vertices.data() + 3);
    glColorPointer(4, GL_FLOAT, stride, vertices.data() + 5);
    glDrawArrays(GL_QUADS, 0, GLsizei(vertices.size() / 9));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    EndView();
}
