// Cost of one drawn frame at 1280 x 720 on Mesa's software renderer (OSMesa), at the fewest, the default and
// the most particles and at the default and the largest size, for five ways of drawing the same scene:
//   Clear        - a frame that only clears;
//   Floor        - every sprite's whole quad in one draw with per-vertex colour, written plainly;
//   Frame        - Fenlight's DrawFrame;
//   SpriteBySprite - the sprites as Fenlight drew them before they were batched (glColor4f, matrix
//                  and list call per sprite);
//   PerSpriteArrays - one draw per sprite with a four-entry colour array, the batched draw's rival.
// Counters: `fragments` written per frame (an occlusion query), `big_allocs` blocks of 32 KiB or
// more allocated per frame by anything in the process, the driver included.
// Run with --benchmark_enable_random_interleaving=true and repetitions (tools/bench-cost does) so the
// compared drawings share the machine's load; tools/bench-cost prints their medians side by side.
// Saver: the snapshot's scene 20 s in, a frame of each size; bench_render_gles2 (GLES 2 on EGL) has it alone,
// and tools/bench-cost runs the two in alternating rounds: the renderers cannot share a process.
#include <benchmark/benchmark.h>

#ifndef FENLIGHT_GLES2
#include <GL/osmesa.h>
#endif

#include <vector>

#include "app/app_state.h"
#include "app/simulated_time.h"
#include "counting_alloc.h"
#include "host/saver_run.h"
#ifndef FENLIGHT_GLES2
#include "reference_sprites.h"
#endif
#include "render/gl11/views.h"
#include "render/gl_include.h"
#include "render/offscreen.h"
#include "settings/settings.h"
#include "tests/app/fake_tick.h"

#ifndef GL_SAMPLES_PASSED
#define GL_SAMPLES_PASSED 0x8914
#endif
#ifndef GL_QUERY_RESULT
#define GL_QUERY_RESULT 0x8866
#endif

namespace {

constexpr const SettingRule& kParticles = kSettingRules[kFieldQuantity];
#ifndef FENLIGHT_GLES2

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;

using GenQueriesFn = void (*)(GLsizei, GLuint*);
using BeginQueryFn = void (*)(GLenum, GLuint);
using EndQueryFn = void (*)(GLenum);
using GetQueryObjectuivFn = void (*)(GLuint, GLenum, GLuint*);

struct Bench {
    OffscreenFrame frame{};
    bool open = false;
    AppState resources{};  // the glow texture and sprite list every scene draws with
    AppState scenes[3][2]{};
    bool made[3][2]{};
    std::vector<float> quadVertices;
    GenQueriesFn genQueries = nullptr;
    BeginQueryFn beginQuery = nullptr;
    EndQueryFn endQuery = nullptr;
    GetQueryObjectuivFn getQueryResult = nullptr;
    GLuint query = 0;
};
Bench bench;

bool OpenBench() {
    if (bench.open) return true;
    if (OpenOffscreenFrame(bench.frame, kWidth, kHeight) != 0) return false;
    bench.resources.clientWidth = kWidth;
    bench.resources.clientHeight = kHeight;
    CreateGLResources(bench.resources);
    SetupGLState(kWidth, kHeight);
    bench.genQueries = reinterpret_cast<GenQueriesFn>(OSMesaGetProcAddress("glGenQueries"));
    bench.beginQuery = reinterpret_cast<BeginQueryFn>(OSMesaGetProcAddress("glBeginQuery"));
    bench.endQuery = reinterpret_cast<EndQueryFn>(OSMesaGetProcAddress("glEndQuery"));
    bench.getQueryResult = reinterpret_cast<GetQueryObjectuivFn>(OSMesaGetProcAddress("glGetQueryObjectuiv"));
    if (bench.genQueries != nullptr) bench.genQueries(1, &bench.query);
    bench.quadVertices.reserve(480 * 4 * 9);
    bench.open = true;
    return true;
}

int ParticleSlot(int64_t particles) {
    return particles <= kParticles.min ? 0 : particles <= kParticles.fallback ? 1 : 2;
}

// The scene of the given settings, 20 simulated seconds in, so wisps are spread out and glowing and
// the fade overlay is clear. Made once and kept, so every drawing sees the same wisps.
AppState* SceneFor(int64_t particles, int64_t size) {
    const int p = ParticleSlot(particles), s = size <= 26 ? 0 : 1;
    AppState& app = bench.scenes[p][s];
    if (!bench.made[p][s]) {
        app = bench.resources;
        app.quantity = int32_t(particles);
        app.sizeValue = SizeValueFromPosition(uint32_t(size));
        app.speedValue = SpeedValueFromPosition(33);
        app.colour = kColourCycle;
        app.direction = kDirectionDown;
        FakeTickScope tick(1);
        CreateScene(app);
        for (int i = 0; i < 1250; ++i) {
            fakeTick += 16;
            AdvanceFrame(app);
        }
        bench.made[p][s] = true;
    }
    return &app;
}

void ClearOnly(const AppState&) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// The frame around a swarm drawing: clear, additive blending, the swarm, ordinary blending again.
template <typename DrawSprites>
void FrameAround(const AppState& app, DrawSprites drawSprites) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    drawSprites(*app.swarm);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void FloorFrame(const AppState& app) {
    FrameAround(app, [&](const Swarm& swarm) { DrawSwarmQuads(swarm, app.glowTexture, bench.quadVertices); });
}

void SpriteBySpriteFrame(const AppState& app) {
    FrameAround(app,
                [&](const Swarm& swarm) { DrawSwarmSpriteBySprite(swarm, app.glowTexture, app.spriteList); });
}

// One draw per sprite: the quad from a constant array, the colour from a four-entry one, the place
// and scale on the model-view stack.
void PerSpriteArraysFrame(const AppState& app) {
    static const float quad[4][5] = {
        {0, 0, -0.5f, -0.5f, 0}, {0, 1, -0.5f, 0.5f, 0}, {1, 0, 0.5f, -0.5f, 0}, {1, 1, 0.5f, 0.5f, 0}};
    static float colours[4][4];
    FrameAround(app, [&](const Swarm& swarm) {
        BeginView(kSwarmView);
        glBindTexture(GL_TEXTURE_2D, app.glowTexture);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), &quad[0][0]);
        glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), &quad[0][2]);
        glColorPointer(4, GL_FLOAT, 0, colours);
        ForEachReferenceSprite(swarm, [&](const ReferenceSprite& s) {
            for (auto& c : colours) c[0] = s.r, c[1] = s.g, c[2] = s.b, c[3] = s.a;
            glPushMatrix();
            glTranslatef(s.eye.x, s.eye.y, s.eye.z);
            glScalef(s.scaleX, s.scaleY, 1.0f);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            glPopMatrix();
        });
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        EndView();
    });
}

