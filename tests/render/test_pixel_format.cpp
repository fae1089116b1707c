// The pixel-format chooser over synthetic format lists: ranking, defaults, ties and write-back.
#include <gtest/gtest.h>

#include <vector>

#include "render/pixel_format.h"

namespace {

constexpr uint32_t kWindowGL = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW;
constexpr uint32_t kSoftware = PFD_GENERIC_FORMAT;
constexpr uint32_t kGenericAccelerated = PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;

PixelFormatInfo Format(uint32_t flags, uint8_t colour, uint8_t depth, uint8_t type = PFD_TYPE_RGBA) {
    return PixelFormatInfo{flags, type, colour, depth};
}

int32_t Pick(const std::vector<PixelFormatInfo>& formats, int32_t colour, int32_t depth, int32_t doubleBuffer,
             int32_t accelerated) {
    return PickPixelFormatFromList(formats.data(), int32_t(formats.size()), &colour, &depth, &doubleBuffer,
                                   &accelerated);
}

// The request the saver's context creation makes.
int32_t PickForWindow(const std::vector<PixelFormatInfo>& formats) {
    return Pick(formats, -1, -1, 1, 1);
}

TEST(PixelFormat, KindsFromTheGenericFlags) {
    EXPECT_EQ(KindOfPixelFormat(0), PixelFormatKind::kFullDriver);
    EXPECT_EQ(KindOfPixelFormat(kGenericAccelerated), PixelFormatKind::kGenericAccelerated);
    EXPECT_EQ(KindOfPixelFormat(kSoftware), PixelFormatKind::kGenericSoftware);
    EXPECT_EQ(KindOfPixelFormat(PFD_GENERIC_ACCELERATED), PixelFormatKind::kNone);
}

TEST(PixelFormat, AbsentRequestValuesTakeTheirDefaults) {
    const PixelFormatRequest r = MakePixelFormatRequest(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(r.colorBits, -1);
    EXPECT_EQ(r.depthBits, 16);
    EXPECT_EQ(r.doubleBuffer, -1);
    EXPECT_EQ(r.accelerated, 1);
    // 16 depth bits are preferred over 24 when nothing is asked for; software loses to acceleration.
    const std::vector<PixelFormatInfo> formats = {Format(kWindowGL | kSoftware, 32, 16),
                                                  Format(kWindowGL, 32, 24), Format(kWindowGL, 32, 16)};
    EXPECT_EQ(PickPixelFormatFromList(formats.data(), 3, nullptr, nullptr, nullptr, nullptr), 3);
}

TEST(PixelFormat, WindowRequestAlwaysFindsAFormatAndPrefersOpenGLOnAWindow) {
    const PixelFormatRequest r{-1, -1, 1, 1};
    // Even the poorest format earns the depth, colour and depth-match points.
    EXPECT_GE(ScorePixelFormat(Format(0, 0, 0, PFD_TYPE_COLORINDEX), r), 16384u + 2048u + 1024u);
    EXPECT_EQ(PickForWindow({Format(PFD_GENERIC_ACCELERATED, 0, 0, PFD_TYPE_COLORINDEX)}), 1);

    // Without both OpenGL support and drawing to a window a format only wins when no other has both,
    // however well it matches otherwise.
    const std::vector<PixelFormatInfo> formats = {
        Format(PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 16, 16),
        Format(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER, 16, 16),
        Format(kWindowGL | kSoftware | PFD_DRAW_TO_BITMAP, 8, 0, PFD_TYPE_COLORINDEX)};
    EXPECT_EQ(PickForWindow(formats), 3);
    EXPECT_EQ(PickForWindow({formats[0], formats[1]}), 1);
}

TEST(PixelFormat, MajorCriteriaRankStrictlyInOrder) {
    // Each pair: the first format wins one criterion, the second wins every criterion below it.
    // Request: 24 colour bits, 24 depth bits, double-buffered, accelerated.
    const uint32_t best = PFD_DRAW_TO_BITMAP;  // every minor point the second format can take
    struct Case {
        const char* criterion;
        PixelFormatInfo winner, loser;
    } cases[] = {
        {"opengl on a window", Format(kWindowGL | kSoftware, 8, 0, PFD_TYPE_COLORINDEX),
         Format(PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | best, 24, 24)},
        {"has a depth buffer", Format(kWindowGL | kSoftware, 8, 8, PFD_TYPE_COLORINDEX),
         Format(kWindowGL | PFD_DOUBLEBUFFER | best, 24, 0)},
        {"double buffering", Format(kWindowGL | PFD_DOUBLEBUFFER | kSoftware, 8, 8, PFD_TYPE_COLORINDEX),
         Format(kWindowGL | best, 24, 24)},
        {"accelerated", Format(kWindowGL | PFD_DOUBLEBUFFER | kGenericAccelerated, 8, 8, PFD_TYPE_COLORINDEX),
         Format(kWindowGL | PFD_DOUBLEBUFFER | kSoftware | best, 24, 24)},
        {"colour bits", Format(kWindowGL | PFD_DOUBLEBUFFER, 24, 8, PFD_TYPE_COLORINDEX),
         Format(kWindowGL | PFD_DOUBLEBUFFER | best, 16, 24)},
        {"depth bits", Format(kWindowGL | PFD_DOUBLEBUFFER, 24, 24, PFD_TYPE_COLORINDEX),
         Format(kWindowGL | PFD_DOUBLEBUFFER | best, 24, 16)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pick({c.loser, c.winner}, 24, 24, 1, 1), 2) << c.criterion;
    }
}

TEST(PixelFormat, MinorPointsOnlyBreakTies) {
    const PixelFormatRequest any{-1, -1, -1, -1};
    // RGBA beats colour index whatever else.
    EXPECT_GT(ScorePixelFormat(Format(kWindowGL | kSoftware, 8, 8), any),
              ScorePixelFormat(Format(kWindowGL | PFD_DRAW_TO_BITMAP, 16, 16, PFD_TYPE_COLORINDEX), any));
    // Hardware acceleration beats the bit depths; a full driver beats a generic accelerated one.
    EXPECT_EQ(Pick({Format(kWindowGL | kSoftware, 16, 16), Format(kWindowGL | kGenericAccelerated, 8, 8)}, -1,
                   -1, -1, -1),
              2);
    EXPECT_EQ(
        Pick({Format(kWindowGL | kGenericAccelerated, 32, 24), Format(kWindowGL, 32, 24)}, -1, -1, -1, -1),
        2);
    // Exactly 16 bits beat deeper buffers: 40 against 32 points for colour, 20 against 16 for depth.
    EXPECT_EQ(
        ScorePixelFormat(Format(kWindowGL, 16, 0), any) - ScorePixelFormat(Format(kWindowGL, 32, 0), any),
        8u);
    EXPECT_EQ(Pick({Format(kWindowGL, 32, 24), Format(kWindowGL, 16, 24)}, -1, -1, 1, 1), 2);
    EXPECT_EQ(Pick({Format(kWindowGL, 32, 24), Format(kWindowGL, 32, 16)}, -1, -1, 1, 1), 2);
    // Identical formats: the lowest index.
    EXPECT_EQ(
        Pick({Format(kWindowGL, 8, 0), Format(kWindowGL, 32, 24), Format(kWindowGL, 32, 24)}, -1, -1, 1, 1),
        2);
}

TEST(PixelFormat, UnusualRequestValuesNeverEarnTheirPoints) {
    // A request of 0 depth bits: nobody gets the depth-buffer points, formats without one get the match.
    const PixelFormatRequest noDepth{-1, 0, -1, -1};
    EXPECT_EQ(ScorePixelFormat(Format(kWindowGL, 16, 24), noDepth) & 16384u, 0u);
    EXPECT_EQ(ScorePixelFormat(Format(kWindowGL, 16, 0), noDepth),
              32768u + 8192 + 4096 + 2048 + 1024 + 128 + 66 + 40);
    EXPECT_EQ(Pick({Format(kWindowGL, 16, 24), Format(kWindowGL, 16, 0)}, -1, 0, -1, -1), 2);
    // Other negative depth requests and out-of-range buffering or acceleration wishes score nothing.
    const PixelFormatInfo f = Format(kWindowGL | PFD_DOUBLEBUFFER, 16, 16);
    const uint32_t base = ScorePixelFormat(f, {-1, -1, -1, -1});
    EXPECT_EQ(ScorePixelFormat(f, {-1, -5, -1, -1}), base - 16384 - 1024);
    EXPECT_EQ(ScorePixelFormat(f, {-1, -1, 2, -1}), base - 8192);
    EXPECT_EQ(ScorePixelFormat(f, {-1, -1, -1, 7}), base - 4096);
    // Asking for single buffering or for the software format.
    EXPECT_EQ(Pick({Format(kWindowGL | PFD_DOUBLEBUFFER, 16, 16), Format(kWindowGL, 16, 16)}, -1, -1, 0, -1),
              2);
    EXPECT_EQ(Pick({Format(kWindowGL, 16, 16), Format(kWindowGL | kSoftware, 16, 16)}, -1, -1, -1, 0), 2);
}

TEST(PixelFormat, ChosenValuesAreWrittenBackOnlyOnSuccess) {
    int32_t colour = -1, depth = -1, doubleBuffer = 1, accelerated = 1;
    const std::vector<PixelFormatInfo> formats = {Format(kWindowGL | kSoftware, 24, 32)};
    EXPECT_EQ(PickPixelFormatFromList(formats.data(), 1, &colour, &depth, &doubleBuffer, &accelerated), 1);
    EXPECT_EQ(colour, 24);
    EXPECT_EQ(depth, 32);
    EXPECT_EQ(doubleBuffer, 0);
    EXPECT_EQ(accelerated, 0);
    // A format of no kind counts as accelerated in the answer (it is not the generic software one).
    const std::vector<PixelFormatInfo> odd = {
        Format(kWindowGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED, 16, 0)};
    EXPECT_EQ(PickPixelFormatFromList(odd.data(), 1, &colour, &depth, &doubleBuffer, &accelerated), 1);
    EXPECT_EQ(doubleBuffer, 1);
    EXPECT_EQ(accelerated, 1);

    int32_t untouched[4] = {11, 22, 33, 44};
    EXPECT_EQ(PickPixelFormatFromList(nullptr, 0, &untouched[0], &untouched[1], &untouched[2], &untouched[3]),
              0);
    EXPECT_EQ(PickPixelFormatFromList(formats.data(), -3, &untouched[0], &untouched[1], &untouched[2],
                                      &untouched[3]),
              0);
    EXPECT_EQ(untouched[0], 11);
    EXPECT_EQ(untouched[1], 22);
    EXPECT_EQ(untouched[2], 33);
    EXPECT_EQ(untouched[3], 44);
}

// A device that records the calls and describes nothing for its second format.
struct RecordingDevice {
    std::vector<int32_t> asked;
    std::vector<PixelFormatInfo> formats;
};

int32_t DescribeRecorded(void* device, int32_t index, PixelFormatInfo* info) {
    RecordingDevice& d = *static_cast<RecordingDevice*>(device);
    d.asked.push_back(index);
    if (index != 2) *info = d.formats[size_t(index - 1)];
    return int32_t(d.formats.size());
}

TEST(PixelFormat, AsksForTheCountThenWalksEveryFormatInOrder) {
    RecordingDevice device;
    device.formats = {Format(kWindowGL | PFD_DOUBLEBUFFER, 32, 24), Format(0, 0, 0),
                      Format(kWindowGL, 32, 24)};
    int32_t doubleBuffer = -1;
    EXPECT_EQ(PickPixelFormat(DescribeRecorded, &device, nullptr, nullptr, &doubleBuffer, nullptr), 1);
    EXPECT_EQ(device.asked, (std::vector<int32_t>{1, 1, 2, 3}));
    EXPECT_EQ(doubleBuffer, 1);
}

}  // namespace
