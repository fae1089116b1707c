#include "app/simulated_time.h"

#include <algorithm>
#include <cmath>

#include "app/tick.h"

namespace {

uint32_t simulatedTick = 0;

uint32_t SimulatedTick() {
    return simulatedTick;
}

}  // namespace

void StartSimulatedTime(uint32_t seed) {
    simulatedTick = seed;
    SetTickSource(SimulatedTick);
}

void AdvanceSimulatedTime(AppState& app, double seconds) {
    if (!(seconds > 0.0)) return;
    // Stepped through at once: an unbounded time would never end, nor round to a count of frames.
    seconds = std::min(seconds, kMaxSimulatedSeconds);
    const auto frames = static_cast<unsigned long long>(std::llround(seconds * 1000.0 / kSimulatedFrameMs));
    for (unsigned long long i = 0; i < frames; ++i) {
        simulatedTick += kSimulatedFrameMs;
        AdvanceFrame(app);
        CompleteFrame(app);
    }
}
