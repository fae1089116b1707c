#include "render/gl_include.h"
#include "render/renderer.h"

void SetupGLState(int32_t width, int32_t height) {
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetupRendererState();
}

void DrawFrame(const AppState& app) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // Nothing tests depth, so only the colour is cleared.
    glClear(GL_COLOR_BUFFER_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Before the first scene exists there is only the black frame to show.
    if (app.swarm != nullptr) DrawSwarm(*app.swarm, app.glowTexture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (app.fade != nullptr) DrawFade(*app.fade, app.spriteList);
}
