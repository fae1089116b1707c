// The start-up, frame and release every host shares, on an offscreen context: a view without width or
// height counts as one pixel each way, a second start releases the first, and a frame is shown after its
// time step and before the end-of-frame check, so the frame that completes the direction cycle is shown
// with the old scene.
#include <gtest/gtest.h>

#include "host/saver_run.h"
#include "tests/app/fake_tick.h"
#include "render/gl_include.h"
#include "render/offscreen.h"

namespace {

struct FakeHost {
    uint32_t tickWhenShown = 0;
    uint8_t directionWhenShown = 0;
};

void RecordShown(void* host, const AppState& app) {
    auto& fake = *static_cast<FakeHost*>(host);
    fake.tickWhenShown = app.clock->current;
    fake.directionWhenShown = app.swarm->direction;
}

// A host's whole life: it makes its context, the shared code starts, and on the way out the shared code
// releases before the host destroys its context.
struct Started {
    OffscreenFrame frame{};
    FakeHost fake;
    SaverPlatform platform{&fake, RecordShown};
    AppState app{};
    Started(int32_t width, int32_t height, uint32_t direction) {
        EXPECT_EQ(OpenOffscreenFrame(frame, 8, 8), 0);
        StoredSettings settings = kDefaultSettings;
        settings.direction = direction;
        StartSaver(app, width, height, settings);
    }
    ~Started() {
        ReleaseSaver(app);
        CloseOffscreenFrame(frame);
    }
};

TEST(SaverRun, AViewWithoutWidthOrHeightCountsAsOnePixel) {
    FakeTickScope tick(1000);
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{0, 600}, std::pair{800, -4}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Started s(width, height, kDirectionIn);
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

// A running view starts a new scene with new settings: nothing of the first start is left behind (the
// sanitizer build's leak check sees the scene objects; the GL names are checked here), and the release
// leaves the record empty.
TEST(SaverRun, StartingAgainReleasesWhatTheFormerStartHeld) {
    FakeTickScope tick(1000);
    Started s(320, 200, kDirectionUp);
    const uint32_t texture = s.app.glowTexture, list = s.app.spriteList;
    StoredSettings settings = kDefaultSettings;
    settings.quantity = kSettingRules[kFieldQuantity].max;
    StartSaver(s.app, 640, 400, settings);
    EXPECT_TRUE(texture == s.app.glowTexture || !glIsTexture(texture));
    EXPECT_TRUE(list == s.app.spriteList || !glIsList(list));
    EXPECT_EQ(s.app.swarm->wispCount, int32_t(2 * kSettingRules[kFieldQuantity].max));
    EXPECT_EQ(s.app.swarm->viewWidth, 640);

    const uint32_t second = s.app.glowTexture;
    ReleaseSaver(s.app);
    EXPECT_FALSE(glIsTexture(second));
    EXPECT_EQ(s.app.swarm, nullptr);
    EXPECT_EQ(s.app.clock, nullptr);
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
