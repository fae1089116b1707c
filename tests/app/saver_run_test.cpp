// The start-up and frame both hosts share, on an offscreen context: a view without width or height counts
// as one pixel each way, and a frame is shown after its time step and before the end-of-frame
// check, so the frame that completes the direction cycle is shown with the old scene.
#include <gtest/gtest.h>

#include "app/saver_run.h"
#include "fake_tick.h"
#include "render/gl_include.h"
#include "render/osmesa/offscreen.h"

namespace {

struct FakeHost {
    OffscreenFrame frame{};
    int32_t contextsMade = 0;
    int32_t framesShown = 0;
    uint32_t tickWhenShown = 0;
    uint8_t directionWhenShown = 0;
};

ViewContext MakeOffscreen(void* host) {
    auto& fake = *static_cast<FakeHost*>(host);
    ++fake.contextsMade;
    if (OpenOffscreenFrame(fake.frame, 8, 8) != 0) return {nullptr, nullptr};
    return {&fake.frame, fake.frame.context};
}

void RecordShown(void* host, const AppState& app) {
    auto& fake = *static_cast<FakeHost*>(host);
    ++fake.framesShown;
    fake.tickWhenShown = app.clock->current;
    fake.directionWhenShown = app.swarm->direction;
}

struct Started {
    FakeHost fake;
    SaverPlatform platform{&fake, MakeOffscreen, RecordShown};
    AppState app{};
    Started(int32_t width, int32_t height, uint32_t direction) {
        StoredSettings settings = kDefaultSettings;
        settings.direction = direction;
        StartSaver(app, platform, width, height, settings);
    }
    ~Started() {
        ReleaseScene(app);
        CloseOffscreenFrame(fake.frame);
    }
};

TEST(SaverRun, AViewWithoutWidthOrHeightCountsAsOnePixel) {
    FakeTickScope tick(1000);
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{0, 600}, std::pair{800, -4}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Started s(width, height, kDirectionIn);
        ASSERT_EQ(s.fake.contextsMade, 1);
        ASSERT_NE(s.app.hglrc, nullptr);
        EXPECT_EQ(s.app.hdc, &s.fake.frame);
        EXPECT_TRUE(glIsTexture(s.app.glowTexture));
        EXPECT_EQ(s.app.clientWidth, width > 0 ? width : 1);
        EXPECT_EQ(s.app.clientHeight, height > 0 ? height : 1);
        ASSERT_NE(s.app.swarm, nullptr);
        EXPECT_EQ(s.app.swarm->viewWidth, s.app.clientWidth);
        EXPECT_EQ(s.app.swarm->viewHeight, s.app.clientHeight);
        EXPECT_EQ(s.app.quantity, int32_t(kDefaultQuantity));
        // That the wisps then stay finite frame after frame is checked on the Windows saver window.
    }
}

TEST(SaverRun, AFrameIsShownAfterItsStepAndBeforeTheSceneIsRebuilt) {
    FakeTickScope tick(5000);
    Started s(320, 200, kDirectionCycle);
    fakeTick += 16;
    FrameTick(s.app, s.platform);
    EXPECT_EQ(s.fake.tickWhenShown, fakeTick);
    const uint8_t first = s.app.swarm->direction;
    // The frame that passes the 300 s cycle is still shown with the first scene.
    for (int i = 0; i < 10 && s.app.swarm->direction == first; ++i) {
        fakeTick += 40000;
        FrameTick(s.app, s.platform);
        EXPECT_EQ(s.fake.directionWhenShown, first);
    }
    EXPECT_NE(s.app.swarm->direction, first);
    EXPECT_EQ(s.app.fade->elapsed, 0u);
}

}  // namespace
