#include "render/gl_context.h"

#include "render/gl_include.h"
#include "render/glow_texture.h"
#include "res/glow_image.h"

void SetupGLState(int32_t width, int32_t height) {
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CreateGLResources(AppState& app) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    CreateGlowTexture(GlowImage, &app.glowTexture);
    BuildSpriteList(&app.spriteList);
}

void ReleaseGLResources(AppState& app) {
    // A record that never started names nothing and makes no call (it may have no context).
    if (app.glowTexture != 0) glDeleteTextures(1, &app.glowTexture);
    if (app.spriteList != 0) glDeleteLists(app.spriteList, 1);
    app.glowTexture = 0;
    app.spriteList = 0;
}
