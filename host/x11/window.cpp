#include "host/x11/window.h"

#include "host/x11/frame_rate.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "host/posix/stop_signals.h"

namespace {

constexpr int32_t kOwnWindowWidth = 800;
constexpr int32_t kOwnWindowHeight = 600;

// What the X error handler records. While a lookup that may race with other clients runs (a window
// vanishing between listing and reading it), or while the hack tears down, errors are only counted.
// Otherwise the handler, which must not talk to the server, records what came and the hack acts on it
// after the call that caused it. Xlib's handler takes no argument of ours, so the record is the file's.
struct XErrorState {
    bool trapping;
    int32_t trappedErrors;
    // Errors saying the window we draw into is no longer there mean it was destroyed under us (its owner
    // went away before telling us): the hack then ends quietly, as it does on the window's DestroyNotify.
    Window drawnWindow;
    int glxErrorBase;
    bool windowGone;
    // Any other error ends the hack with a message naming the first one.
    bool failed;
    bool failureReported;
    XErrorEvent firstFailure;
};

XErrorState xErrors{};
constexpr int kGlxBadDrawable = 2;  // GLXBadDrawable of the GLX protocol, counted from its error base

bool SaysWindowGone(const XErrorEvent& error) {
    if (xErrors.drawnWindow == None || error.resourceid != xErrors.drawnWindow) return false;
    return error.error_code == BadWindow || error.error_code == BadDrawable ||
           (xErrors.glxErrorBase != 0 && error.error_code == xErrors.glxErrorBase + kGlxBadDrawable);
}

int OnXError(Display*, XErrorEvent* error) {
    if (xErrors.trapping) {
        ++xErrors.trappedErrors;
    } else if (SaysWindowGone(*error)) {
        xErrors.windowGone = true;
    } else if (!xErrors.failed) {
        xErrors.failed = true;
        xErrors.firstFailure = *error;
    }
    return 0;
}

// Prints the error that ended the hack, once.
void ReportFailure(Display* display) {
    if (!xErrors.failed || xErrors.failureReported) return;
    xErrors.failureReported = true;
    const XErrorEvent& first = xErrors.firstFailure;
    char text[160];
    XGetErrorText(display, first.error_code, text, sizeof text);
    // Core requests have names in Xlib's error database; extension requests show their numbers alone.
    char number[16];
    std::snprintf(number, sizeof number, "%d", first.request_code);
    char name[64];
    XGetErrorDatabaseText(display, "XRequest", number, "", name, sizeof name);
    char request[96];
    if (*name != '\0') {
        std::snprintf(request, sizeof request, "%s (%d.%d)", name, first.request_code, first.minor_code);
    } else {
        std::snprintf(request, sizeof request, "%d.%d", first.request_code, first.minor_code);
    }
    std::fprintf(stderr, "fenlight: X error: %s (request %s, resource 0x%lx)\n", text, request,
                 first.resourceid);
}

void BeginTrap() {
    xErrors.trapping = true;
    xErrors.trappedErrors = 0;
}

// Ends the trap after the server has answered everything sent; true when no error came back.
bool EndTrap(Display* display) {
    XSync(display, False);
    xErrors.trapping = false;
    return xErrors.trappedErrors == 0;
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

// Adopts a window someone else made: it must show pixels, and its visual must be one GLX can draw
// into with RGBA colour.
int32_t AdoptWindow(HackWindow& hack, Window window) {
    XWindowAttributes attributes{};
    BeginTrap();
    const Status status = XGetWindowAttributes(hack.display, window, &attributes);
    if (!EndTrap(hack.display) || status == 0) {
        std::fprintf(stderr, "fenlight: window 0x%lx does not exist\n", window);
        return 1;
    }
    if (attributes.c_class == InputOnly) {
        std::fprintf(stderr, "fenlight: window 0x%lx is input-only: it has no pixels to draw into\n", window);
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
    hack.screen = wanted.screen;
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
    hack.screen = screen;
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

// Asks the driver to make each swap wait for the screen's refresh; true when it took the interval. Only
// extensions the display names are called: Mesa hands out entry points for the others too, and on a
// display without them (Xvfb) those crash.
bool WaitSwapsForRefresh(HackWindow& hack) {
    using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
    using SwapInterval = int (*)(int);
    const auto find = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    BeginTrap();
    bool taken = false;
    if (HasGlxExtension(hack, "GLX_EXT_swap_control")) {
        if (const auto set = reinterpret_cast<SwapIntervalExt>(find("glXSwapIntervalEXT"))) {
            set(hack.display, hack.window, 1);
            taken = true;
        }
    } else if (HasGlxExtension(hack, "GLX_MESA_swap_control")) {
        const auto set = reinterpret_cast<SwapInterval>(find("glXSwapIntervalMESA"));
        taken = set != nullptr && set(1) == 0;
    } else if (HasGlxExtension(hack, "GLX_SGI_swap_control")) {
        const auto set = reinterpret_cast<SwapInterval>(find("glXSwapIntervalSGI"));
        taken = set != nullptr && set(1) == 0;
    }
    return EndTrap(hack.display) && taken;
}

// The refresh period of the monitor under the window's centre (or, for a window on none, the fastest it
// overlaps), from RandR; 0 when no monitor says.
uint32_t MeasureRefresh(HackWindow& hack) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(hack.display, &eventBase, &errorBase)) return 0;
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = None;
    BeginTrap();
    const bool placed =
        XGetWindowAttributes(hack.display, hack.window, &attributes) != 0 &&
        XTranslateCoordinates(hack.display, hack.window, attributes.root, 0, 0, &x, &y, &child);
    XRRScreenResources* screen =
        placed ? XRRGetScreenResourcesCurrent(hack.display, attributes.root) : nullptr;
    const int centreX = x + attributes.width / 2;
    const int centreY = y + attributes.height / 2;
    uint32_t under = 0;
    uint32_t fastest = 0;
    for (int i = 0; screen != nullptr && i < screen->ncrtc; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(hack.display, screen, screen->crtcs[i]);
        if (crtc == nullptr) continue;
        for (int m = 0; crtc->mode != None && m < screen->nmode; ++m) {
            const XRRModeInfo& mode = screen->modes[m];
            if (mode.id != crtc->mode) continue;
            const uint32_t period = RefreshMicroseconds(mode.dotClock, mode.hTotal, mode.vTotal,
                                                        (mode.modeFlags & RR_DoubleScan) != 0,
                                                        (mode.modeFlags & RR_Interlace) != 0);
            const int right = crtc->x + int(crtc->width);
            const int bottom = crtc->y + int(crtc->height);
            if (period != 0 && centreX >= crtc->x && centreX < right && centreY >= crtc->y &&
                centreY < bottom)
                under = period;
            const bool overlaps =
                x < right && crtc->x < x + attributes.width && y < bottom && crtc->y < y + attributes.height;
            if (period != 0 && overlaps && (fastest == 0 || period < fastest)) fastest = period;
        }
        XRRFreeCrtcInfo(crtc);
    }
    if (screen != nullptr) XRRFreeScreenResources(screen);
    EndTrap(hack.display);
    return under != 0 ? under : fastest;
}

void TakeRefresh(HackWindow& hack) {
    const uint32_t measured = MeasureRefresh(hack);
    hack.pacing.refreshMicroseconds = measured != 0 ? measured : kDefaultRefreshMicroseconds;
}

}  // namespace

bool HasGlxExtension(const HackWindow& hack, const char* name) {
    // Each screen may have a driver of its own: a window handed over (--window-id, XSCREENSAVER_WINDOW)
    // may be on another than the default one.
    const char* list = glXQueryExtensionsString(hack.display, hack.screen);
    const size_t length = std::strlen(name);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
    }
    return false;
}

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
    xErrors.glxErrorBase = errorBase;
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
    xErrors.drawnWindow = hack.window;
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
    hack.pacing.swapWaits = hack.doubleBuffered && WaitSwapsForRefresh(hack);
    TakeRefresh(hack);
    ReportFailure(hack.display);
    return xErrors.failed ? 1 : 0;
}

