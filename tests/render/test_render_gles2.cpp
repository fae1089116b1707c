// The GLES 2 renderer on EGL, linked with test_render_frames.cpp: several views drawn through one context, a
// lost context, and the same picture as the GL 1.1 renderer's (fenlight-snapshot's, on OSMesa).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

#include "app/simulated_time.h"
#include "app/tick.h"
#include "gl_frame.h"
#include "host/saver_run.h"
#include "render/gl_include.h"
#include "render/gles2/draw.h"
#include "settings/settings.h"

#ifdef FENLIGHT_SNAPSHOT
#include <png.h>
#endif

namespace {

// Where EGL gives no context (no driver for one without a display) no test runs: the program says why and
// ends with 77, which CTest reports as skipped.
class NeedsAContext : public testing::Environment {
    void SetUp() override {
        OffscreenFrame frame{};
        if (OpenOffscreenFrame(frame, 1, 1) == 0) return CloseOffscreenFrame(frame);
        std::printf("skipped: %s\n", frame.failure);
        std::fflush(stdout);
        std::_Exit(77);
    }
};
[[maybe_unused]] const auto* const needsAContext = testing::AddGlobalTestEnvironment(new NeedsAContext);

// One view's frame as a host draws it: its own viewport (the scene's size), the frame, read back.
const std::vector<uint8_t>& DrawView(OffscreenFrame& frame, AppState& view, TestScene& scene) {
    SetupGLState(scene.swarm.viewWidth, scene.swarm.viewHeight);
    view.swarm = &scene.swarm;
    DrawFrame(view);
    FinishOffscreenFrame(frame);
    return frame.pixels;
}

GLuint Bound(GLenum what) {
    GLint name = 0;
    glGetIntegerv(what, &name);
    return GLuint(name);
}

// Views in one context draw with its one program and pair of buffers, each with its own glow texture: a
// smaller view between two frames of another changes nothing of its picture, one released leaves the other
// drawing, the last deletes them (a view drawn then draws nothing), and a view started after makes them anew.
TEST(Gles2Views, ShareTheContextsProgramAndBuffersUntilTheLastIsReleased) {
    GLFrame f;
    ASSERT_TRUE(f.Open(160, 120));
    TestScene scene, smallScene;
    SetScene(scene, 160, 120, {MakeWisp({0.3f, 0.6f, 0.4f}, 1.0f), MakeWisp({0.7f, 0.4f, 0.6f}, 0.5f)});
    SetScene(smallScene, 80, 60, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)});
    const std::vector<uint8_t> picture = DrawView(f.frame, f.app, scene);
    ASSERT_TRUE(Gles2ProgramLinked());
    const GLuint program = Bound(GL_CURRENT_PROGRAM), vertices = Bound(GL_ARRAY_BUFFER_BINDING),
                 indices = Bound(GL_ELEMENT_ARRAY_BUFFER_BINDING);

    AppState small{};
    CreateGLResources(small);
    const std::vector<uint8_t> smallPicture = DrawView(f.frame, small, smallScene);
    EXPECT_EQ(DrawView(f.frame, f.app, scene), picture);

    const GLuint texture = f.app.glowTexture;
    ReleaseGLResources(f.app);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(DrawView(f.frame, small, smallScene), smallPicture);

    ReleaseGLResources(small);
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsBuffer(vertices));
    EXPECT_FALSE(glIsBuffer(indices));
    // With no buffers bound the attributes would read client memory at their offsets.
    DrawView(f.frame, small, smallScene);
    EXPECT_TRUE(AllBlack(f));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    CreateGLResources(f.app);
    EXPECT_EQ(DrawView(f.frame, f.app, scene), picture);
}

