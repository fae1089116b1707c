// fenlight: the Linux hack. Reads the options, draws into the window xscreensaver hands over (or a
// given one, or its own), and runs one frame per delay until a signal, a close or the window's end.
#include <csignal>
#include <cstdio>
#include <ctime>

#include "app/app_state.h"
#include "app/saver_run.h"
#include "host/x11/fps_overlay.h"
#include "host/x11/hack_view.h"
#include "host/x11/options.h"
#include "host/x11/x11_window.h"
#include "render/gl_include.h"
#include "settings/settings.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
bool closeRequested = false;

void OnStopSignal(int) {
    stopRequested = 1;
}

// The stop signals are held back while a frame is worked on and let in only while the loop waits
// (ppoll's mask), so one that comes at any moment cuts the next wait short, and Mesa's worker threads
// never take it in the main thread's place.
sigset_t waitMask;

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
}

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
    if (event == kEventResized && ResizeView(appState, hack.width, hack.height)) {
        glViewport(0, 0, appState.clientWidth, appState.clientHeight);
    }
    return !closeRequested && stopRequested == 0 && !HackWindowFailed();
}

// The hack's side of the shared start-up and frame: the window's GLX context, and the frame rate drawn
// over the finished picture before the swap.
struct HackView {
    HackWindow* hack;
    bool showFps;
    FpsCounter fps;
};

ViewContext HackContext(void* host) {
    return {nullptr, static_cast<HackView*>(host)->hack->context};
}

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
    StartFpsCounter(fps, NowMicroseconds());
    while (KeepRunning(hack)) {
        const uint64_t frameStart = NowMicroseconds();
        FrameTick(appState, platform);
        CountFrame(fps, NowMicroseconds());
        // Sleep out the rest of the delay, still answering the window's events. Even without a delay
        // the wait runs once, with no timeout, to let a pending stop signal in.
        uint32_t wait = 0;
        do {
            wait = WaitBeforeNextFrame(frameStart, NowMicroseconds(), options.delayMicroseconds);
            WaitForEvents(hack, wait, &waitMask);
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
    const SaverPlatform platform{&view, HackContext, ShowHackFrame};
    StartSaver(appState, platform, hack.width, hack.height, options.settings);

    RunFrames(hack, options, platform);

    const bool failed = HackWindowFailed();
    appState.hglrc = nullptr;
    CloseHackWindow(hack);
    ReleaseScene(appState);
    return failed ? 1 : 0;
}
