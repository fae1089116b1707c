#include "render/frame_draw.h"

#include "render/fade_draw.h"
#include "render/gl_include.h"
#include "render/swarm_view.h"

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
