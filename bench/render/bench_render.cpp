// Cost of one drawn frame at 1280 x 720 on Mesa's software renderer (OSMesa): the full DrawFrame
// with 40 and 240 wisps against a frame that only clears, in the same run. The counter
// `times_clear` is the frame's cost as a multiple of the clear-only frame's. Each sprite costs six
// GL calls (colour, push, translate, scale, list call, pop); tests/render/test_gl_calls checks it.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/app_state.h"
#include "app/tick.h"
#include "render/frame_draw.h"
#include "render/gl_context.h"
#include "render/gl_include.h"
#include "render/osmesa/offscreen.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;

uint32_t fakeTick = 1;
uint32_t FakeTick() {
    return fakeTick;
}

struct BenchScene {
    OffscreenFrame frame{};
    AppState app{};
    bool ready = false;
};

// A scene of 2 x quantity wisps, 20 simulated seconds in, so wisps are spread out and glowing.
bool OpenScene(BenchScene& scene, int32_t quantity) {
    if (OpenOffscreenFrame(scene.frame, kWidth, kHeight) != 0) return false;
    AppState& app = scene.app;
    app.quantity = quantity;
    app.sizeValue = 2.97f;
    app.speedValue = 9.95f;
    app.colour = kColourCycle;
    app.direction = kDirectionDown;
    app.clientWidth = kWidth;
    app.clientHeight = kHeight;
    CreateGLResources(app);
    SetupGLState(kWidth, kHeight);
    SetTickSource(FakeTick);
    CreateScene(app);
    for (int i = 0; i < 1250; ++i) {
        fakeTick += 16;
        AdvanceFrame(app);
    }
    SetTickSource(nullptr);
    scene.ready = true;
    return true;
}

void CloseScene(BenchScene& scene) {
    ReleaseScene(scene.app);
    CloseOffscreenFrame(scene.frame);
}

void ClearOnly() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
}

double SecondsPerClear() {
    ClearOnly();
    const auto start = std::chrono::steady_clock::now();
    constexpr int kRounds = 50;
    for (int i = 0; i < kRounds; ++i) ClearOnly();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void BM_ClearOnlyFrame(benchmark::State& state) {
    OffscreenFrame frame{};
    if (OpenOffscreenFrame(frame, kWidth, kHeight) != 0) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    SetupGLState(kWidth, kHeight);
    for (auto _ : state) ClearOnly();
    CloseOffscreenFrame(frame);
}
BENCHMARK(BM_ClearOnlyFrame)->Unit(benchmark::kMillisecond);

void BM_DrawFrame(benchmark::State& state) {
    BenchScene scene;
    if (!OpenScene(scene, int32_t(state.range(0)) / 2)) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    const double clear = SecondsPerClear();
    DrawFrame(scene.app);
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        DrawFrame(scene.app);
        glFinish();
    }
    const double perFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                            double(state.iterations());
    state.counters["wisps"] = double(scene.app.swarm->wispCount);
    state.counters["times_clear"] = perFrame / clear;
    CloseScene(scene);
}
BENCHMARK(BM_DrawFrame)->Arg(40)->Arg(240)->Unit(benchmark::kMillisecond);

}  // namespace
