// The OpenGL 1.1 renderer (render/renderer.h): fixed-function state, the sprite quad as a display list,
// every sprite of a batch in one draw from client vertex arrays.
#include "render/gl_include.h"
#include "render/gl11/views.h"
#include "render/glow_texture.h"

#ifndef GL_RGB8
#define GL_RGB8 0x8051
#endif

namespace {

SpriteBatch batch;

void DrawBatch(const SpriteBatch& b) {
    glDrawElements(GL_TRIANGLES, b.count * kIndicesPerSprite, GL_UNSIGNED_SHORT, kSpriteIndices.index);
}

struct QuadVertex {
    float s, t, x, y;
};

// The unit quad (-0.5..0.5 in x and y at z = 0, the whole texture over it) in triangle-strip order: lower
// left, upper left, lower right, upper right.
constexpr QuadVertex kQuad[4] = {
    {0.0f, 0.0f, -0.5f, -0.5f},
    {0.0f, 1.0f, -0.5f, 0.5f},
    {1.0f, 0.0f, 0.5f, -0.5f},
    {1.0f, 1.0f, 0.5f, 0.5f},
};

// The quad as a list with no colour, binding or matrix of its own.
uint32_t BuildSpriteList() {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    for (const QuadVertex& v : kQuad) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, 0.0f);
    }
    glEnd();
    glEndList();
    return list;
}

}  // namespace

void SetupRendererState() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CreateGLResources(AppState& app) {
    // Stored as RGB (each channel the luminance, alpha 1): software OpenGL samples it faster than a
    // luminance texture, and with GL_MODULATE the picture is the same.
    app.glowTexture = CreateGlowTexture(GL_RGB8);
    app.spriteList = BuildSpriteList();
}

void ReleaseGLResources(AppState& app) {
    // A record that never started names nothing and makes no call (it may have no context).
    if (app.glowTexture != 0) glDeleteTextures(1, &app.glowTexture);
    if (app.spriteList != 0) glDeleteLists(app.spriteList, 1);
    app.glowTexture = 0;
    app.spriteList = 0;
}

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

void DrawFade(const FadeOverlay& fade, uint32_t list) {
    const float alpha = FadeAlpha(fade);
    if (!(alpha > 0.0f)) return;
    BeginView(kOverlayView);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    // The unit quad, moved to the middle of the 0..1 view, covers the whole viewport.
    glTranslatef(0.5f, 0.5f, -1.0f);
    glCallList(list);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    EndView();
}
