// The one process-wide 15-bit linear congruential generator. Its range (0..32767) is part of every
// formula below, so the program carries it itself rather than using the platform's rand().
#pragma once

#include <cstdint>

constexpr int32_t kRandomMax = 32767;

void SeedRandom(uint32_t seed);
uint32_t RandomState();  // the generator's state, for tests that count draws
int32_t RandomDraw();    // 0..32767

// Each consumes exactly one draw when lo < hi, none otherwise (then the result is lo).
int32_t RandomInt(int32_t lo, int32_t hi);  // lo..hi inclusive
float RandomFloat(float lo, float hi);      // rounded to float
double RandomReal(double lo, double hi);    // not rounded: the caller rounds when it stores
