#include "render/swarm_view.h"

#include "render/gl_include.h"

namespace {

SpriteBatch batch;

void DrawBatch(const SpriteBatch& b) {
    glDrawElements(GL_TRIANGLES, b.count * kIndicesPerSprite, GL_UNSIGNED_SHORT, kSpriteIndices.index);
}

}  // namespace

AspectFactors BeginSwarmView(const Swarm& swarm) {
    const AspectFactors aspect = ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-kViewHalfSide, kViewHalfSide, -kViewHalfSide, kViewHalfSide, kViewNear, kViewFar);
    glMatrixMode(GL_MODELVIEW);
    return aspect;
}

void EndSwarmView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void DrawSwarm(const Swarm& swarm, uint32_t glowTexture) {
    const AspectFactors aspect = BeginSwarmView(swarm);
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
    EndSwarmView();
}
