#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sim/random.h"
#include "sim/swarm.h"

namespace {

// A set-up swarm with a single wisp placed by the test.
struct OneWisp {
    Swarm swarm{};
    Wisp& wisp;
    explicit OneWisp(uint8_t direction, float speed = 1e-7f)
        : wisp((SeedRandom(1), SetUpSwarm(swarm, 1, direction, speed, 0.09f, 1280, 1024, kColourAmber),
                swarm.wisps[0])) {
        swarm.wispCount = 1;
        wisp.jitter = Vec3Zero();
        wisp.glow = 0.5f;
        wisp.glowRate = 1e-7f;
        wisp.position = Vec3Set(0.5f, 0.5f, 0.5f);
    }
    ~OneWisp() { ReleaseWisps(swarm); }
    void FadeOut() {
        wisp.glow = 0.0f;
        wisp.glowRate = -1e-7f;
    }
};

TEST(SwarmUpdate, MovesAlongItsAxisByTheStep) {
    OneWisp up(kDirectionUp);
    UpdateSwarm(up.swarm, 16000);
    EXPECT_NEAR(up.wisp.position.y, 0.5 + 0.0016, 1e-6);
    EXPECT_EQ(up.wisp.position.x, 0.5f);

    // A 40 s stall moves a wisp 40,000,000 x speed in one step, far outside the box; it comes back
    // only once its glow has reached zero.
    OneWisp stall(kDirectionDown);
    stall.wisp.glow = 0.0f;
    UpdateSwarm(stall.swarm, 40000000);
    EXPECT_NEAR(stall.wisp.position.y, 0.5 - 4.0, 1e-5);
    EXPECT_EQ(stall.wisp.glow, 1.0f);  // still glowing: it stays out there
    EXPECT_EQ(stall.wisp.glowRate, -1e-7f);
    UpdateSwarm(stall.swarm, 40000000);  // faded out now: back at the top
    EXPECT_EQ(stall.wisp.position.y, stall.swarm.yMax);
    EXPECT_EQ(stall.wisp.glow, 0.0f);
}

TEST(SwarmUpdate, ReentryOnlyWhenOutsideAndFaded) {
    OneWisp s(kDirectionUp);
    Wisp& w = s.wisp;
    // Outside above the box, still glowing and fading: it drifts on.
    w.position = Vec3Set(0.5f, s.swarm.yMax + 0.01f, 0.5f);
    w.glow = 0.3f;
    w.glowRate = -1e-7f;
    UpdateSwarm(s.swarm, 1000000);  // glow 0.2
    EXPECT_GT(w.position.y, s.swarm.yMax);
    EXPECT_NEAR(w.glow, 0.2f, 1e-6);
    // The frame in which its glow reaches 0 it re-enters at the bottom with glow exactly 0 and the
    // same rate; the next frame clamps and reverses; then the glow rises.
    UpdateSwarm(s.swarm, 2100000);
    EXPECT_EQ(w.glow, 0.0f);
    EXPECT_EQ(w.glowRate, -1e-7f);
    EXPECT_EQ(w.position.y, float(double(s.swarm.yMin) + 0.1));
    EXPECT_GE(w.position.x, s.swarm.xMin);
    EXPECT_LE(w.position.x, s.swarm.xMax);
    EXPECT_GE(w.position.z, s.swarm.zMin);
    EXPECT_LE(w.position.z, s.swarm.zMax);
    UpdateSwarm(s.swarm, 16000);
    EXPECT_EQ(w.glow, 0.0f);
    EXPECT_EQ(w.glowRate, 1e-7f);
    UpdateSwarm(s.swarm, 16000);
    EXPECT_GT(w.glow, 0.0f);

    // Inside the box a wisp never re-enters, however often its glow reaches 0.
    OneWisp inside(kDirectionUp, 0.0f);
    inside.FadeOut();
    for (int i = 0; i < 100; ++i) {
        UpdateSwarm(inside.swarm, 5000000);
        EXPECT_FLOAT_EQ(inside.wisp.position.y, 0.5f);
    }
}

TEST(SwarmUpdate, DownAndInEntryPositions) {
    OneWisp down(kDirectionDown);
    down.wisp.position.y = down.swarm.yMin - 0.5f;
    down.FadeOut();
    UpdateSwarm(down.swarm, 1000);
    EXPECT_EQ(down.wisp.position.y, down.swarm.yMax);
    // Exactly on the top bound counts as inside: no second re-entry while the glow stays 0.
    down.wisp.velocity = Vec3Zero();
    const Vec3 placed = down.wisp.position;
    UpdateSwarm(down.swarm, 1000);
    EXPECT_EQ(down.wisp.position.x, placed.x);
    EXPECT_EQ(down.wisp.position.z, placed.z);

    OneWisp in(kDirectionIn);
    in.wisp.position.z = in.swarm.zMin - 0.1f;
    in.FadeOut();
    UpdateSwarm(in.swarm, 1000);
    EXPECT_EQ(in.wisp.position.z, in.swarm.zMax);
}

TEST(SwarmUpdate, PulseClampOrder) {
    OneWisp s(kDirectionUp, 0.0f);
    s.wisp.glow = 0.9f;
    s.wisp.glowRate = 1e-7f;
    UpdateSwarm(s.swarm, 1000000);  // exactly 1.0 after the step: not above 1, the rate stays
    EXPECT_EQ(s.wisp.glow, 1.0f);
    EXPECT_EQ(s.wisp.glowRate, 1e-7f);
    UpdateSwarm(s.swarm, 1000);  // just above 1: clamped, the rate turns negative
    EXPECT_EQ(s.wisp.glow, 1.0f);
    EXPECT_EQ(s.wisp.glowRate, -1e-7f);
    s.wisp.glow = 0.05f;
    UpdateSwarm(s.swarm, 1000000);  // below 0 inside the box: clamped, rising again
    EXPECT_EQ(s.wisp.glow, 0.0f);
    EXPECT_EQ(s.wisp.glowRate, 1e-7f);
}

TEST(SwarmUpdate, JitterStaysWithinItsSphere) {
    Swarm swarm{};
    SeedRandom(23);
    SetUpSwarm(swarm, 120, kDirectionIn, 9.95e-8f, 0.09f, 1280, 1024, kColourCycle);
    const uint32_t steps[] = {1000, 16000, 40000000, 10000, 3000000};
    for (int frame = 0; frame < 2000; ++frame) {
        UpdateSwarm(swarm, steps[frame % 5]);
        for (int32_t i = 0; i < swarm.wispCount; ++i) {
            ASSERT_LE(std::sqrt(double(Vec3LengthSquared(swarm.wisps[i].jitter))), 0.07 + 1e-7);
        }
    }
    ReleaseWisps(swarm);
}

TEST(SwarmUpdate, ColourCycleHoldsBlendsAndSwitches) {
    Swarm swarm{};
    SeedRandom(8);
    SetUpSwarm(swarm, 20, kDirectionUp, 1e-7f, 0.09f, 800, 600, kColourCycle);
    const uint8_t first = swarm.scheme;
    const uint8_t second = swarm.nextScheme;
    auto expectColour = [](Vec3 got, Vec3 want) {
        EXPECT_NEAR(got.x, want.x, 1e-6);
        EXPECT_NEAR(got.y, want.y, 1e-6);
        EXPECT_NEAR(got.z, want.z, 1e-6);
    };
    for (int s = 1; s <= 25; ++s) UpdateSwarm(swarm, 1000000);
    expectColour(swarm.colourA, SchemeColourA(first));  // at 25 s still the current scheme
    UpdateSwarm(swarm, 1000000);                        // 26 s: a fifth of the way
    const Vec3 a0 = SchemeColourA(first), a1 = SchemeColourA(second);
    expectColour(swarm.colourA, Vec3Set(a0.x + (a1.x - a0.x) * 0.2f, a0.y + (a1.y - a0.y) * 0.2f,
                                        a0.z + (a1.z - a0.z) * 0.2f));
    for (int s = 27; s <= 30; ++s) UpdateSwarm(swarm, 1000000);
    expectColour(swarm.colourA, a1);  // 30 s: the next scheme's colours, not yet switched
    expectColour(swarm.colourB, SchemeColourB(second));
    EXPECT_EQ(swarm.scheme, first);
    EXPECT_EQ(swarm.cycleTimer, 30000000u);
    UpdateSwarm(swarm, 1000000);  // 31 s: the switch
    EXPECT_EQ(swarm.scheme, second);
    EXPECT_EQ(swarm.cycleTimer, 0u);
    EXPECT_NE(swarm.nextScheme, second);
    ReleaseWisps(swarm);

    Swarm fixed{};
    SetUpSwarm(fixed, 20, kDirectionUp, 1e-7f, 0.09f, 800, 600, kColourLapis);
    for (int s = 0; s < 100; ++s) UpdateSwarm(fixed, 1000000);
    EXPECT_EQ(fixed.cycleTimer, 0u);
    EXPECT_EQ(fixed.scheme, kColourLapis);
    expectColour(fixed.colourA, SchemeColourA(kColourLapis));
    ReleaseWisps(fixed);
}

// The same seed gives the same scene bit for bit on every build (native, Windows x86_64 and i686):
// a digest of every wisp after a few thousand frames is fixed.
TEST(SwarmUpdate, SameSeedSameSceneOnEveryBuild) {
    uint64_t digest = 1469598103934665603ull;
    auto mix = [&](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) digest = (digest ^ bytes[i]) * 1099511628211ull;
    };
    for (uint8_t direction : {kDirectionUp, kDirectionDown, kDirectionIn}) {
        Swarm swarm{};
        SeedRandom(20261208u + direction);
        SetUpSwarm(swarm, 77, direction, float(9.95 * 1e-8), float(2.97 * 0.03), 1280, 720, kColourCycle);
        for (int frame = 0; frame < 3000; ++frame) UpdateSwarm(swarm, frame % 7 == 0 ? 33000 : 16000);
        for (int32_t i = 0; i < swarm.wispCount; ++i) {
            const Wisp& w = swarm.wisps[i];
            const float values[] = {w.mix,        w.glow,     w.glowRate, w.position.x, w.position.y,
                                    w.position.z, w.jitter.x, w.jitter.y, w.jitter.z};
            mix(values, sizeof values);
        }
        const float colours[] = {swarm.colourA.x, swarm.colourA.y, swarm.colourA.z, swarm.colourB.x};
        mix(colours, sizeof colours);
        ReleaseWisps(swarm);
    }
    EXPECT_EQ(digest, 0x049bc8ea46626968ull) << std::hex << digest;
}

}  // namespace