// A lost context takes every view's names, and the new context numbers its own from the start again. A
// view released and started again there (the page's restore) draws as before, and a view of the lost
// context released only after that deletes nothing of the new context's, though its names are the same.
TEST(Gles2Views, AfterALostContextARestartedViewDrawsAndTheLostOnesReleaseNothing) {
    TestScene scene;
    SetScene(scene, 120, 90, {MakeWisp({0.5f, 0.5f, 0.5f}, 1.0f)});
    GLFrame f;  // its view the first, with texture 1
    ASSERT_TRUE(f.Open(120, 90));
    AppState second{};
    CreateGLResources(second);
    const std::vector<uint8_t> picture = DrawView(f.frame, second, scene);
    CloseOffscreenFrame(f.frame);

    ASSERT_EQ(OpenOffscreenFrame(f.frame, 120, 90), 0);
    ReleaseGLResources(second);
    CreateGLResources(second);
    ASSERT_EQ(second.glowTexture, 1u) << "the new context numbers its textures from 1 again";
    ReleaseGLResources(f.app);
    EXPECT_EQ(DrawView(f.frame, second, scene), picture);
    ReleaseGLResources(second);
}

#ifdef FENLIGHT_SNAPSHOT
// The saver's scene as fenlight-snapshot draws it with GL 1.1 (the renderers cannot share a program): on
// average within 2 levels of 255 in each colour channel, no pixel more than 3 off. At the defaults, the
// largest settings on a tall view, and the smallest sprites under the fade-in's overlay.
TEST(Gles2Frame, SamePictureAsTheGl11Renderer) {
    const std::tuple<int32_t, int32_t, double, StoredSettings> cases[] = {
        // width, height, seconds, settings
        {640, 360, 20.0, kDefaultSettings},
        {360, 640, 30.0, {kColourAmber, kDirectionIn, 120, 100, 50}},
        {480, 270, 1.0, {kColourEmerald, kDirectionUp, 120, 0, 100}}};
    for (const auto& [width, height, seconds, s] : cases) {
        char options[200];
        std::snprintf(options, sizeof options,
                      "--width %d --height %d --seconds %g --colors %s --direction %s --particles %u "
                      "--size %u --speed %u",
                      width, height, seconds, kColourWords[s.color], kDirectionWords[s.direction], s.quantity,
                      s.size, s.speed);
        SCOPED_TRACE(options);
        GLFrame f;
        ASSERT_TRUE(f.Open(width, height));
        StartSimulatedTime(1);  // the snapshot's default seed
        StartSaver(f.app, width, height, s);
        AdvanceSimulatedTime(f.app, seconds);
        DrawFrame(f.app);
        FinishOffscreenFrame(f.frame);
        ReleaseSaver(f.app);
        SetTickSource(nullptr);

        const char* png = "test_render_gles2_gl11.png";
        ASSERT_EQ(std::system((std::string(FENLIGHT_SNAPSHOT) + " --out " + png + " " + options).c_str()), 0);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, png));
        std::remove(png);
        ASSERT_TRUE(image.width == png_uint_32(width) && image.height == png_uint_32(height));
        image.format = PNG_FORMAT_RGBA;
        std::vector<uint8_t> gl11(f.frame.pixels.size());
        ASSERT_TRUE(
            png_image_finish_read(&image, nullptr, gl11.data(), -4 * width, nullptr));  // bottom first
        double mean[4] = {};  // of the differences in each channel
        int lit = 0;
        for (std::size_t i = 0; i < gl11.size(); ++i) {
            mean[i % 4] += std::abs(int(gl11[i]) - int(f.frame.pixels[i])) / double(gl11.size() / 4);
            lit += i % 4 == 0 && gl11[i] + gl11[i + 1] + gl11[i + 2] > 0;
        }
        EXPECT_GT(lit, 500) << "too little is lit to compare";
        for (int k = 0; k < 3; ++k) EXPECT_LE(mean[k], 2.0) << "channel " << k;
        EXPECT_LE(LargestDifference(gl11, f.frame.pixels), 3);
    }
}
#endif

}  // namespace
