#include "host/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr int32_t kOwnWindowWidth = 800;
constexpr int32_t kOwnWindowHeight = 600;

// X errors: while a lookup that may race with other clients runs (a window vanishing between listing
// and reading it), errors are only counted; otherwise one is reported and ends the hack.
bool trapping = false;
int32_t trappedErrors = 0;
bool failed = false;
// Errors about the window we draw into mean it was destroyed under us (its owner went away before
// telling us): the hack then ends quietly, as it does on the window's DestroyNotify.
Window drawnWindow = None;
bool windowGone = false;

int OnXError(Display* display, XErrorEvent* error) {
    if (trapping) {
        ++trappedErrors;
        return 0;
    }
    if (drawnWindow != None && error->resourceid == drawnWindow) {
        windowGone = true;
        return 0;
    }
    char text[160];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "fenlight: X error: %s (request %d, resource 0x%lx)\n", text, error->request_code,
                 error->resourceid);
    failed = true;
    return 0;
}

void BeginTrap() {
    trapping = true;
    trappedErrors = 0;
}

// Ends the trap after the server has answered everything sent; true when no error came back.
bool EndTrap(Display* display) {
    XSync(display, False);
    trapping = false;
    return trappedErrors == 0;
}

// The virtual root a window manager or desktop may put over the real root (__SWM_VROOT on one of the
// root's children), else the root itself.
Window FindVirtualRoot(Display* display, int screen) {
    const Window root = RootWindow(display, screen);
    const Atom vrootAtom = XInternAtom(display, "__SWM_VROOT", False);
    Window found = root;
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    BeginTrap();
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == root; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], vrootAtom, 0, 1, False, XA_WINDOW, &type, &format,
                                   &items, &after, &data) == Success &&
                type == XA_WINDOW && format == 32 && items == 1 && data != nullptr) {
                found = Window(*reinterpret_cast<unsigned long*>(data));
            }
            if (data != nullptr) XFree(data);
        }
        if (children != nullptr) XFree(children);
    }
    EndTrap(display);
    return found;
}

Window FindRootTarget(Display* display) {
    const char* handedOver = std::getenv("XSCREENSAVER_WINDOW");
    if (handedOver != nullptr && *handedOver != '\0') {
        uint32_t id = 0;
        if (ParseWindowId(handedOver, id)) return Window(id);
        std::fprintf(stderr, "fenlight: ignoring XSCREENSAVER_WINDOW '%s': not a window id\n", handedOver);
    }
    return FindVirtualRoot(display, DefaultScreen(display));
}

bool VisualSupports(Display* display, XVisualInfo* visual, int attribute) {
    int value = 0;
    return glXGetConfig(display, visual, attribute, &value) == 0 && value != 0;
}

// Adopts a window someone else made: its visual must be one GLX can draw into with RGBA colour.
int32_t AdoptWindow(HackWindow& hack, Window window) {
    XWindowAttributes attributes{};
    BeginTrap();
    const Status status = XGetWindowAttributes(hack.display, window, &attributes);
    if (!EndTrap(hack.display) || status == 0) {
        std::fprintf(stderr, "fenlight: window 0x%lx does not exist\n", window);
        return 1;
    }
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    wanted.screen = XScreenNumberOfScreen(attributes.screen);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(hack.display, VisualIDMask | VisualScreenMask, &wanted, &count);
    if (visual == nullptr || !VisualSupports(hack.display, visual, GLX_USE_GL) ||
        !VisualSupports(hack.display, visual, GLX_RGBA)) {
        std::fprintf(stderr, "fenlight: window 0x%lx has a visual (0x%lx) OpenGL cannot draw into\n", window,
                     wanted.visualid);
        if (visual != nullptr) XFree(visual);
        return 1;
    }
    hack.window = window;
    hack.doubleBuffered = VisualSupports(hack.display, visual, GLX_DOUBLEBUFFER);
    hack.context = glXCreateContext(hack.display, visual, nullptr, True);
    XFree(visual);
    hack.width = attributes.width;
    hack.height = attributes.height;
    // Structure events tell of resizes (xscreensaver resizes its window when monitors change) and of
    // the window being destroyed under us.
    XSelectInput(hack.display, window, StructureNotifyMask);
    return 0;
}

