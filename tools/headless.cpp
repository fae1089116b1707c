// Runs the scene without a display for a few simulated minutes and prints, once per simulated 10 s,
// what a person watching would want to know.
#include <cstdio>
#include <cstdlib>

#include "app/app_state.h"
#include "app/tick.h"

namespace {

uint32_t fakeTick = 0;
uint32_t FakeTick() {
    return fakeTick;
}

const char* const kDirectionNames[] = {"Up", "Down", "In"};
const char* const kSchemeNames[] = {"Emerald", "Lapis", "Amber", "Amethyst"};

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 11;
    SetTickSource(FakeTick);
    fakeTick = 1;
    AppState& app = appState;
    app.quantity = 77;
    app.sizeValue = 2.97f;
    app.speedValue = 9.95f;
    app.colour = kColourCycle;
    app.direction = kDirectionCycle;
    app.clientWidth = 1280;
    app.clientHeight = 720;
    CreateScene(app);
    const uint32_t frameMs = 16;
    const uint32_t total = uint32_t(minutes) * 60000u;
    uint32_t nextReport = 0;
    for (uint32_t t = 0; t <= total; t += frameMs) {
        fakeTick += frameMs;
        AdvanceFrame(app);
        if (t >= nextReport) {
            const Swarm& s = *app.swarm;
            int inside = 0;
            double glow = 0;
            for (int i = 0; i < s.wispCount; ++i) {
                const Vec3 p = s.wisps[i].position;
                inside += p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1;
                glow += s.wisps[i].glow;
            }
            const bool blending = s.cycleColours && s.cycleTimer > s.cyclePeriod - s.blendTime;
            std::printf("%4u s  direction %-4s  scheme %-8s", t / 1000, kDirectionNames[s.direction],
                        kSchemeNames[s.scheme]);
            if (blending) {
                std::printf(" -> %-8s %3.0f%%", kSchemeNames[s.nextScheme],
                            100.0 * (s.cycleTimer - (s.cyclePeriod - s.blendTime)) / s.blendTime);
            } else {
                std::printf("             ");
            }
            std::printf("  wisps in view %3d/%d  mean glow %.2f  fade %.2f\n", inside, s.wispCount,
                        glow / s.wispCount, FadeAlpha(*app.fade));
            nextReport += 10000;
        }
        CompleteFrame(app);
    }
    ReleaseScene(app);
    return 0;
}
