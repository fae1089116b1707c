// Drawing frames takes nothing from the heap: a counting global operator new watches many frames of
// the largest scene. The drawing runs against the recording stand-in with its record switched off,
// so only our own code is counted, not a GL implementation's internals.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "recording_gl.h"
#include "tests/app/counting_new.h"
#include "host/saver_run.h"
#include "render/renderer.h"
#include "tests/app/fake_tick.h"

namespace {

TEST(FrameAllocation, ManyFramesOfTheLargestSceneAllocateNothing) {
    recordingCalls = false;
    FakeTickScope tick(1);
    AppState app{};
    // The largest scene, cycling direction (so the overlay draws too) and colours.
    StartSaver(app, 320, 180,
               StoredSettings{kColourCycle, kDirectionCycle, kSettingRules[kFieldQuantity].max, 50, 60});
    ASSERT_EQ(app.swarm->wispCount, 240);

    long drawing = 0, stepping = 0;
    for (int i = 0; i < 2000; ++i) {  // 32 s of frames: through the fade-in and a colour change
        fakeTick += 16;
        long before = allocations;
        AdvanceFrame(app);
        stepping += allocations - before;
        before = allocations;
        DrawFrame(app);
        drawing += allocations - before;
    }
    EXPECT_EQ(drawing, 0);
    EXPECT_EQ(stepping, 0);
    ReleaseSaver(app);
}

}  // namespace
