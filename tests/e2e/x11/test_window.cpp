// A stand-in for the windows other programs hand the hack:
//   x11-test-window new WIDTH HEIGHT [vroot|inputonly]
//                                               makes and maps a black window with the default visual,
//                                               prints its id, and stays until killed; with vroot the
//                                               window also names itself the virtual root (__SWM_VROOT);
//                                               inputonly makes it of class InputOnly (no pixels)
//   x11-test-window close ID                    asks window ID to close as a window manager would
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int MakeWindow(Display* display, int width, int height, const char* kind) {
    const int screen = DefaultScreen(display);
    const bool vroot = std::strcmp(kind, "vroot") == 0;
    const Window window =
        std::strcmp(kind, "inputonly") == 0
            ? XCreateWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height), 0,
                            CopyFromParent, InputOnly, CopyFromParent, 0, nullptr)
            : XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                  unsigned(height), 0, 0, BlackPixel(display, screen));
    XStoreName(display, window, "fenlight test window");
    if (vroot) {
        const Atom vrootAtom = XInternAtom(display, "__SWM_VROOT", False);
        XChangeProperty(display, window, vrootAtom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&window), 1);
    }
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

int CloseWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x11-test-window: cannot open display\n");
        return 1;
    }
    if (argc >= 4 && std::strcmp(argv[1], "new") == 0) {
        return MakeWindow(display, std::atoi(argv[2]), std::atoi(argv[3]), argc >= 5 ? argv[4] : "");
    }
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        return CloseWindow(display, Window(std::strtoul(argv[2], nullptr, 0)));
    }
    std::fprintf(stderr, "usage: x11-test-window new WIDTH HEIGHT [vroot|inputonly] | close ID\n");
    return 2;
}
