#include <cstdlib>
#include <new>

#include "app/app_state.h"
#include "sim/random.h"

AppState appState{};

namespace {

void EndProcess() {
    std::exit(-1);
}

template <typename T>
T* CreateObject() {
    T* object = new (std::nothrow) T{};
    if (object == nullptr) EndProcess();
    return object;
}

void PrepareClockAndFade(AppState& app) {
    if (app.clock == nullptr) {
        app.clock = CreateObject<FrameClock>();
        StartClock(*app.clock, kMaxFrameStepMs);
        // Each run draws a different random sequence.
        SeedRandom(app.clock->start);
    }
    const bool cycle = app.direction == kDirectionCycle;
    if (app.fade == nullptr) {
        app.fade = CreateObject<FadeOverlay>();
        InitFade(*app.fade, kSceneDuration, kSceneFadeIn, kSceneFadeOut, kSceneHold, cycle);
    }
    app.fade->enabled = cycle;
}

bool DirectionIsDrawn(uint8_t direction) {
    return direction == kDirectionRandom || direction == kDirectionCycle;
}

void SetUpOrEnd(AppState& app, uint8_t chosen) {
    const float speed = float(double(app.speedValue) * 1e-8);
    const float size = float(double(app.sizeValue) * 0.03);
    if (SetUpSwarm(*app.swarm, app.quantity, chosen, speed, size, app.clientWidth, app.clientHeight,
                   app.colour) != 0) {
        EndProcess();
    }
}

}  // namespace

void CreateScene(AppState& app) {
    PrepareClockAndFade(app);
    uint8_t chosen = app.direction;
    if (DirectionIsDrawn(app.direction)) chosen = uint8_t(RandomInt(0, 2));
    if (app.swarm == nullptr) {
        app.swarm = CreateObject<Swarm>();
        SetUpOrEnd(app, chosen);
    }
}

void RecreateScene(AppState& app) {
    PrepareClockAndFade(app);
    bool hasPrevious = false;
    uint8_t previous = 0;
    if (app.swarm != nullptr) {
        hasPrevious = true;
        previous = app.swarm->direction;
        ReleaseWisps(*app.swarm);
    } else {
        app.swarm = CreateObject<Swarm>();
    }
    uint8_t chosen = app.direction;
    if (DirectionIsDrawn(app.direction)) {
        // A new scene never repeats the direction of the scene that is ending.
        do {
            chosen = uint8_t(RandomInt(0, 2));
        } while (hasPrevious && chosen == previous);
    }
    SetUpOrEnd(app, chosen);
}

void AdvanceFrame(AppState& app) {
    TickClock(*app.clock);
    const uint32_t elapsed = app.clock->step * 1000u;
    AdvanceFade(*app.fade, elapsed);
    UpdateSwarm(*app.swarm, elapsed);
}

void CompleteFrame(AppState& app) {
    if (FadeFinished(*app.fade)) {
        RecreateScene(app);
        ResetFade(*app.fade);
    }
}

void ReleaseScene(AppState& app) {
    if (app.swarm != nullptr) ReleaseWisps(*app.swarm);
    delete app.swarm;
    delete app.fade;
    delete app.clock;
    app.swarm = nullptr;
    app.fade = nullptr;
    app.clock = nullptr;
}

bool ResizeView(AppState& app, int32_t width, int32_t height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    bool changed = app.clientWidth != width || app.clientHeight != height;
    app.clientWidth = width;
    app.clientHeight = height;
    app.clientRect = ClientRect{0, 0, width, height};
    if (app.swarm != nullptr) {
        changed = changed || app.swarm->viewWidth != width || app.swarm->viewHeight != height;
        app.swarm->viewWidth = width;
        app.swarm->viewHeight = height;
    }
    return changed;
}