int32_t MakeOwnWindow(HackWindow& hack) {
    Display* display = hack.display;
    const int screen = DefaultScreen(display);
    int doubleAttributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    int singleAttributes[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    hack.doubleBuffered = true;
    XVisualInfo* visual = glXChooseVisual(display, screen, doubleAttributes);
    if (visual == nullptr) {
        hack.doubleBuffered = false;
        visual = glXChooseVisual(display, screen, singleAttributes);
    }
    if (visual == nullptr) {
        std::fprintf(stderr, "fenlight: the display offers no OpenGL visual\n");
        return 1;
    }
    const Window root = RootWindow(display, screen);
    hack.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = hack.colormap;
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | StructureNotifyMask | ExposureMask;
    hack.window =
        XCreateWindow(display, root, 0, 0, kOwnWindowWidth, kOwnWindowHeight, 0, visual->depth, InputOutput,
                      visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    hack.ownWindow = true;
    hack.width = kOwnWindowWidth;
    hack.height = kOwnWindowHeight;
    XStoreName(display, hack.window, "Fenlight");
    XClassHint classHint{};
    char name[] = "fenlight";
    char className[] = "Fenlight";
    classHint.res_name = name;
    classHint.res_class = className;
    XSetClassHint(display, hack.window, &classHint);
    hack.wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    hack.wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, hack.window, &hack.wmDeleteWindow, 1);
    hack.context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    XMapWindow(display, hack.window);
    return 0;
}

}  // namespace

int32_t OpenHackWindow(HackWindow& hack, const HackOptions& options) {
    hack = HackWindow{};
    XSetErrorHandler(OnXError);
    hack.display = XOpenDisplay(options.display);
    if (hack.display == nullptr) {
        const char* name = options.display != nullptr ? options.display : std::getenv("DISPLAY");
        std::fprintf(stderr, "fenlight: cannot open display '%s'\n", name != nullptr ? name : "");
        return 1;
    }
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(hack.display, &errorBase, &eventBase)) {
        std::fprintf(stderr, "fenlight: the display has no GLX extension\n");
        return 1;
    }
    int32_t result = 0;
    switch (options.target) {
        case HackTarget::kRoot:
            result = AdoptWindow(hack, FindRootTarget(hack.display));
            break;
        case HackTarget::kWindowId:
            result = AdoptWindow(hack, Window(options.windowId));
            break;
        case HackTarget::kOwnWindow:
            result = MakeOwnWindow(hack);
            break;
    }
    if (result != 0) return result;
    drawnWindow = hack.window;
    if (hack.context == nullptr || !glXMakeCurrent(hack.display, hack.window, hack.context)) {
        std::fprintf(stderr, "fenlight: cannot make an OpenGL context for window 0x%lx\n", hack.window);
        return 1;
    }
    if (hack.ownWindow) {
        // The window manager may have placed it at another size than asked for.
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(hack.display, hack.window, &attributes) != 0) {
            hack.width = attributes.width;
            hack.height = attributes.height;
        }
    }
    return failed ? 1 : 0;
}

int32_t HandleWindowEvents(HackWindow& hack) {
    int32_t result = windowGone ? kEventClose : kEventNone;
    while (XPending(hack.display) > 0) {
        XEvent event{};
        XNextEvent(hack.display, &event);
        switch (event.type) {
            case ConfigureNotify:
                if (event.xconfigure.window == hack.window &&
                    (event.xconfigure.width != hack.width || event.xconfigure.height != hack.height)) {
                    hack.width = event.xconfigure.width;
                    hack.height = event.xconfigure.height;
                    if (result == kEventNone) result = kEventResized;
                }
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == hack.window) {
                    // Nothing left to draw into.
                    windowGone = true;
                    result = kEventClose;
                }
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (hack.ownWindow && (key == XK_Escape || key == XK_q || key == XK_Q)) result = kEventClose;
                break;
            }
            case ClientMessage:
                if (hack.ownWindow && event.xclient.message_type == hack.wmProtocols &&
                    Atom(event.xclient.data.l[0]) == hack.wmDeleteWindow) {
                    result = kEventClose;
                }
                break;
            default:
                break;
        }
    }
    return result;
}

void WaitForEvents(HackWindow& hack, uint32_t microseconds, const sigset_t* signalMask) {
    XFlush(hack.display);
    // Events Xlib has already read (a reply awaited during the frame brings them along) would not make
    // the connection readable: handle them now rather than after the whole wait.
    if (XEventsQueued(hack.display, QueuedAlready) > 0) microseconds = 0;
    pollfd connection{ConnectionNumber(hack.display), POLLIN, 0};
    const timespec timeout{time_t(microseconds / 1000000u), long(microseconds % 1000000u) * 1000};
    ppoll(&connection, 1, &timeout, signalMask);
}

void ShowFrame(HackWindow& hack) {
    if (hack.doubleBuffered) {
        glXSwapBuffers(hack.display, hack.window);
    } else {
        glFlush();
    }
}

void CloseHackWindow(HackWindow& hack) {
    if (hack.display == nullptr) return;
    glXMakeCurrent(hack.display, None, nullptr);
    if (hack.context != nullptr) glXDestroyContext(hack.display, hack.context);
    if (hack.ownWindow && !windowGone) XDestroyWindow(hack.display, hack.window);
    drawnWindow = None;
    if (hack.colormap != None) XFreeColormap(hack.display, hack.colormap);
    XCloseDisplay(hack.display);
    hack = HackWindow{};
}

bool HackWindowFailed() {
    return failed;
}
