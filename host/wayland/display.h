// fenlight-wayland's glue: the compositor's globals, one overlay layer surface per output with its own scene,
// one EGL context (OpenGL ES 2) made current with each output's surface in turn, frames on the compositor's
// frame callbacks, the seat's input judged by the dismissal rules, and the compositor's idle notifications.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host/wayland/options.h"
#include "host/wayland/saver_rules.h"

struct WaylandSaver;

// One output and, while the saver is shown there, its surface and scene.
struct SaverOutput {
    WaylandSaver* saver;
    uint32_t globalName;  // the registry's name, which global_remove gives back
    wl_output* output;
    std::string label;  // the output's name (wl_output 4), else "output N"
    int32_t scale;
    bool described;  // its first wl_output.done has come

    wl_surface* surface;
    struct zwlr_layer_surface_v1* layer;
    struct wp_viewport* viewport;
    struct wp_fractional_scale_v1* fractional;
    uint32_t preferred120;  // the compositor's preferred fractional scale, in 120ths; 0 until it says
    wl_callback* frameCallback;
    wl_egl_window* window;
    EGLSurface eglSurface;
    int32_t surfaceWidth;  // in the compositor's units, from the layer surface's configure
    int32_t surfaceHeight;
    BufferPlan plan;
    AppState app;  // the scene shown on this output
    uint64_t lastFrame;
    uint64_t periodStart;  // --verbose's count of frames a second
    uint32_t periodFrames;
};

struct WaylandSaver {
    WaylandOptions options;
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    struct zwlr_layer_shell_v1* layerShell;
    struct wp_viewporter* viewporter;
    struct wp_fractional_scale_manager_v1* fractionalScale;
    struct ext_idle_notifier_v1* idleNotifier;
    struct org_kde_kwin_idle* kdeIdle;
    struct ext_idle_notification_v1* idleNotification;
    struct org_kde_kwin_idle_timeout* kdeIdleTimeout;
    wl_seat* seat;
    wl_keyboard* keyboard;
    wl_pointer* pointer;
    wl_touch* touch;
    const void* pointerSurface;  // the surface the pointer is on, for motion events
    std::vector<std::unique_ptr<SaverOutput>> outputs;

    EGLDisplay egl;
    EGLConfig config;
    EGLContext context;
    const SaverOutput* stateFor;  // the view the context is current with and its viewport set for; none yet

    bool shown;  // the surfaces are up (at once, or after the idle time)
    Dismissal dismissal;
    bool ended;  // input or a closed connection ends the program
    int32_t exitCode;
};

// Connects to the compositor, takes its globals and makes the EGL context. Returns 0, or 1 with `message`
// naming what is missing (a Wayland display, layer-shell, OpenGL ES 2 through EGL, idle notifications for
// --idle) and what to use instead.
int32_t OpenWaylandSaver(WaylandSaver& saver, const WaylandOptions& options, std::string& message);
// Shows the saver (or waits for idle) and runs until input, a signal or the compositor's end; the exit
// status.
int32_t RunWaylandSaver(WaylandSaver& saver);
// Releases every scene and surface, the context and the connection.
void CloseWaylandSaver(WaylandSaver& saver);
