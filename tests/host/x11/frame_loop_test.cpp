#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "host/x11/frame_rate.h"
#include "render/sprite_batch.h"

TEST(HackFrameLoop, AResizedWindowReMeasuresTheViewSoSpritesStayRound) {
    AppState app{};
    Swarm swarm{};
    EXPECT_TRUE(ResizeView(app, 800, 800));
    app.swarm = &swarm;  // the scene is built after the first measure
    swarm.viewWidth = app.clientWidth;
    swarm.viewHeight = app.clientHeight;
    EXPECT_FALSE(ResizeView(app, 800, 800));

    // xscreensaver resizes its window when monitors change: 1600 x 900 must give the wide factors.
    EXPECT_TRUE(ResizeView(app, 1600, 900));
    EXPECT_EQ(app.clientWidth, 1600);
    EXPECT_EQ(app.clientHeight, 900);
    EXPECT_EQ(app.clientRect.right, 1600);
    EXPECT_EQ(app.clientRect.bottom, 900);
    const AspectFactors wide = ComputeAspectFactors(swarm.viewWidth, swarm.viewHeight);
    EXPECT_FLOAT_EQ(wide.aspectX, 0.73125f);
    EXPECT_FLOAT_EQ(wide.aspectY, 1.3f);

    // A window squeezed to nothing is measured as one pixel, never zero.
    EXPECT_TRUE(ResizeView(app, 0, -3));
    EXPECT_EQ(swarm.viewWidth, 1);
    EXPECT_EQ(swarm.viewHeight, 1);
}

TEST(HackFrameLoop, FramesStartNoSoonerThanARefreshAndTheDelayAfterTheFrame) {
    // Frames start at 1000 (microseconds); the screen refreshes every 16667.
    const struct {
        uint32_t delay;
        bool swapWaits;
        uint64_t frameEnd;
        uint64_t now;
        uint32_t wait;
    } cases[] = {
        {0, false, 5000, 5000, 12667},            // --delay 0: the rest of the refresh
        {10000, false, 5000, 5000, 12667},        // a short frame and the delay still inside the refresh
        {10000, false, 9000, 9000, 10000},        // the delay after a longer frame reaches past it
        {10000, false, 9000, 15000, 4000},        // events answered meanwhile count against the wait
        {0, false, 30000, 30000, 0},              // a slow frame never waits
        {0, true, 17000, 17000, 0},               // the swap waited for the refresh already
        {10000, true, 17000, 17000, 10000},       // ... the delay still follows the frame
        {10000000, false, 5000, 5000, 10000000},  // the longest delay
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.delay << (c.swapWaits ? " swap waits, " : ", ") << c.frameEnd);
        EXPECT_EQ(WaitBeforeNextFrame({16667, c.delay, c.swapWaits}, 1000, c.frameEnd, c.now), c.wait);
    }
    // 1080p at 60 Hz (CEA timing), 1080i (half its lines a refresh), a double-scanned 320x200, Xvfb's
    // mode with no clock.
    EXPECT_EQ(RefreshMicroseconds(148500000, 2200, 1125, false, false), 16667u);
    EXPECT_EQ(RefreshMicroseconds(74250000, 2200, 1125, false, true), 16667u);
    EXPECT_EQ(RefreshMicroseconds(25175000, 800, 449, true, false), 28536u);
    EXPECT_EQ(RefreshMicroseconds(0, 0, 0, false, false), 0u);
    // A driver that took the swap interval but does not wait: a second of 90 frames at 60 Hz ends the trust.
    FramePacing pacing{16667, 0, true};
    CheckSwapWaits(pacing, 61.0f);
    EXPECT_TRUE(pacing.swapWaits);
    CheckSwapWaits(pacing, 90.0f);
    EXPECT_FALSE(pacing.swapWaits);
}

TEST(HackFrameLoop, FrameRateIsCountedPerSecondAndShownInGlyphsWeHave) {
    FpsCounter counter{};
    StartFpsCounter(counter, 1000);
    for (uint64_t t = 1000 + 20000; t <= 1000 + 1000000; t += 20000) CountFrame(counter, t);
    EXPECT_FLOAT_EQ(counter.rate, 50.0f);
    EXPECT_EQ(counter.frames, 0u);
    CountFrame(counter, 1000 + 1500000);  // half a second later: the last rate stays shown
    EXPECT_FLOAT_EQ(counter.rate, 50.0f);

    char text[kFpsTextSize];
    FormatFps(59.84f, text);
    EXPECT_STREQ(text, "FPS: 59.8");
    FormatFps(123456.0f, text);
    EXPECT_STREQ(text, "FPS: 9999.9");
    FormatFps(-1.0f, text);
    EXPECT_STREQ(text, "FPS: 0.0");
    for (const char* c = "FPS:0123456789."; *c != '\0'; ++c) {
        const uint8_t* rows = GlyphRows(*c);
        ASSERT_NE(rows, nullptr) << *c;
        bool inked = false;
        for (int32_t y = 0; y < kGlyphHeight; ++y) {
            EXPECT_EQ(rows[y] & ~0x1F, 0) << *c;  // five columns only
            inked = inked || rows[y] != 0;
        }
        EXPECT_TRUE(inked) << *c;
    }
    EXPECT_EQ(GlyphRows(' '), nullptr);
}
