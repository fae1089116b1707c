// One drawn frame of the saver's scene on software OpenGL (Mesa llvmpipe), offscreen, with the renderer
// this program is built with: bench_frame_gl11 (OpenGL 1.1 on OSMesa) or bench_frame_gles2 (OpenGL ES 2.0
// on EGL without a display). The two renderers cannot share a process, so tools/bench-cost runs the two
// programs in alternating rounds and prints their frame times side by side. Both draw the scene
// fenlight-snapshot would show of the same settings 20 simulated seconds in (seed 1), at 1280 x 720 and
// 1920 x 1080 at the default settings, and at 1280 x 720 with the most and largest wisps.
#include <benchmark/benchmark.h>

#include "app/app_state.h"
#include "app/simulated_time.h"
#include "host/saver_run.h"
#include "render/gl_include.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "settings/settings.h"

namespace {

void BM_Frame(benchmark::State& state) {
    const auto width = int32_t(state.range(0)), height = int32_t(state.range(1));
    OffscreenFrame frame{};
    if (OpenOffscreenFrame(frame, width, height) != 0) {
        state.SkipWithError(frame.failure);
        return;
    }
    StoredSettings settings = kDefaultSettings;
    settings.quantity = uint32_t(state.range(2));
    settings.size = uint32_t(state.range(3));
    AppState app{};
    StartSimulatedTime(1);
    StartSaver(app, width, height, settings);
    AdvanceSimulatedTime(app, 20.0);
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    DrawFrame(app);
    glFinish();
    for (auto _ : state) {
        DrawFrame(app);
        glFinish();
    }
    ReleaseSaver(app);
    CloseOffscreenFrame(frame);
}

BENCHMARK(BM_Frame)
    ->Name("Frame")
    ->ArgNames({"width", "height", "particles", "size"})
    ->Args({1280, 720, kDefaultQuantity, kDefaultSize})
    ->Args({1920, 1080, kDefaultQuantity, kDefaultSize})
    ->Args({1280, 720, 120, 100})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
