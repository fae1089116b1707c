// The GLES 2 renderer natively, on EGL without a display: several views drawn through one context, a lost
// context, and the same picture as the GL 1.1 renderer (fenlight-snapshot's, on OSMesa) of the same scene.
// Linked with test_render_frames.cpp into one program. Where EGL gives no context every test is skipped,
// and the program says why and ends as skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/simulated_time.h"
#include "app/tick.h"
#include "gl_frame.h"
#include "host/saver_run.h"
#include "render/gl_include.h"
#include "render/gles2/gles2_draw.h"
#include "settings/settings.h"

#ifdef FENLIGHT_SNAPSHOT
#include <png.h>
#endif

namespace {

// A test skipped for want of a context must not count as passed: the program then ends with 77, which
// CTest reports as skipped, after a line saying why.
class SkipsAreReported : public testing::EmptyTestEventListener {
    std::string reason_;
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.skipped() && reason_.empty()) reason_ = result.message();
    }
    void OnTestProgramEnd(const testing::UnitTest& test) override {
        if (test.failed_test_count() > 0 || test.skipped_test_count() == 0) return;
        std::printf("skipped: %s\n", reason_.c_str());
        std::fflush(stdout);
        std::_Exit(77);
    }
};
[[maybe_unused]] const bool skipsReported = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new SkipsAreReported);
    return true;
}();

// One view's frame as the host draws it: its own viewport first, then the frame, read back.
const std::vector<uint8_t>& DrawView(OffscreenFrame& frame, AppState& view, TestScene& scene,
                                     FadeOverlay* fade = nullptr) {
    SetupGLState(view.clientWidth, view.clientHeight);
    view.swarm = &scene.swarm;
    view.fade = fade;
    DrawFrame(view);
    FinishOffscreenFrame(frame);
    return frame.pixels;
}

AppState ViewOf(int32_t width, int32_t height) {
    AppState view{};
    view.clientWidth = width;
    view.clientHeight = height;
    return view;
}

GLuint Bound(GLenum what) {
    GLint name = 0;
    glGetIntegerv(what, &name);
    return GLuint(name);
}

// The largest swarm under a half-dark overlay: both passes through the shared buffers.
void SetFullScene(TestScene& scene, FadeOverlay& fade, int32_t width, int32_t height) {
    std::vector<Wisp> wisps;
    for (int i = 0; i < 240; ++i)
        wisps.push_back(
            MakeWisp({(i % 16) / 15.0f, (i / 16) / 15.0f, 0.2f + 0.003f * i}, 0.7f, (i % 3) / 2.0f));
    SetScene(scene, width, height, wisps, {0.3f, 0.1f, 0.05f}, {0.05f, 0.15f, 0.3f});
    fade = FadeOverlay{};
    InitFade(fade, 300000000, 2000000, 2000000, 2000000, true);
    AdvanceFade(fade, 296000000 + 1000000);
}

