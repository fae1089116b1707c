#include "app/saver_run.h"

#include "render/frame_draw.h"
#include "render/gl_context.h"

void StartSaver(AppState& app, const SaverPlatform& platform, int32_t width, int32_t height,
                const StoredSettings& settings) {
    // A new view starts a new scene; whatever a former one left is not looked at.
    app.clock = nullptr;
    app.fade = nullptr;
    app.swarm = nullptr;
    ResizeView(app, width, height);
    ApplySettings(app, settings);
    const ViewContext made = platform.makeContext(platform.host);
    app.hdc = made.drawable;
    app.hglrc = made.context;
    CreateGLResources(app);
    SetupGLState(app.clientWidth, app.clientHeight);
    CreateScene(app);
}

void FrameTick(AppState& app, const SaverPlatform& platform) {
    AdvanceFrame(app);
    DrawFrame(app);
    platform.showFrame(platform.host, app);
    CompleteFrame(app);
}
