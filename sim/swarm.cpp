#include "sim/swarm.h"

#include <cstddef>
#include <new>

#include "sim/random.h"

namespace {

const Vec3 kSchemeA[kSchemeCount] = {
    {0.45f, 1.0f, 0.25f}, {0.4f, 1.0f, 1.0f}, {1.0f, 0.8f, 0.35f}, {0.5f, 0.35f, 1.0f}};
const Vec3 kSchemeB[kSchemeCount] = {
    {0.75f, 1.0f, 0.3f}, {0.4f, 0.6f, 1.0f}, {1.0f, 0.99f, 0.35f}, {0.85f, 0.35f, 1.0f}};

}  // namespace

Vec3 SchemeColourA(uint8_t scheme) {
    return kSchemeA[scheme % kSchemeCount];
}
Vec3 SchemeColourB(uint8_t scheme) {
    return kSchemeB[scheme % kSchemeCount];
}

uint8_t DrawNextScheme(uint8_t scheme) {
    uint8_t next;
    do {
        next = uint8_t(RandomInt(0, 3));
    } while (next == scheme);
    return next;
}

float DrawBandY(const Swarm& swarm, float x) {
    // A wisp travelling towards the eye never starts in the middle of the picture: in the central
    // half of x it starts in the bottom or the top strip, a quarter of the height (in width units).
    const double band = 0.25 * swarm.viewHeight / swarm.viewWidth;
    if (x > 0.25f && x < 0.75f) {
        if (RandomInt(0, 1) == 0) return float(RandomReal(swarm.yMin, band));
        return float(RandomReal(1.0 - band, swarm.yMax));
    }
    return float(RandomReal(swarm.yMin, swarm.yMax));
}

int32_t SetUpSwarm(Swarm& swarm, int32_t quantity, uint8_t direction, float speed, float size,
                   int32_t viewWidth, int32_t viewHeight, uint8_t colour) {
    swarm.direction = direction;
    swarm.speed = speed;
    swarm.size = size;
    swarm.viewWidth = viewWidth;
    swarm.viewHeight = viewHeight;
    swarm.yMax = float(1.1 + 3.0 * size);
    swarm.yMin = float(-0.1 - 2.0 * size);
    swarm.xMin = float(-0.1 - 2.0 * size);
    swarm.xMax = float(1.1 + 2.0 * size);
    swarm.zMax = 1.0f;
    swarm.zMin = 0.17f;

    swarm.scheme = (colour == kColourRandom || colour == kColourCycle) ? uint8_t(RandomInt(0, 3)) : colour;
    swarm.nextScheme = DrawNextScheme(swarm.scheme);
    swarm.colourA = SchemeColourA(swarm.scheme);
    swarm.colourB = SchemeColourB(swarm.scheme);
    swarm.cycleTimer = 0;
    swarm.blendTime = 5000000;
    swarm.cyclePeriod = 30000000;
    swarm.cycleColours = colour == kColourCycle;
    swarm.wispCount = 0;
    swarm.wisps = nullptr;
    return CreateWisps(swarm, 2 * quantity);
}

int32_t CreateWisps(Swarm& swarm, int32_t count) {
    if (count < 0) count = 0;
    Wisp* wisps = new (std::nothrow) Wisp[std::size_t(count)];
    if (wisps == nullptr) {
        swarm.wispCount = 0;
        swarm.wisps = nullptr;
        return 1;
    }
    swarm.wisps = wisps;
    swarm.wispCount = count;
    for (int32_t i = 0; i < count; ++i) {
        const float rate = RandomFloat(1e-7f, 4e-7f);
        InitWisp(wisps[i], swarm, rate);
    }
    return 0;
}

void InitWisp(Wisp& wisp, const Swarm& swarm, float rate) {
    wisp.mix = RandomFloat(0.0f, 1.0f);
    wisp.glow = RandomFloat(0.0f, 1.0f);
    wisp.glowRate = rate;
    const Vec3 direction = RandomDirection();
    wisp.jitter = Vec3Scale(direction, float(RandomReal(0.0, 0.07)));
    switch (swarm.direction) {
        case kDirectionIn: {
            wisp.position.x = float(RandomReal(swarm.xMin, swarm.xMax));
            wisp.position.y = DrawBandY(swarm, wisp.position.x);
            wisp.position.z = float(RandomReal(swarm.zMin, swarm.zMax));
            wisp.velocity = Vec3Scale(Vec3Negate(Vec3UnitZ()), swarm.speed);
            break;
        }
        default: {
            wisp.position.z = float(RandomReal(swarm.zMin, swarm.zMax));
            wisp.position.y = float(RandomReal(swarm.yMin, swarm.yMax));
            wisp.position.x = float(RandomReal(swarm.xMin, swarm.xMax));
            const Vec3 axis = swarm.direction == kDirectionUp ? Vec3UnitY() : Vec3Negate(Vec3UnitY());
            wisp.velocity = Vec3Scale(axis, swarm.speed);
            break;
        }
    }
    wisp.active = 1;
}

void ReleaseWisps(Swarm& swarm) {
    delete[] swarm.wisps;
    swarm.wisps = nullptr;
    swarm.wispCount = 0;
}
