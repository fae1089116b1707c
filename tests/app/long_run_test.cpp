// A day of the saver at 16 ms frames with the direction and the colours cycling: memory does not
// grow, nothing is allocated outside a scene rebuild, and every wisp stays finite and in range.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.h"
#include "counting_new.h"
#include "fake_tick.h"
#include "scene_app.h"

namespace {

TEST(LongRun, ADayOfCyclingScenes) {
    FakeTickScope tick(0xFFF00000u);  // the tick count wraps during the run, too
    AppState app = MakeSceneApp(kDirectionCycle);

    CreateScene(app);
    const long liveAfterCreation = liveAllocations;
    const long allocationsAfterCreation = allocations;
    long rebuilds = 0;
    const long frames = 24L * 3600 * 1000 / 16;
    for (long frame = 0; frame < frames; ++frame) {
        fakeTick += 16;
        const long before = allocations;
        AdvanceFrame(app);
        ASSERT_EQ(allocations, before) << "allocation during a frame";
        if (FadeFinished(*app.fade)) ++rebuilds;
        CompleteFrame(app);
        if (frame % 4096 == 0 || allocations != before) {
            ASSERT_EQ(liveAllocations, liveAfterCreation) << "memory grows at frame " << frame;
            const Swarm& s = *app.swarm;
            for (int32_t i = 0; i < s.wispCount; ++i) {
                const Wisp& w = s.wisps[i];
                ASSERT_TRUE(std::isfinite(w.position.x) && std::isfinite(w.position.y) &&
                            std::isfinite(w.position.z));
                ASSERT_LE(std::sqrt(double(Vec3LengthSquared(w.jitter))), 0.07 + 1e-7);
                ASSERT_GE(w.glow, 0.0f);
                ASSERT_LE(w.glow, 1.0f);
            }
        }
    }
    // 86,400 s at one rebuild per 300 s and one frame.
    EXPECT_EQ(rebuilds, 287);
    EXPECT_EQ(allocations - allocationsAfterCreation, rebuilds) << "one wisp array per rebuild, nothing else";
    ReleaseScene(app);
}

}  // namespace
