// The GLES 2 renderer natively, on EGL without a display: the same picture as the GL 1.1 renderer
// (fenlight-snapshot's, on OSMesa) of the same scene. Linked with test_render_frames.cpp into one program.
// Where EGL gives no context every test is skipped, and the program says why and ends as skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/simulated_time.h"
#include "app/tick.h"
#include "gl_frame.h"
#include "host/saver_run.h"
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
