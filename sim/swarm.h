// The scene: one Swarm owning an array of Wisps, four fixed two-colour schemes, set-up and update.
// Positions are view units (x, y about 0..1 across the window, z the depth 0.17 near .. 1.0 far),
// times are microseconds, speeds and rates per microsecond.
#pragma once

#include <cstdint>

#include "sim/vec3.h"

// Direction values shared by the settings, the dialog and the scene. The swarm only ever sees 0..2.
constexpr uint8_t kDirectionUp = 0;
constexpr uint8_t kDirectionDown = 1;
constexpr uint8_t kDirectionIn = 2;
constexpr uint8_t kDirectionRandom = 3;
constexpr uint8_t kDirectionCycle = 4;

// Colour values: 0..3 a colour scheme, then Random and Cycle.
constexpr uint8_t kColourEmerald = 0;
constexpr uint8_t kColourLapis = 1;
constexpr uint8_t kColourAmber = 2;
constexpr uint8_t kColourAmethyst = 3;
constexpr uint8_t kColourRandom = 4;
constexpr uint8_t kColourCycle = 5;
constexpr int kSchemeCount = 4;

struct Wisp {
    float mix;       // blend 0..1 between colourA and colourB, fixed for the wisp's life
    float glow;      // brightness 0..1, a triangle wave
    float glowRate;  // signed change of glow per microsecond, magnitude 1e-7..4e-7
    Vec3 position;
    Vec3 velocity;  // per microsecond, along one axis only
    Vec3 jitter;    // random-walk offset added when drawn, length at most 0.07
    int32_t active;
};

struct Swarm {
    uint8_t direction;  // kDirectionUp, kDirectionDown or kDirectionIn
    float speed;
    float yMax;
    float yMin;
    float xMin;
    float xMax;
    float zMax;
    float zMin;
    float size;
    int32_t viewWidth;
    int32_t viewHeight;
    Vec3 colourA;
    Vec3 colourB;
    uint8_t scheme;
    uint8_t nextScheme;
    uint32_t cycleTimer;
    uint32_t blendTime;
    uint32_t cyclePeriod;
    bool cycleColours;
    int32_t wispCount;
    Wisp* wisps;
};

Vec3 SchemeColourA(uint8_t scheme);
Vec3 SchemeColourB(uint8_t scheme);

// Overwrites every field of the swarm (which must hold no wisps) and creates 2 x quantity wisps.
// Returns 0 on success, 1 when the wisp array cannot be allocated.
int32_t SetUpSwarm(Swarm& swarm, int32_t quantity, uint8_t direction, float speed, float size,
                   int32_t viewWidth, int32_t viewHeight, uint8_t colour);
int32_t CreateWisps(Swarm& swarm, int32_t count);
void InitWisp(Wisp& wisp, const Swarm& swarm, float rate);
void ReleaseWisps(Swarm& swarm);

// A scheme other than the given one (one draw or more).
uint8_t DrawNextScheme(uint8_t scheme);
// The start y of a wisp travelling towards the eye whose x was just drawn: never the picture's middle.
float DrawBandY(const Swarm& swarm, float x);

// Advances every active wisp and the colour cycle by elapsed microseconds.
void UpdateSwarm(Swarm& swarm, uint32_t elapsed);
