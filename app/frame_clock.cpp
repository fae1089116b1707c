#include "app/frame_clock.h"

#include "app/tick.h"

void StartClock(FrameClock& clock, uint32_t maxStep) {
    const uint32_t now = ReadTickCount();
    clock.start = now;
    clock.current = now;
    clock.previous = now;
    clock.step = 1;
    clock.maxStep = maxStep;
}

void TickClock(FrameClock& clock) {
    clock.previous = clock.current;
    clock.current = ReadTickCount();
    // Unsigned subtraction: a wrap of the 32-bit tick count still gives the true interval.
    uint32_t step = clock.current - clock.previous;
    if (step == 0) step = 1;
    if (step >= clock.maxStep) step = clock.maxStep;
    clock.step = step;
}

void InitFade(FadeOverlay& fade, uint32_t duration, uint32_t fadeIn, uint32_t fadeOut, uint32_t hold,
              bool enabled) {
    fade.duration = duration;
    fade.elapsed = 0;
    fade.fadeIn = fadeIn;
    fade.fadeOut = fadeOut;
    fade.hold = hold;
    fade.enabled = enabled;
}

void AdvanceFade(FadeOverlay& fade, uint32_t amount) {
    if (fade.enabled) fade.elapsed += amount;
}

void ResetFade(FadeOverlay& fade) {
    fade.elapsed = 0;
}

bool FadeFinished(const FadeOverlay& fade) {
    return fade.enabled && fade.elapsed > fade.duration;
}

float FadeAlpha(const FadeOverlay& fade) {
    if (!fade.enabled) return 0.0f;
    const uint32_t e = fade.elapsed;
    const uint32_t fadeOutStart = fade.duration - fade.hold - fade.fadeOut;
    const uint32_t fadeOutEnd = fade.duration - fade.hold;
    if (e < fade.fadeIn) return float(1.0 - double(e) / double(fade.fadeIn));
    if (e <= fadeOutStart) return 0.0f;
    if (e < fadeOutEnd) return float(double(e - fadeOutStart) / double(fade.fadeOut));
    return 1.0f;
}
