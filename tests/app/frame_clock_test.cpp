#include <gtest/gtest.h>

#include <utility>

#include "app/frame_clock.h"
#include "fake_tick.h"

namespace {

TEST(FrameClock, StepIsBoundedAndSurvivesTheWrap) {
    FakeTickScope tick(1000);
    FrameClock clock{};
    StartClock(clock, 40000);
    EXPECT_EQ(clock.start, 1000u);
    EXPECT_EQ(clock.step, 1u);
    // The same millisecond, a frame, the longest step, an hour's stall.
    for (auto [advance, step] :
         {std::pair{0u, 1u}, std::pair{16u, 16u}, std::pair{40000u, 40000u}, std::pair{3600000u, 40000u}}) {
        fakeTick += advance;
        TickClock(clock);
        EXPECT_EQ(clock.step, step) << advance;
    }
    fakeTick = 0xFFFFFFF0u;
    TickClock(clock);
    fakeTick = 0x00000010u;
    TickClock(clock);
    EXPECT_EQ(clock.step, 32u);
    EXPECT_EQ(clock.previous, 0xFFFFFFF0u);
}

TEST(FadeOverlay, AlphaAtItsBoundaries) {
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);
    auto alphaAt = [&](uint32_t e) {
        fade.elapsed = e;
        return FadeAlpha(fade);
    };
    EXPECT_EQ(alphaAt(0), 1.0f);
    EXPECT_FLOAT_EQ(alphaAt(500000), 0.75f);
    EXPECT_EQ(alphaAt(2000000), 0.0f);
    EXPECT_EQ(alphaAt(150000000), 0.0f);
    EXPECT_EQ(alphaAt(296000000), 0.0f);  // S: nothing drawn yet
    EXPECT_FLOAT_EQ(alphaAt(297000000), 0.5f);
    EXPECT_EQ(alphaAt(298000000), 1.0f);  // E
    EXPECT_EQ(alphaAt(300000000), 1.0f);
    EXPECT_FALSE(FadeFinished(fade));  // at the duration: not yet
    EXPECT_EQ(alphaAt(300000001), 1.0f);
    EXPECT_TRUE(FadeFinished(fade));
    ResetFade(fade);
    EXPECT_EQ(fade.elapsed, 0u);
    AdvanceFade(fade, 7);
    EXPECT_EQ(fade.elapsed, 7u);
}

TEST(FadeOverlay, DisabledOverlayIsInert) {
    FadeOverlay fade{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, false);
    for (int i = 0; i < 100; ++i) AdvanceFade(fade, 40000000);
    EXPECT_EQ(fade.elapsed, 0u);
    EXPECT_EQ(FadeAlpha(fade), 0.0f);
    fade.elapsed = 400000000;
    EXPECT_FALSE(FadeFinished(fade));
    EXPECT_EQ(FadeAlpha(fade), 0.0f);
}

}  // namespace