int32_t HandleWindowEvents(HackWindow& hack) {
    ReportFailure(hack.display);
    int32_t result = xErrors.windowGone ? kEventClose : kEventNone;
    bool configured = false;
    while (XPending(hack.display) > 0) {
        XEvent event{};
        XNextEvent(hack.display, &event);
        switch (event.type) {
            case ConfigureNotify:
                if (event.xconfigure.window != hack.window) break;
                configured = true;
                if (event.xconfigure.width != hack.width || event.xconfigure.height != hack.height) {
                    hack.width = event.xconfigure.width;
                    hack.height = event.xconfigure.height;
                    if (result == kEventNone) result = kEventResized;
                }
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == hack.window) {
                    // Nothing left to draw into.
                    xErrors.windowGone = true;
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
    // Moved or resized, it may now be on another monitor: asked once for all a drag queued.
    if (configured && result != kEventClose) TakeRefresh(hack);
    return result;
}

void WaitForEvents(HackWindow& hack, uint32_t microseconds) {
    XFlush(hack.display);
    // Events Xlib has already read (a reply awaited during the frame brings them along) would not make
    // the connection readable: handle them now rather than after the whole wait.
    if (XEventsQueued(hack.display, QueuedAlready) > 0) microseconds = 0;
    pollfd connection{ConnectionNumber(hack.display), POLLIN, 0};
    const timespec timeout{time_t(microseconds / 1000000u), long(microseconds % 1000000u) * 1000};
    PollUnlessStopped(&connection, 1, timeout);
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
    ReportFailure(hack.display);
    // What the hack did is settled; errors from freeing what it made (on a window already gone, or
    // after the server refused a request) would only mislead.
    BeginTrap();
    glXMakeCurrent(hack.display, None, nullptr);
    if (hack.context != nullptr) glXDestroyContext(hack.display, hack.context);
    if (hack.ownWindow && !xErrors.windowGone) XDestroyWindow(hack.display, hack.window);
    xErrors.drawnWindow = None;
    if (hack.colormap != None) XFreeColormap(hack.display, hack.colormap);
    XCloseDisplay(hack.display);
    xErrors.trapping = false;
    hack = HackWindow{};
}

bool HackWindowFailed() {
    return xErrors.failed;
}
