// x11-wait-check: the hack's wait between frames ends at once when a close has already been read off
// the connection (as happens when the frame awaits a reply from the server), instead of sleeping out
// the whole delay. Opens the hack's own window on $DISPLAY, sends itself the window manager's close,
// lets Xlib read it into its queue, then waits. Exit 0 when the close ended the wait within a second.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <ctime>

#include "host/x11/options.h"
#include "host/x11/x11_window.h"

namespace {

constexpr uint32_t kLongWaitMicroseconds = 5000000;

double NowSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int Check(HackWindow& hack) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = hack.window;
    close.xclient.message_type = hack.wmProtocols;
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(hack.wmDeleteWindow);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(hack.display, hack.window, False, NoEventMask, &close);
    // The round trip reads the close into Xlib's queue, leaving nothing on the connection.
    XSync(hack.display, False);
    if (XEventsQueued(hack.display, QueuedAlready) == 0) {
        std::fprintf(stderr, "x11-wait-check: the close was not queued\n");
        return 1;
    }
    sigset_t mask;
    sigprocmask(SIG_SETMASK, nullptr, &mask);
    const double start = NowSeconds();
    WaitForEvents(hack, kLongWaitMicroseconds, &mask);
    const double waited = NowSeconds() - start;
    const int32_t event = HandleWindowEvents(hack);
    std::printf("waited %.3f s, event %d\n", waited, event);
    return waited < 1.0 && event == kEventClose ? 0 : 1;
}

}  // namespace

int main() {
    HackOptions options = DefaultHackOptions();
    HackWindow hack{};
    if (OpenHackWindow(hack, options) != 0) {
        CloseHackWindow(hack);
        return 1;
    }
    const int result = Check(hack);
    CloseHackWindow(hack);
    return result;
}
