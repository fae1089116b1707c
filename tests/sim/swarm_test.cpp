#include <gtest/gtest.h>

#include <cmath>

#include "sim/random.h"
#include "sim/swarm.h"

namespace {

struct ScopedSwarm {
    Swarm swarm{};
    ~ScopedSwarm() { ReleaseWisps(swarm); }
};

bool SameColour(Vec3 a, Vec3 b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

TEST(SwarmSetUp, WispCountIsTwiceTheQuantity) {
    SeedRandom(3);
    for (int32_t quantity : {20, 77, 120}) {
        ScopedSwarm s;
        ASSERT_EQ(SetUpSwarm(s.swarm, quantity, kDirectionUp, 1e-7f, 0.09f, 800, 600, kColourAmber), 0);
        EXPECT_EQ(s.swarm.wispCount, 2 * quantity);
        ReleaseWisps(s.swarm);
        EXPECT_EQ(s.swarm.wispCount, 0);
        EXPECT_EQ(s.swarm.wisps, nullptr);
        ReleaseWisps(s.swarm);  // releasing an empty swarm does nothing
    }
}

TEST(SwarmSetUp, ColourSettingChoosesSchemeAndCycling) {
    for (uint32_t seed = 0; seed < 200; ++seed) {
        SeedRandom(seed);
        for (uint8_t colour = 0; colour <= kColourCycle; ++colour) {
            ScopedSwarm s;
            ASSERT_EQ(SetUpSwarm(s.swarm, 20, kDirectionDown, 1e-7f, 0.09f, 800, 600, colour), 0);
            if (colour < kSchemeCount) {
                EXPECT_EQ(s.swarm.scheme, colour);
            }
            EXPECT_LT(s.swarm.scheme, kSchemeCount);
            EXPECT_LT(s.swarm.nextScheme, kSchemeCount);
            EXPECT_NE(s.swarm.nextScheme, s.swarm.scheme);
            EXPECT_EQ(s.swarm.cycleColours, colour == kColourCycle);
            EXPECT_TRUE(SameColour(s.swarm.colourA, SchemeColourA(s.swarm.scheme)));
            EXPECT_TRUE(SameColour(s.swarm.colourB, SchemeColourB(s.swarm.scheme)));
        }
    }
    EXPECT_TRUE(SameColour(SchemeColourA(kColourAmber), Vec3Set(1.0f, 0.8f, 0.35f)));
    EXPECT_TRUE(SameColour(SchemeColourB(kColourAmethyst), Vec3Set(0.85f, 0.35f, 1.0f)));
}

TEST(SwarmSetUp, BoxBoundsFollowTheSize) {
    const struct {
        float size, xMin, xMax, yMin, yMax;
    } cases[] = {{float(0.5 * 0.03), -0.13f, 1.13f, -0.13f, 1.145f},
                 {float(10 * 0.03), -0.7f, 1.7f, -0.7f, 2.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ScopedSwarm s;
        SetUpSwarm(s.swarm, 20, kDirectionUp, 1e-7f, c.size, 800, 600, 0);
        EXPECT_FLOAT_EQ(s.swarm.xMin, c.xMin);
        EXPECT_FLOAT_EQ(s.swarm.xMax, c.xMax);
        EXPECT_FLOAT_EQ(s.swarm.yMin, c.yMin);
        EXPECT_FLOAT_EQ(s.swarm.yMax, c.yMax);
        EXPECT_EQ(s.swarm.zMin, 0.17f);
        EXPECT_EQ(s.swarm.zMax, 1.0f);
    }
}

TEST(SwarmSetUp, EveryWispStartsInItsRanges) {
    SeedRandom(11);
    for (uint8_t direction : {kDirectionUp, kDirectionDown, kDirectionIn}) {
        ScopedSwarm s;
        SetUpSwarm(s.swarm, 120, direction, 2e-7f, 0.1f, 1024, 768, kColourCycle);
        for (int32_t i = 0; i < s.swarm.wispCount; ++i) {
            const Wisp& w = s.swarm.wisps[i];
            EXPECT_GE(w.glowRate, 1e-7f);
            EXPECT_LE(w.glowRate, 4e-7f);
            EXPECT_GE(w.glow, 0.0f);
            EXPECT_LE(w.glow, 1.0f);
            EXPECT_GE(w.mix, 0.0f);
            EXPECT_LE(w.mix, 1.0f);
            EXPECT_LE(Vec3LengthSquared(w.jitter), 0.07f * 0.07f * 1.0001f);
            EXPECT_EQ(w.active, 1);
            EXPECT_GE(w.position.x, s.swarm.xMin);
            EXPECT_LE(w.position.x, s.swarm.xMax);
            EXPECT_GE(w.position.y, s.swarm.yMin);
            EXPECT_LE(w.position.y, s.swarm.yMax);
            EXPECT_GE(w.position.z, s.swarm.zMin);
            EXPECT_LE(w.position.z, s.swarm.zMax);
            const float vy = direction == kDirectionUp ? 2e-7f : direction == kDirectionDown ? -2e-7f : 0.0f;
            EXPECT_EQ(w.velocity.x, 0.0f);
            EXPECT_EQ(w.velocity.y, vy);
            EXPECT_EQ(w.velocity.z, direction == kDirectionIn ? -2e-7f : 0.0f);
        }
    }
}

TEST(SwarmSetUp, BandRuleKeepsInWispsOutOfTheMiddle) {
    // At 1280 x 1024 the band is 0.2: in the central half of x, y lies below 0.2 or above 0.8.
    ScopedSwarm s;
    SeedRandom(17);
    SetUpSwarm(s.swarm, 120, kDirectionIn, 1e-7f, 0.09f, 1280, 1024, 0);
    int central = 0;
    for (int32_t i = 0; i < s.swarm.wispCount; ++i) {
        const Vec3 p = s.swarm.wisps[i].position;
        if (p.x > 0.25f && p.x < 0.75f) {
            ++central;
            EXPECT_TRUE(p.y <= 0.2f || p.y >= 0.8f) << "x " << p.x << " y " << p.y;
        }
    }
    EXPECT_GT(central, 10);

    // The edges of the central half are not central: there any y of the box may occur.
    bool middle = false;
    for (int i = 0; i < 500 && !middle; ++i) {
        for (float x : {0.25f, 0.75f}) {
            const float y = DrawBandY(s.swarm, x);
            EXPECT_GE(y, s.swarm.yMin);
            EXPECT_LE(y, s.swarm.yMax);
            middle = middle || (y > 0.3f && y < 0.7f);
        }
    }
    EXPECT_TRUE(middle);
    for (int i = 0; i < 500; ++i) {
        const float y = DrawBandY(s.swarm, 0.5f);
        EXPECT_TRUE((y >= s.swarm.yMin && y <= 0.2f) || (y >= 0.8f && y <= s.swarm.yMax)) << y;
    }
}

}  // namespace