void FenlightFrame(const AppState& app) {
    DrawFrame(app);
}

template <void (*Draw)(const AppState&)>
void BM_Draw(benchmark::State& state) {
    if (!OpenBench()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    const AppState& app = *SceneFor(state.range(0), state.range(1));
    // Fragments of one frame, counted by the renderer.
    GLuint fragments = 0;
    if (bench.query != 0) {
        bench.beginQuery(GL_SAMPLES_PASSED, bench.query);
        Draw(app);
        bench.endQuery(GL_SAMPLES_PASSED);
        bench.getQueryResult(bench.query, GL_QUERY_RESULT, &fragments);
    }
    Draw(app);
    glFinish();
    const long allocationsBefore = bigAllocations.load();
    for (auto _ : state) {
        Draw(app);
        glFinish();
    }
    state.counters["fragments"] = double(fragments);
    state.counters["big_allocs"] =
        double(bigAllocations.load() - allocationsBefore) / double(std::max<int64_t>(1, state.iterations()));
}

void Settings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"particles", "size"})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
    for (uint32_t particles : {kParticles.min, kParticles.fallback, kParticles.max}) {
        for (uint32_t size : {kDefaultSize, kSettingRules[kFieldSize].max}) b->Args({particles, size});
    }
}

BENCHMARK_TEMPLATE(BM_Draw, ClearOnly)->Name("Clear")->Apply(Settings);
BENCHMARK_TEMPLATE(BM_Draw, FloorFrame)->Name("Floor")->Apply(Settings);
BENCHMARK_TEMPLATE(BM_Draw, FenlightFrame)->Name("Frame")->Apply(Settings);
BENCHMARK_TEMPLATE(BM_Draw, SpriteBySpriteFrame)->Name("SpriteBySprite")->Apply(Settings);
BENCHMARK_TEMPLATE(BM_Draw, PerSpriteArraysFrame)->Name("PerSpriteArrays")->Apply(Settings);
#endif

// Registered last, to run after the others: its frames leave theirs no longer current.
void BM_Saver(benchmark::State& state) {
    const auto width = int32_t(state.range(0)), height = int32_t(state.range(1));
    OffscreenFrame frame{};
    if (OpenOffscreenFrame(frame, width, height) != 0) return state.SkipWithError(frame.failure);
    const StoredSettings settings{kDefaultColor, kDefaultDirection, uint32_t(state.range(2)),
                                  uint32_t(state.range(3)), kDefaultSpeed};
    AppState app{};
    StartSimulatedTime(1);
    StartSaver(app, width, height, settings);
    AdvanceSimulatedTime(app, 20.0);
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    DrawFrame(app);  // the shaders are compiled with the first
    glFinish();
    for (auto _ : state) {
        DrawFrame(app);
        glFinish();
    }
    ReleaseSaver(app);
    CloseOffscreenFrame(frame);
}
BENCHMARK(BM_Saver)
    ->Name("Saver")
    ->ArgNames({"width", "height", "particles", "size"})
    ->Args({1280, 720, kDefaultQuantity, kDefaultSize})
    ->Args({1920, 1080, kDefaultQuantity, kDefaultSize})
    ->Args({1280, 720, kParticles.max, kSettingRules[kFieldSize].max})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
