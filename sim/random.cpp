#include "sim/random.h"

namespace {
uint32_t randomState = 0;
}

void SeedRandom(uint32_t seed) {
    randomState = seed;
}

uint32_t RandomState() {
    return randomState;
}

int32_t RandomDraw() {
    randomState = randomState * 214013u + 2531011u;
    return int32_t((randomState >> 16) & 0x7FFFu);
}

int32_t RandomInt(int32_t lo, int32_t hi) {
    if (!(lo < hi)) return lo;
    const int64_t span = int64_t(hi) - lo + 1;
    return int32_t(lo + RandomDraw() % span);
}

float RandomFloat(float lo, float hi) {
    if (!(lo < hi)) return lo;
    return float(lo + RandomDraw() * (double(hi) - lo) / 32767.0);
}

double RandomReal(double lo, double hi) {
    if (!(lo < hi)) return lo;
    return lo + RandomDraw() * (hi - lo) / 32767.0;
}
