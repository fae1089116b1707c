#include <cmath>

#include "sim/random.h"
#include "sim/swarm.h"

namespace {

// The square of 0.07, as the double-precision product gives it (0.004900000000000001).
constexpr double kJitterLimitSquared = 0.07 * 0.07;

bool Inside(const Swarm& s, Vec3 p) {
    return s.xMin <= p.x && p.x <= s.xMax && s.yMin <= p.y && p.y <= s.yMax && s.zMin <= p.z && p.z <= s.zMax;
}

Vec3 DrawEntryPosition(const Swarm& s) {
    Vec3 p;
    switch (s.direction) {
        case kDirectionUp:
            p.z = float(RandomReal(s.zMin, s.zMax));
            p.y = float(double(s.yMin) + 0.1);  // just above the bottom of the box
            p.x = float(RandomReal(s.xMin, s.xMax));
            break;
        case kDirectionDown:
            p.z = float(RandomReal(s.zMin, s.zMax));
            p.y = s.yMax;
            p.x = float(RandomReal(s.xMin, s.xMax));
            break;
        default:
            p.x = float(RandomReal(s.xMin, s.xMax));
            p.y = DrawBandY(s, p.x);
            p.z = s.zMax;
            break;
    }
    return p;
}

Vec3 Blend(Vec3 from, Vec3 to, float f) {
    return Vec3Add(from, Vec3Scale(Vec3Sub(to, from), f));
}

void CycleColours(Swarm& s, uint32_t elapsed) {
    s.cycleTimer += elapsed;
    if (s.cycleTimer > s.cyclePeriod) {
        // Whatever exceeded the period is dropped.
        s.scheme = s.nextScheme;
        s.cycleTimer = 0;
        s.colourA = SchemeColourA(s.scheme);
        s.colourB = SchemeColourB(s.scheme);
        s.nextScheme = DrawNextScheme(s.scheme);
        return;
    }
    const uint32_t blendStart = s.cyclePeriod - s.blendTime;
    if (s.cycleTimer > blendStart) {
        const float f = float(double(s.cycleTimer - blendStart) / double(s.blendTime));
        s.colourA = Blend(SchemeColourA(s.scheme), SchemeColourA(s.nextScheme), f);
        s.colourB = Blend(SchemeColourB(s.scheme), SchemeColourB(s.nextScheme), f);
    }
}

}  // namespace

void UpdateSwarm(Swarm& swarm, uint32_t elapsed) {
    const float t = float(elapsed);
    const float jitterStep = float(double(elapsed) * 1e-8);
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        Wisp& w = swarm.wisps[i];
        if (w.active == 0) continue;
        w.position = Vec3Add(w.position, Vec3Scale(w.velocity, t));
        w.glow = float(double(w.glow) + double(w.glowRate) * t);
        // A wisp comes back only once it has left the box and faded out; one outside but still
        // glowing drifts on out of sight until its glow reaches zero.
        if (!Inside(swarm, w.position) && w.glow <= 0.0f) {
            w.position = DrawEntryPosition(swarm);
            w.glow = 0.0f;
        }
        if (w.glow < 0.0f) {
            w.glow = 0.0f;
            w.glowRate = -w.glowRate;
        }
        if (w.glow > 1.0f) {
            w.glow = 1.0f;
            w.glowRate = -w.glowRate;
        }
        w.jitter = Vec3Add(w.jitter, Vec3Scale(RandomDirection(), jitterStep));
        if (double(Vec3LengthSquared(w.jitter)) > kJitterLimitSquared) {
            w.jitter = Vec3Scale(Vec3Normalise(w.jitter), 0.07f);
        }
    }
    if (swarm.cycleColours) CycleColours(swarm, elapsed);
}
