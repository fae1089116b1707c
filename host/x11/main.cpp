// fenlight: the Linux hack. Reads the options, draws into the window xscreensaver hands over (or a
// given one, or its own), and runs frames at most one a refresh, each followed by the delay, until a
// signal, a close or the window's end.
#include <cstdio>
#include <ctime>

#include "app/app_state.h"
#include "host/saver_run.h"
#include "host/x11/fps_overlay.h"
#include "host/x11/frame_rate.h"
#include "host/options.h"
#include "host/posix/stop_signals.h"
#include "host/x11/window.h"
#include "settings/settings.h"

namespace {

bool closeRequested = false;

uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

// Handles the window's events; false once the hack should end (the answer stays false).
bool KeepRunning(HackWindow& hack) {
    if (closeRequested) return false;
    const int32_t event = HandleWindowEvents(hack);
    if (event == kEventClose) closeRequested = true;
    if (event == kEventResized) ResizeSaver(appState, hack.width, hack.height);
    return !closeRequested && !StopRequested() && !HackWindowFailed();
}

// The hack's side of the shared frame: the frame rate drawn over the finished picture before the swap.
struct HackView {
    HackWindow* hack;
    bool showFps;
    FpsCounter fps;
};

void ShowHackFrame(void* host, const AppState& app) {
    HackView& view = *static_cast<HackView*>(host);
    if (view.showFps) {
        char fpsText[kFpsTextSize];
        FormatFps(view.fps.rate, fpsText);
        DrawFpsOverlay(fpsText, app.clientWidth, app.clientHeight);
    }
    ShowFrame(*view.hack);
}

void RunFrames(HackWindow& hack, const HackOptions& options, const SaverPlatform& platform) {
    FpsCounter& fps = static_cast<HackView*>(platform.host)->fps;
    FramePacing& pacing = hack.pacing;
    pacing.delayMicroseconds = options.delayMicroseconds;
    StartFpsCounter(fps, NowMicroseconds());
    while (KeepRunning(hack)) {
        // Stopped (the monitor was off) and continued: the time nobody saw is not simulated.
        if (TakeContinued()) ResumeScene(appState);
        const uint64_t frameStart = NowMicroseconds();
        FrameTick(appState, platform);
        const uint64_t frameEnd = NowMicroseconds();
        CountFrame(fps, frameEnd);
        if (fps.frames == 0) CheckSwapWaits(pacing, fps.rate);  // a second's count has just closed
        // Wait for the next frame's time, still answering the window's events. Even when it is due at once
        // the wait runs once, with no timeout, and sends off what the frame queued.
        uint32_t wait = 0;
        do {
            wait = WaitBeforeNextFrame(pacing, frameStart, frameEnd, NowMicroseconds());
            WaitForEvents(hack, wait);
        } while (wait > 0 && KeepRunning(hack));
    }
}

}  // namespace

int main(int argc, char** argv) {
    HackOptions options = DefaultHackOptions();
    const ParseResult parsed = ParseHackOptions(options, argc, argv);
    if (parsed.outcome == kParseHelp) {
        std::fputs(HackUsage(), stdout);
        return 0;
    }
    if (parsed.outcome == kParseError) {
        std::fprintf(stderr, "%s\n", parsed.message.c_str());
        return 1;
    }
    CatchStopSignals();

    HackWindow hack{};
    if (OpenHackWindow(hack, options) != 0) {
        CloseHackWindow(hack);
        return 1;
    }
    HackView view{&hack, options.showFps, {}};
    const SaverPlatform platform{&view, ShowHackFrame};
    StartSaver(appState, hack.width, hack.height, options.settings);

    RunFrames(hack, options, platform);

    const bool failed = HackWindowFailed();
    ReleaseSaver(appState);
    CloseHackWindow(hack);
    return failed ? 1 : 0;
}
