// The committed glow picture keeps the facts the drawing relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/glow_texture.h"
#include "res/glow_image.h"

namespace {

int Texel(int column, int row) {
    return GlowImage[256 * row + column];
}
double Radius(int column, int row) {
    return std::hypot(column - 127.5, row - 127.5);
}

TEST(GlowImage, PeakIsTheTwelveNearestTexelsAt227) {
    int peakCount = 0;
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            EXPECT_LE(Texel(column, row), 227);
            if (Texel(column, row) == 227) {
                ++peakCount;
                EXPECT_LT(Radius(column, row), 1.6) << column << "," << row;
            }
        }
    }
    EXPECT_EQ(peakCount, 12);
}

TEST(GlowImage, BlackBeyondTheRimSoTheBorderIsBlack) {
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            const bool outerBand = row < 11 || row > 244 || column < 11 || column > 244;
            if (outerBand || Radius(column, row) > 119.7) {
                ASSERT_EQ(Texel(column, row), 0) << column << "," << row;
            }
        }
    }
}

// The drawing trims each sprite to the square that holds the lit circle and leaves out sprites too
// faint to show: both rest on these two facts of the table. Linear filtering mixes texels less than
// one texel away on each axis, so a sample is 0 wherever every texel within sqrt(2) is.
TEST(GlowImage, TheDrawingsPeakAndReachHoldForTheTable) {
    int brightest = 0;
    double farthest = 0;
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            brightest = std::max(brightest, Texel(column, row));
            if (Texel(column, row) > 0) farthest = std::max(farthest, Radius(column, row));
        }
    }
    EXPECT_EQ(brightest, int(kGlowPeak * 255.0f + 0.5f));
    EXPECT_LE(farthest + std::sqrt(2.0), double(kGlowReach) * 256.0);
    EXPECT_GT(farthest + 2.0, double(kGlowReach) * 256.0);  // and not much farther
}

TEST(GlowImage, MirrorImageOfItselfWithinOneLevel) {
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            const int v = Texel(column, row);
            ASSERT_LE(std::abs(v - Texel(255 - column, row)), 1) << column << "," << row;
            ASSERT_LE(std::abs(v - Texel(column, 255 - row)), 1) << column << "," << row;
            ASSERT_LE(std::abs(v - Texel(row, column)), 1) << column << "," << row;
        }
    }
}

TEST(GlowImage, Row127AndTheTotal) {
    const int expected[32] = {0,   0,   1,   3,   8,   16,  28,  45, 67, 93, 122, 151, 177, 198, 214, 224,
                              227, 223, 213, 196, 174, 147, 118, 90, 64, 42, 26,  14,  7,   3,   1,   0};
    for (int k = 0; k < 32; ++k) EXPECT_EQ(Texel(8 * k, 127), expected[k]) << "column " << 8 * k;
    uint64_t sum = 0;
    for (unsigned char v : GlowImage) sum += v;
    EXPECT_EQ(sum, 2240185u);
}

TEST(GlowImage, FollowsTheRadialProfile) {
    // Value at r = 0, 10, ..., 120; between those radii the profile runs nearly straight.
    const double profile[13] = {227, 222, 206, 181, 149, 113, 78, 49, 27, 13, 5, 2, 0};
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            const double r = Radius(column, row);
            if (r >= 120.0) continue;
            const int i = int(r / 10.0);
            const double f = r / 10.0 - i;
            const double expected = profile[i] + (profile[i + 1] - profile[i]) * f;
            ASSERT_NEAR(Texel(column, row), expected, 3.0) << column << "," << row << " r " << r;
        }
    }
}

}  // namespace
