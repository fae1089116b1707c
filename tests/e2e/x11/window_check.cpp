// x11-window-check: the hack's window code on its own, for what cannot be timed or provoked from outside
// the program. Opens the hack's own window on $DISPLAY, then checks that
// - the wait between frames ends at once when a close has already been read off the connection (as
//   happens when the frame awaits a reply from the server), instead of sleeping out the whole delay;
// - an X error about the drawn window that does not say it is gone (BadMatch from reading pixels outside
//   it) fails the hack instead of passing for the window's end (the message is the caller's to check).
// Exit 0 when both hold.
// With a window id, it adopts that window instead and checks that the GLX extensions the hack asks about are
// those of the window's own screen, which need not be the display's default one: every extension that
// screen names is found. Exit 0 when that holds.
// With "glyphs", it prints the rows of the frame-rate text's glyphs, "C 0x..,0x.." a character, and ends.
// It also stands in for the windows other programs hand the hack:
//   new WIDTH HEIGHT [vroot|inputonly]  makes and maps a black window with the default visual, prints its id,
//                                       and stays until killed; with vroot the window also names itself the
//                                       virtual root (__SWM_VROOT); inputonly makes it of class InputOnly
//   close ID                            asks window ID to close as a window manager would
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "host/x11/frame_rate.h"
#include "host/options.h"
#include "host/x11/window.h"

namespace {

constexpr uint32_t kLongWaitMicroseconds = 5000000;

double NowSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The window manager's close: WM_DELETE_WINDOW, and a round trip that reads any answer into Xlib's queue.
void SendClose(Display* display, Window window) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
}

int MakeWindow(Display* display, int width, int height, const char* kind) {
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const auto w = unsigned(width), h = unsigned(height);
    const Window window =
        std::strcmp(kind, "inputonly") == 0
            ? XCreateWindow(display, root, 0, 0, w, h, 0, CopyFromParent, InputOnly, CopyFromParent, 0,
                            nullptr)
            : XCreateSimpleWindow(display, root, 0, 0, w, h, 0, 0, BlackPixel(display, screen));
    XStoreName(display, window, "fenlight test window");
    if (std::strcmp(kind, "vroot") == 0) {
        XChangeProperty(display, window, XInternAtom(display, "__SWM_VROOT", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&window), 1);
    }
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event{};
    while (event.type != MapNotify) XNextEvent(display, &event);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) XNextEvent(display, &event);
}

int CheckWait(HackWindow& hack) {
    // The close is read into Xlib's queue, leaving nothing on the connection.
    SendClose(hack.display, hack.window);
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

int CheckScreenExtensions(HackWindow& hack) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(hack.display, hack.window, &attributes);
    const int screen = XScreenNumberOfScreen(attributes.screen);
    const char* list = glXQueryExtensionsString(hack.display, screen);
    int named = 0;
    int found = 0;
    const char* at = list != nullptr ? list : "";
    while (*(at += std::strspn(at, " ")) != '\0') {
        const size_t length = std::strcspn(at, " ");
        ++named;
        if (HasGlxExtension(hack, std::string(at, length).c_str())) ++found;
        at += length;
    }
    std::printf("screen %d (the default is %d) names %d GLX extensions, %d found\n", screen,
                DefaultScreen(hack.display), named, found);
    return named > 0 && found == named ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "new") == 0 || std::strcmp(command, "close") == 0) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            std::fprintf(stderr, "x11-window-check: cannot open display\n");
            return 1;
        }
        if (argc >= 4 && command[0] == 'n') {
            return MakeWindow(display, std::atoi(argv[2]), std::atoi(argv[3]), argc >= 5 ? argv[4] : "");
        }
        if (argc == 3 && command[0] == 'c') {
            SendClose(display, Window(std::strtoul(argv[2], nullptr, 0)));
            return 0;
        }
        std::fprintf(stderr, "usage: x11-window-check new WIDTH HEIGHT [vroot|inputonly] | close ID\n");
        return 2;
    }
    if (std::strcmp(command, "glyphs") == 0) {
        for (const char* c = "FPS:0123456789."; *c != '\0'; ++c) {
            const uint8_t* rows = GlyphRows(*c);
            std::printf("%c", *c);
            for (int32_t r = 0; r < kGlyphHeight; ++r) std::printf("%c0x%02x", r == 0 ? ' ' : ',', rows[r]);
            std::printf("\n");
        }
        return 0;
    }
    HackOptions options = DefaultHackOptions();
    if (argc > 1) {
        options.target = HackTarget::kWindowId;
        if (!ParseWindowId(argv[1], options.windowId)) return 2;
    }
    HackWindow hack{};
    if (OpenHackWindow(hack, options) != 0) {
        CloseHackWindow(hack);
        return 1;
    }
    // The error is last: a failed hack stays failed.
    const int result = argc > 1 ? CheckScreenExtensions(hack) : CheckWait(hack) | CheckError(hack);
    CloseHackWindow(hack);
    return result;
}
