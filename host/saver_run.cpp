#include "host/saver_run.h"

#include "render/renderer.h"

void StartSaver(AppState& app, int32_t width, int32_t height, const StoredSettings& settings) {
    ReleaseSaver(app);
    ResizeView(app, width, height);
    ApplySettings(app, settings);
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

void ResumeScene(AppState& app) {
    if (app.clock != nullptr) TickClock(*app.clock);
}

void ResizeSaver(AppState& app, int32_t width, int32_t height) {
    if (ResizeView(app, width, height)) SetupGLState(app.clientWidth, app.clientHeight);
}

void RestoreSaverGL(AppState& app, int32_t width, int32_t height) {
    ReleaseGLResources(app);
    CreateGLResources(app);
    ResizeView(app, width, height);
    SetupGLState(app.clientWidth, app.clientHeight);
}

void ReleaseSaver(AppState& app) {
    ReleaseGLResources(app);
    ReleaseScene(app);
}