// Two views started in one context draw with its one program and pair of buffers, each with its own glow
// texture; a smaller view between two frames of the other changes nothing of the other's picture. Releasing
// one leaves the other drawing the same picture, releasing the last deletes the program and the buffers
// (a frame drawn then is black), and a view started after that makes them anew.
TEST(Gles2Views, ShareTheContextsProgramAndBuffersUntilTheLastIsReleased) {
    GLFrame f;
    OPEN_FRAME(f, 160, 120);
    TestScene scene;
    FadeOverlay fade{};
    SetFullScene(scene, fade, 160, 120);
    const std::vector<uint8_t> picture = DrawView(f.frame, f.app, scene, &fade);
    ASSERT_TRUE(Gles2ProgramLinked());
    const GLuint program = Bound(GL_CURRENT_PROGRAM);
    const GLuint vertices = Bound(GL_ARRAY_BUFFER_BINDING);
    const GLuint indices = Bound(GL_ELEMENT_ARRAY_BUFFER_BINDING);
    ASSERT_NE(program, 0u);
    ASSERT_NE(vertices, 0u);

    AppState small = ViewOf(80, 60);
    CreateGLResources(small);
    EXPECT_NE(small.glowTexture, f.app.glowTexture);
    EXPECT_EQ(Bound(GL_CURRENT_PROGRAM), program);
    TestScene smallScene;
    SetScene(smallScene, 80, 60, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)});
    DrawView(f.frame, small, smallScene);
    EXPECT_EQ(DrawView(f.frame, f.app, scene, &fade), picture);

    AppState other = ViewOf(160, 120);
    CreateGLResources(other);
    const GLuint otherTexture = other.glowTexture;
    ReleaseGLResources(small);
    const uint32_t firstTexture = f.app.glowTexture;
    ReleaseGLResources(f.app);
    EXPECT_FALSE(glIsTexture(firstTexture));
    EXPECT_TRUE(glIsProgram(program));
    EXPECT_TRUE(glIsBuffer(vertices));
    EXPECT_TRUE(glIsBuffer(indices));
    EXPECT_EQ(DrawView(f.frame, other, scene, &fade), picture);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    ReleaseGLResources(other);
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsBuffer(vertices));
    EXPECT_FALSE(glIsBuffer(indices));
    EXPECT_FALSE(glIsTexture(otherTexture));
    EXPECT_EQ(other.glowTexture, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Drawn by mistake now, a view draws nothing (with no buffers bound the attributes would read client
    // memory at their offsets).
    DrawView(f.frame, other, scene, &fade);
    EXPECT_TRUE(AllBlack(f));

    CreateGLResources(f.app);
    EXPECT_TRUE(Gles2ProgramLinked());
    EXPECT_EQ(DrawView(f.frame, f.app, scene, &fade), picture);
}

// A lost context takes every view's names, and the new context numbers its own from the start again. A
// view released and started again there (the page's restore) draws as before; a view of the lost context
// released only after that deletes nothing of the new context's, though its names are the same numbers.
TEST(Gles2Views, AfterALostContextARestartedViewDrawsAndTheLostOnesReleaseNothing) {
    TestScene scene;
    FadeOverlay fade{};
    SetFullScene(scene, fade, 120, 90);
    AppState first = ViewOf(120, 90), second = ViewOf(120, 90);
    OffscreenFrame lost{};
    if (OpenOffscreenFrame(lost, 120, 90) != 0) GTEST_SKIP() << lost.failure;
    CreateGLResources(first);
    CreateGLResources(second);
    const std::vector<uint8_t> picture = DrawView(lost, second, scene, &fade);
    CloseOffscreenFrame(lost);

    OffscreenFrame fresh{};
    ASSERT_EQ(OpenOffscreenFrame(fresh, 120, 90), 0) << fresh.failure;
    ReleaseGLResources(second);
    CreateGLResources(second);
    EXPECT_EQ(DrawView(fresh, second, scene, &fade), picture);
    ASSERT_EQ(second.glowTexture, 1u) << "the new context numbers its textures from 1 again";
    ReleaseGLResources(first);
    EXPECT_TRUE(glIsTexture(second.glowTexture));
    EXPECT_TRUE(glIsProgram(Bound(GL_CURRENT_PROGRAM)));
    EXPECT_EQ(DrawView(fresh, second, scene, &fade), picture);
    ReleaseGLResources(second);
    CloseOffscreenFrame(fresh);
}

#ifdef FENLIGHT_SNAPSHOT
// What GL 1.1 draws of a scene: fenlight-snapshot's picture (the two renderers cannot share a program),
// bottom row first as RGBA. Empty when the tool fails or gives another size.
std::vector<uint8_t> Gl11Picture(const std::string& options, int32_t width, int32_t height) {
    const std::string path = "test_render_gles2_gl11.png";
    const std::string command = std::string(FENLIGHT_SNAPSHOT) + " --out " + path + " --width " +
                                std::to_string(width) + " --height " + std::to_string(height) + " " + options;
    if (std::system(command.c_str()) != 0) return {};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> topFirst;
    bool read = png_image_begin_read_from_file(&image, path.c_str()) != 0;
    if (read) {
        image.format = PNG_FORMAT_RGBA;
        topFirst.resize(PNG_IMAGE_SIZE(image));
        read = png_image_finish_read(&image, nullptr, topFirst.data(), 0, nullptr) != 0;
    }
    png_image_free(&image);
    std::remove(path.c_str());
    if (!read || image.width != png_uint_32(width) || image.height != png_uint_32(height)) return {};
    const std::size_t row = std::size_t(width) * 4;
    std::vector<uint8_t> pixels(topFirst.size());
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(&pixels[std::size_t(y) * row], &topFirst[std::size_t(height - 1 - y) * row], row);
    return pixels;
}

// The saver's scene at the same settings, size, seed and simulated time as GL 1.1 on OSMesa draws it: on
// average within 2 levels of 255 in each colour channel, and no pixel more than 3 levels off. At the
// defaults, the smallest and largest settings, on a tall view, and under the fade-in's overlay.
TEST(Gles2Frame, SamePictureAsTheGl11Renderer) {
    struct Case {
        int32_t width, height;
        double seconds;
        uint32_t seed;
        StoredSettings settings;
    };
    const Case cases[] = {{640, 360, 20.0, 1, kDefaultSettings},
                          {1280, 720, 45.0, 9, kDefaultSettings},
                          {360, 640, 30.0, 5, {kColourAmber, kDirectionIn, 120, 100, 50}},
                          {480, 270, 25.0, 3, {kColourEmerald, kDirectionUp, 120, 0, 100}},
                          {480, 270, 1.0, 2, {kColourLapis, kDirectionCycle, 77, 26, 33}}};
    for (const Case& c : cases) {
        const StoredSettings& s = c.settings;
        const std::string options = "--seconds " + std::to_string(c.seconds) + " --seed " +
                                    std::to_string(c.seed) + " --colour " + std::to_string(s.color) +
                                    " --direction " + std::to_string(s.direction) + " --particles " +
                                    std::to_string(s.quantity) + " --size " + std::to_string(s.size) +
                                    " --speed " + std::to_string(s.speed);
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + options);
        OffscreenFrame frame{};
        if (OpenOffscreenFrame(frame, c.width, c.height) != 0) GTEST_SKIP() << frame.failure;
        AppState app{};
        StartSimulatedTime(c.seed);
        StartSaver(app, c.width, c.height, s);
        AdvanceSimulatedTime(app, c.seconds);
        DrawFrame(app);
        FinishOffscreenFrame(frame);
        ReleaseSaver(app);
        CloseOffscreenFrame(frame);
        SetTickSource(nullptr);

        const std::vector<uint8_t> gl11 = Gl11Picture(options, c.width, c.height);
        ASSERT_EQ(gl11.size(), frame.pixels.size());
        double difference[3] = {};
        int lit = 0;
        for (std::size_t i = 0; i < gl11.size(); i += 4) {
            lit += gl11[i] + gl11[i + 1] + gl11[i + 2] > 0;
            for (std::size_t k = 0; k < 3; ++k)
                difference[k] += std::abs(int(gl11[i + k]) - int(frame.pixels[i + k]));
        }
        const double pixels = double(gl11.size() / 4);
        EXPECT_GT(lit, 500) << "too little is lit to compare";
        for (int k = 0; k < 3; ++k) EXPECT_LE(difference[k] / pixels, 2.0) << "channel " << k;
        EXPECT_LE(LargestDifference(gl11, frame.pixels), 3);
    }
}
#endif

}  // namespace
