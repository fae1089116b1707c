// The frame clock (milliseconds of the tick count, bounded steps) and the fade overlay's timing
// (microseconds): black at the start of its cycle, clearing, clear, darkening, black at its end.
#pragma once

#include <cstdint>

struct FrameClock {
    uint32_t start;
    uint32_t current;
    uint32_t previous;
    uint32_t step;  // ms between the two latest ticks, 1..maxStep
    uint32_t maxStep;
};

void StartClock(FrameClock& clock, uint32_t maxStep);
void TickClock(FrameClock& clock);

struct FadeOverlay {
    uint32_t duration;
    uint32_t elapsed;
    uint32_t fadeIn;
    uint32_t fadeOut;
    uint32_t hold;
    bool enabled;
};

void InitFade(FadeOverlay& fade, uint32_t duration, uint32_t fadeIn, uint32_t fadeOut, uint32_t hold,
              bool enabled);
void AdvanceFade(FadeOverlay& fade, uint32_t amount);
void ResetFade(FadeOverlay& fade);
bool FadeFinished(const FadeOverlay& fade);
// The overlay's alpha now: 0 when nothing is to be drawn (also when disabled), up to 1 for black.
float FadeAlpha(const FadeOverlay& fade);
