#include "render/swarm_view.h"

#include "render/gl_include.h"

namespace {

SpriteBatch batch;

void DrawBatch(const SpriteBatch& b) {
    glDrawElements(GL_TRIANGLES, b.count * kIndicesPerSprite, GL_UNSIGNED_SHORT, kSpriteIndices.index);
}

}  // namespace

void BeginView(ViewKind view) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    if (view == kSwarmView) {
        glFrustum(-kViewHalfSide, kViewHalfSide, -kViewHalfSide, kViewHalfSide, kViewNear, kViewFar);
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
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SpriteVertex), &batch.vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(SpriteVertex), &batch.vertices[0].s);
    glColorPointer(4, GL_FLOAT, sizeof(SpriteVertex), &batch.vertices[0].r);
    BatchSwarm(swarm, aspect, batch, DrawBatch);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    EndView();
}
