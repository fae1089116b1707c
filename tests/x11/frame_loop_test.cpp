#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "host/x11/hack_view.h"
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

TEST(HackFrameLoop, TheWaitIsTheDelayLessTheFramesOwnTime) {
    EXPECT_EQ(WaitBeforeNextFrame(1000, 1000, 10000), 10000u);
    EXPECT_EQ(WaitBeforeNextFrame(1000, 4000, 10000), 7000u);
    EXPECT_EQ(WaitBeforeNextFrame(1000, 11000, 10000), 0u);
    EXPECT_EQ(WaitBeforeNextFrame(1000, 50000, 10000), 0u);  // a slow frame never waits
    EXPECT_EQ(WaitBeforeNextFrame(1000, 1500, 0), 0u);
    EXPECT_EQ(WaitBeforeNextFrame(5000000000ull, 5000002500ull, 10000000), 9997500u);
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
