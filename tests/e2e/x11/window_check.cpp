// x11-window-check: the hack's window code on its own, for what cannot be timed or provoked from outside
// the program. Opens the hack's own window on $DISPLAY, then checks that
// - the wait between frames ends at once when a close has already been read off the connection (as
//   happens when the frame awaits a reply from the server), instead of sleeping out the whole delay;
// - an X error about the drawn window that does not say it is gone (BadMatch from reading pixels outside
//   it) fails the hack instead of passing for the window's end (the message is the caller's to check).
// Exit 0 when both hold.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

int CheckWait(HackWindow& hack) {
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
        std::fprintf(stderr, "x11-window-check: the close was not queued\n");
        return 1;
    }
    const double start = NowSeconds();
    WaitForEvents(hack, kLongWaitMicroseconds);
    const double waited = NowSeconds() - start;
    const int32_t event = HandleWindowEvents(hack);
    std::printf("waited %.3f s, event %d\n", waited, event);
    return waited < 1.0 && event == kEventClose ? 0 : 1;
}

int CheckError(HackWindow& hack) {
    XImage* image = XGetImage(hack.display, hack.window, hack.width, hack.height, 10, 10, AllPlanes, ZPixmap);
    if (image != nullptr) XDestroyImage(image);
    const int32_t event = HandleWindowEvents(hack);
    std::printf("event %d, failed %d\n", event, HackWindowFailed() ? 1 : 0);
    return image == nullptr && event != kEventClose && HackWindowFailed() ? 0 : 1;
}

}  // namespace

int main() {
    HackOptions options = DefaultHackOptions();
    HackWindow hack{};
    if (OpenHackWindow(hack, options) != 0) {
        CloseHackWindow(hack);
        return 1;
    }
    // The error is last: a failed hack stays failed.
    const int result = CheckWait(hack) | CheckError(hack);
    CloseHackWindow(hack);
    return result;
}
