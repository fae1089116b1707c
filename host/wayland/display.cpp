#include "host/wayland/display.h"

#include <EGL/eglext.h>

#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/simulated_time.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "fractional-scale-v1-client-protocol.h"
#include "host/posix/stop_signals.h"
#include "host/saver_run.h"
#include "render/gl_include.h"
#include "render/renderer.h"
#include "viewporter-client-protocol.h"
// The layer-shell header names an argument `namespace`, which C++ keeps for itself.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#ifdef FENLIGHT_KDE_IDLE
#include "idle-client-protocol.h"
#endif

namespace {

uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

void Say(const WaylandSaver& saver, const SaverOutput& output, const char* what) {
    if (saver.options.verbose) std::fprintf(stderr, "fenlight-wayland: %s %s\n", output.label.c_str(), what);
}

// The context is current with this output's surface, and its viewport is this view's. With one output, or
// several drawn in turn, only a change of view costs a call.
void MakeCurrent(WaylandSaver& saver, SaverOutput& output) {
    if (saver.stateFor == &output) return;
    eglMakeCurrent(saver.egl, output.eglSurface, output.eglSurface, saver.context);
    if (output.app.swarm != nullptr) SetupGLState(output.app.clientWidth, output.app.clientHeight);
    saver.stateFor = &output;
}

void ShowView(void* host, const AppState&) {
    SaverOutput& output = *static_cast<SaverOutput*>(host);
    eglSwapBuffers(output.saver->egl, output.eglSurface);
}

void DrawView(SaverOutput& output);

void OnFrameDone(void* data, wl_callback* callback, uint32_t) {
    SaverOutput& output = *static_cast<SaverOutput*>(data);
    wl_callback_destroy(callback);
    output.frameCallback = nullptr;
    if (output.eglSurface != EGL_NO_SURFACE) DrawView(output);
}
const wl_callback_listener kFrameListener{OnFrameDone};

void CountFrame(SaverOutput& output, uint64_t now) {
    if (!output.saver->options.verbose) return;
    if (output.periodFrames == 0 && output.periodStart == 0) output.periodStart = now;
    ++output.periodFrames;
    if (now - output.periodStart >= 1000000) {
        std::fprintf(stderr, "fenlight-wayland: %s %u frames\n", output.label.c_str(), output.periodFrames);
        output.periodStart = now;
        output.periodFrames = 0;
    }
}

// One frame on this output: asked for on the compositor's frame callback, so no more than one a refresh and
// none while the output is off or hidden. A still picture is drawn once for each size.
void DrawView(SaverOutput& output) {
    WaylandSaver& saver = *output.saver;
    MakeCurrent(saver, output);
    const uint64_t now = NowMicroseconds();
    if (saver.options.still) {
        DrawFrame(output.app);
        ShowView(&output, output.app);
    } else {
        if (output.lastFrame != 0 && PauseWasUnseen(output.lastFrame, now)) ResumeScene(output.app);
        output.frameCallback = wl_surface_frame(output.surface);
        wl_callback_add_listener(output.frameCallback, &kFrameListener, &output);
        const SaverPlatform platform{&output, ShowView};
        FrameTick(output.app, platform);
        output.lastFrame = now;
        CountFrame(output, now);
    }
    if (!saver.dismissal.started) StartDismissal(saver.dismissal, now);
}

// The scene for a view of the buffer's size; a still picture is stepped to its simulated time.
void StartView(SaverOutput& output) {
    const WaylandOptions& options = output.saver->options;
    if (options.still) StartSimulatedTime(options.seed);
    StartSaver(output.app, output.plan.width, output.plan.height, options.settings);
    if (options.still) AdvanceSimulatedTime(output.app, options.seconds);
    output.saver->stateFor = &output;
}

void SayArranged(const SaverOutput& output, const char* what) {
    if (!output.saver->options.verbose) return;
    std::fprintf(stderr, "fenlight-wayland: %s %s %dx%d (buffer %dx%d)\n", output.label.c_str(), what,
                 output.surfaceWidth, output.surfaceHeight, output.plan.width, output.plan.height);
}

// The buffer for the surface's size and scale; the scene made on the first call, resized on later ones.
void ArrangeView(SaverOutput& output) {
    WaylandSaver& saver = *output.saver;
    const BufferPlan plan = PlanBuffer(output.surfaceWidth, output.surfaceHeight, output.scale,
                                       output.preferred120, output.viewport != nullptr);
    if (output.viewport != nullptr) {
        if (plan.viewport) {
            wp_viewport_set_destination(output.viewport, output.surfaceWidth, output.surfaceHeight);
        } else {
            wp_viewport_set_destination(output.viewport, -1, -1);
        }
    }
    wl_surface_set_buffer_scale(output.surface, plan.bufferScale);
    wl_region* opaque = wl_compositor_create_region(saver.compositor);
    wl_region_add(opaque, 0, 0, output.surfaceWidth, output.surfaceHeight);
    wl_surface_set_opaque_region(output.surface, opaque);
    wl_region_destroy(opaque);

    const bool resized = plan.width != output.plan.width || plan.height != output.plan.height;
    output.plan = plan;
    if (output.window == nullptr) {
        output.window = wl_egl_window_create(output.surface, plan.width, plan.height);
        output.eglSurface = eglCreatePlatformWindowSurface(saver.egl, saver.config, output.window, nullptr);
        if (output.eglSurface == EGL_NO_SURFACE) {
            // An output it cannot draw on would stay covered and black: the saver ends instead.
            std::fprintf(stderr, "fenlight-wayland: %s: EGL makes no surface to draw on (error 0x%x)\n",
                         output.label.c_str(), eglGetError());
            wl_egl_window_destroy(output.window);
            output.window = nullptr;
            saver.ended = true;
            saver.exitCode = 1;
            return;
        }
        eglMakeCurrent(saver.egl, output.eglSurface, output.eglSurface, saver.context);
        // Frames are paced by the frame callbacks; the swap itself never waits.
        eglSwapInterval(saver.egl, 0);
        StartView(output);
        SayArranged(output, "shown");
    } else if (resized) {
        wl_egl_window_resize(output.window, plan.width, plan.height, 0, 0);
        MakeCurrent(saver, output);
        if (saver.options.still) {
            StartView(output);
        } else {
            ResizeSaver(output.app, plan.width, plan.height);
        }
        // A compositor may say the output's scale only once the surface is on it.
        SayArranged(output, "resized");
    }
    if (output.eglSurface != EGL_NO_SURFACE && output.frameCallback == nullptr) DrawView(output);
}

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                      uint32_t height) {
    SaverOutput& output = *static_cast<SaverOutput*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    output.surfaceWidth = int32_t(std::max(width, 1u));
    output.surfaceHeight = int32_t(std::max(height, 1u));
    ArrangeView(output);
}

void HideOutput(SaverOutput& output);

void OnLayerClosed(void* data, zwlr_layer_surface_v1*) {
    HideOutput(*static_cast<SaverOutput*>(data));
}
const zwlr_layer_surface_v1_listener kLayerListener{OnLayerConfigure, OnLayerClosed};

void OnPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
    SaverOutput& output = *static_cast<SaverOutput*>(data);
    if (output.preferred120 == scale) return;
    output.preferred120 = scale;
    if (output.surfaceWidth > 0) ArrangeView(output);
}
const wp_fractional_scale_v1_listener kFractionalListener{OnPreferredScale};

// A surface of its own on the overlay layer over the whole output, above every window and panel, taking
// the keyboard (behind a lock screen, with --background, it takes no input at all).
void ShowOutput(SaverOutput& output) {
    WaylandSaver& saver = *output.saver;
    if (output.surface != nullptr || !output.described) return;
    output.surface = wl_compositor_create_surface(saver.compositor);
    if (saver.fractionalScale != nullptr) {
        output.fractional =
            wp_fractional_scale_manager_v1_get_fractional_scale(saver.fractionalScale, output.surface);
        wp_fractional_scale_v1_add_listener(output.fractional, &kFractionalListener, &output);
    }
    if (saver.viewporter != nullptr)
        output.viewport = wp_viewporter_get_viewport(saver.viewporter, output.surface);
    output.layer = zwlr_layer_shell_v1_get_layer_surface(saver.layerShell, output.surface, output.output,
                                                         ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "fenlight");
    zwlr_layer_surface_v1_add_listener(output.layer, &kLayerListener, &output);
    zwlr_layer_surface_v1_set_size(output.layer, 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        output.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output.layer, -1);
    if (saver.options.background) {
        wl_region* none = wl_compositor_create_region(saver.compositor);
        wl_surface_set_input_region(output.surface, none);
        wl_region_destroy(none);
    } else {
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            output.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    }
    wl_surface_commit(output.surface);
}

// Drops the output's surface and scene; the output itself stays, to be shown again.
void HideOutput(SaverOutput& output) {
    WaylandSaver& saver = *output.saver;
    if (output.surface == nullptr) return;
    if (output.eglSurface != EGL_NO_SURFACE) {
        eglMakeCurrent(saver.egl, output.eglSurface, output.eglSurface, saver.context);
        ReleaseSaver(output.app);
        eglMakeCurrent(saver.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(saver.egl, output.eglSurface);
    }
    // The context is current with no surface now, whichever view it was last made current for.
    saver.stateFor = nullptr;
    if (output.window != nullptr) wl_egl_window_destroy(output.window);
    if (output.frameCallback != nullptr) wl_callback_destroy(output.frameCallback);
    if (output.viewport != nullptr) wp_viewport_destroy(output.viewport);
    if (output.fractional != nullptr) wp_fractional_scale_v1_destroy(output.fractional);
    if (output.layer != nullptr) zwlr_layer_surface_v1_destroy(output.layer);
    wl_surface_destroy(output.surface);
    if (saver.pointerSurface == output.surface) saver.pointerSurface = nullptr;
    Say(saver, output, "closed");
    output.surface = nullptr;
    output.layer = nullptr;
    output.viewport = nullptr;
    output.fractional = nullptr;
    output.preferred120 = 0;
    output.frameCallback = nullptr;
    output.window = nullptr;
    output.eglSurface = EGL_NO_SURFACE;
    output.surfaceWidth = output.surfaceHeight = 0;
    output.plan = {};
    output.app = {};
    output.lastFrame = output.periodStart = 0;
    output.periodFrames = 0;
}

void ShowAll(WaylandSaver& saver) {
    if (saver.shown) return;
    saver.shown = true;
    saver.dismissal = {};
    for (auto& output : saver.outputs) ShowOutput(*output);
}

void HideAll(WaylandSaver& saver) {
    saver.shown = false;
    for (auto& output : saver.outputs) HideOutput(*output);
}

void WatchIdle(WaylandSaver& saver);

// Input that the dismissal rules say ends the saver: the program ends, or with --idle the saver hides
// until the next idle time (on a new idle watch: the compositor may not have seen that input end the idle
// time, so the old watch would not say "idle" again).
void Judge(WaylandSaver& saver, SaverInput input, const void* surface, double x, double y) {
    if (saver.options.background || !saver.shown) return;
    if (!JudgeInput(saver.dismissal, input, surface, x, y, NowMicroseconds())) return;
    if (saver.options.idleSeconds > 0) {
        HideAll(saver);
        WatchIdle(saver);
    } else {
        saver.ended = true;
        saver.exitCode = 0;
    }
}

// wl_output: its name, scale and the end of each description.
void OnOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                      const char*, int32_t) {}
void OnOutputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void OnOutputDone(void* data, wl_output*) {
    SaverOutput& output = *static_cast<SaverOutput*>(data);
    const bool first = !output.described;
    output.described = true;
    if (first && output.saver->shown) ShowOutput(output);
    if (!first && output.surfaceWidth > 0) ArrangeView(output);
}
void OnOutputScale(void* data, wl_output*, int32_t factor) {
    static_cast<SaverOutput*>(data)->scale = std::max(factor, 1);
}
void OnOutputName(void* data, wl_output*, const char* name) {
    static_cast<SaverOutput*>(data)->label = name;
}
void OnOutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener{OnOutputGeometry, OnOutputMode, OnOutputDone,
                                         OnOutputScale,    OnOutputName, OnOutputDescription};

// The pointer: hidden over our surfaces, its travel judged.
void OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                    wl_fixed_t y) {
    WaylandSaver& saver = *static_cast<WaylandSaver*>(data);
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    saver.pointerSurface = surface;
    Judge(saver, SaverInput::kPointer, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void OnPointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
    static_cast<WaylandSaver*>(data)->pointerSurface = nullptr;
}
void OnPointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    WaylandSaver& saver = *static_cast<WaylandSaver*>(data);
    Judge(saver, SaverInput::kPointer, saver.pointerSurface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void OnPointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        Judge(*static_cast<WaylandSaver*>(data), SaverInput::kButton, nullptr, 0, 0);
}
void OnPointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnPointerAxisSource(void*, wl_pointer*, uint32_t) {}
void OnPointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnPointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void OnPointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointerListener{
    OnPointerEnter, OnPointerLeave,      OnPointerMotion,   OnPointerButton,       OnPointerAxis,
    OnPointerFrame, OnPointerAxisSource, OnPointerAxisStop, OnPointerAxisDiscrete, OnPointerAxisValue120};

// The keyboard: any key pressed counts; no keymap is needed for that.
void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    close(fd);
}
void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        Judge(*static_cast<WaylandSaver*>(data), SaverInput::kKey, nullptr, 0, 0);
}
void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener{OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                             OnKey,    OnModifiers,     OnRepeatInfo};

void OnTouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
    Judge(*static_cast<WaylandSaver*>(data), SaverInput::kTouch, nullptr, 0, 0);
}
void OnTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void OnTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchFrame(void*, wl_touch*) {}
void OnTouchCancel(void*, wl_touch*) {}
void OnTouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener kTouchListener{OnTouchDown,   OnTouchUp,    OnTouchMotion,     OnTouchFrame,
                                       OnTouchCancel, OnTouchShape, OnTouchOrientation};

// A device's release request came with wl_seat 3; before that the object is only forgotten.
bool Releasable(void* device) {
    return wl_proxy_get_version(static_cast<wl_proxy*>(device)) >= 3;
}
void ReleaseDevice(wl_pointer* pointer) {
    Releasable(pointer) ? wl_pointer_release(pointer) : wl_pointer_destroy(pointer);
}
void ReleaseDevice(wl_keyboard* keyboard) {
    Releasable(keyboard) ? wl_keyboard_release(keyboard) : wl_keyboard_destroy(keyboard);
}
void ReleaseDevice(wl_touch* touch) {
    Releasable(touch) ? wl_touch_release(touch) : wl_touch_destroy(touch);
}

// A seat's devices come and go (a virtual keyboard made after the saver started, a mouse plugged in).
void OnSeatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    WaylandSaver& saver = *static_cast<WaylandSaver*>(data);
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool touch = (capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (pointer && saver.pointer == nullptr) {
        saver.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(saver.pointer, &kPointerListener, &saver);
    } else if (!pointer && saver.pointer != nullptr) {
        ReleaseDevice(saver.pointer);
        saver.pointer = nullptr;
        saver.pointerSurface = nullptr;
    }
    if (keyboard && saver.keyboard == nullptr) {
        saver.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(saver.keyboard, &kKeyboardListener, &saver);
    } else if (!keyboard && saver.keyboard != nullptr) {
        ReleaseDevice(saver.keyboard);
        saver.keyboard = nullptr;
    }
    if (touch && saver.touch == nullptr) {
        saver.touch = wl_seat_get_touch(seat);
        wl_touch_add_listener(saver.touch, &kTouchListener, &saver);
    } else if (!touch && saver.touch != nullptr) {
        ReleaseDevice(saver.touch);
        saver.touch = nullptr;
    }
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener{OnSeatCapabilities, OnSeatName};

// Idle: the saver shows after the time without input, and hides when input comes back.
void OnIdled(void* data, ext_idle_notification_v1*) {
    ShowAll(*static_cast<WaylandSaver*>(data));
}
void OnResumed(void* data, ext_idle_notification_v1*) {
    HideAll(*static_cast<WaylandSaver*>(data));
}
const ext_idle_notification_v1_listener kIdleListener{OnIdled, OnResumed};
#ifdef FENLIGHT_KDE_IDLE
void OnKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
    ShowAll(*static_cast<WaylandSaver*>(data));
}
void OnKdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    HideAll(*static_cast<WaylandSaver*>(data));
}
const org_kde_kwin_idle_timeout_listener kKdeIdleListener{OnKdeIdle, OnKdeResumed};
#endif

// A new idle watch, in place of the one before: the compositor counts the idle time from now. Sway 1.7 tells
// no watch of input while an idle inhibitor holds, so a watch that said "idle" before such input still
// counts as idle and would not say it again.
void WatchIdle(WaylandSaver& saver) {
    const uint32_t timeout = saver.options.idleSeconds * 1000;
    if (saver.idleNotifier != nullptr) {
        if (saver.idleNotification != nullptr) ext_idle_notification_v1_destroy(saver.idleNotification);
        saver.idleNotification =
            ext_idle_notifier_v1_get_idle_notification(saver.idleNotifier, timeout, saver.seat);
        ext_idle_notification_v1_add_listener(saver.idleNotification, &kIdleListener, &saver);
#ifdef FENLIGHT_KDE_IDLE
    } else {
        if (saver.kdeIdleTimeout != nullptr) org_kde_kwin_idle_timeout_release(saver.kdeIdleTimeout);
        saver.kdeIdleTimeout = org_kde_kwin_idle_get_idle_timeout(saver.kdeIdle, saver.seat, timeout);
        org_kde_kwin_idle_timeout_add_listener(saver.kdeIdleTimeout, &kKdeIdleListener, &saver);
#endif
    }
}

template <typename Proxy>
Proxy* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t offered,
            uint32_t wanted) {
    return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    WaylandSaver& saver = *static_cast<WaylandSaver*>(data);
    const auto is = [interface](const wl_interface& known) {
        return std::strcmp(interface, known.name) == 0;
    };
    if (is(wl_compositor_interface)) {
        saver.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (is(zwlr_layer_shell_v1_interface)) {
        saver.layerShell =
            Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 3);
    } else if (is(wp_viewporter_interface)) {
        saver.viewporter = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (is(wp_fractional_scale_manager_v1_interface)) {
        saver.fractionalScale = Bind<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (is(ext_idle_notifier_v1_interface)) {
        saver.idleNotifier =
            Bind<ext_idle_notifier_v1>(registry, name, ext_idle_notifier_v1_interface, version, 1);
#ifdef FENLIGHT_KDE_IDLE
    } else if (is(org_kde_kwin_idle_interface)) {
        saver.kdeIdle = Bind<org_kde_kwin_idle>(registry, name, org_kde_kwin_idle_interface, version, 1);
#endif
    } else if (is(wl_seat_interface) && saver.seat == nullptr) {
        saver.seat = Bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
        wl_seat_add_listener(saver.seat, &kSeatListener, &saver);
    } else if (is(wl_output_interface)) {
        auto output = std::make_unique<SaverOutput>();
        output->saver = &saver;
        output->globalName = name;
        output->scale = 1;
        output->eglSurface = EGL_NO_SURFACE;
        output->label = "output " + std::to_string(name);
        output->output = Bind<wl_output>(registry, name, wl_output_interface, version, 4);
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        saver.outputs.push_back(std::move(output));
    }
}

void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    WaylandSaver& saver = *static_cast<WaylandSaver*>(data);
    for (auto it = saver.outputs.begin(); it != saver.outputs.end(); ++it) {
        if ((*it)->globalName != name) continue;
        HideOutput(**it);
        if (wl_output_get_version((*it)->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
            wl_output_release((*it)->output);
        } else {
            wl_output_destroy((*it)->output);
        }
        saver.outputs.erase(it);
        return;
    }
}
const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

// An opaque 8-bit RGB configuration: the scene's clear leaves alpha at 0, which a buffer with alpha would
// show as see-through.
bool ChooseConfig(EGLDisplay egl, EGLConfig& chosen) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_ES2_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(egl, wanted, configs, 64, &count) || count < 1) return false;
    chosen = configs[0];
    for (EGLint i = 0; i < count; ++i) {
        EGLint alpha = 0;
        eglGetConfigAttrib(egl, configs[i], EGL_ALPHA_SIZE, &alpha);
        if (alpha == 0) {
            chosen = configs[i];
            break;
        }
    }
    return true;
}

int32_t OpenEgl(WaylandSaver& saver, std::string& message) {
    saver.egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, saver.display, nullptr);
    EGLint major = 0, minor = 0;
    if (saver.egl == EGL_NO_DISPLAY || !eglInitialize(saver.egl, &major, &minor)) {
        message = "no EGL display for this compositor";
    } else if (!eglBindAPI(EGL_OPENGL_ES_API) || !ChooseConfig(saver.egl, saver.config)) {
        message = "EGL offers no OpenGL ES 2 configuration for windows";
    } else {
        const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        saver.context = eglCreateContext(saver.egl, saver.config, EGL_NO_CONTEXT, attributes);
        if (saver.context != EGL_NO_CONTEXT) return 0;
        message = "EGL made no OpenGL ES 2 context";
    }
    char error[32];
    std::snprintf(error, sizeof error, " (EGL error 0x%x)", eglGetError());
    message =
        "fenlight-wayland: " + message + error +
        ": it draws with OpenGL ES 2 through EGL (Mesa's libEGL and libGLESv2 give it, in software too)";
    return 1;
}

bool ConnectionFailed(WaylandSaver& saver) {
    if (wl_display_get_error(saver.display) == 0) return false;
    std::fprintf(stderr, "fenlight-wayland: the connection to the compositor ended (%s)\n",
                 std::strerror(wl_display_get_error(saver.display)));
    return true;
}

}  // namespace

int32_t OpenWaylandSaver(WaylandSaver& saver, const WaylandOptions& options, std::string& message) {
    saver.options = options;
    saver.egl = EGL_NO_DISPLAY;
    saver.context = EGL_NO_CONTEXT;
    saver.display = wl_display_connect(nullptr);
    if (saver.display == nullptr) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        message =
            std::string("fenlight-wayland: no Wayland display (") +
            (name != nullptr ? "cannot connect to " + std::string(name) : "WAYLAND_DISPLAY is not set") +
            "): in an X11 session use the fenlight hack with xscreensaver, or the web page";
        return 1;
    }
    saver.registry = wl_display_get_registry(saver.display);
    wl_registry_add_listener(saver.registry, &kRegistryListener, &saver);
    // The globals, then what they say of themselves (each output's name and scale, the seat's devices).
    if (wl_display_roundtrip(saver.display) < 0 || wl_display_roundtrip(saver.display) < 0) {
        message = "fenlight-wayland: the compositor closed the connection at once";
        return 1;
    }
    if (saver.compositor == nullptr || saver.layerShell == nullptr) {
        message =
            "fenlight-wayland: this compositor has no layer-shell (zwlr_layer_shell_v1), which a screen "
            "saver needs "
            "to cover the outputs; it is in sway, Hyprland, KDE Plasma, river, labwc, niri and Wayfire, but "
            "not "
            "in GNOME or Weston: there use the X11 session with xscreensaver, or the web page";
        return 1;
    }
    if (options.idleSeconds > 0 &&
        (saver.seat == nullptr || (saver.idleNotifier == nullptr && saver.kdeIdle == nullptr))) {
        message =
            "fenlight-wayland: --idle needs the compositor's idle notifications (ext_idle_notifier_v1 or "
            "org_kde_kwin_idle) and a seat, and this compositor has none: start fenlight-wayland from an "
            "idle "
            "daemon instead (swayidle -w timeout 300 fenlight-wayland, or hypridle's on-timeout)";
        return 1;
    }
    return OpenEgl(saver, message);
}

int32_t RunWaylandSaver(WaylandSaver& saver) {
    if (saver.options.idleSeconds == 0) {
        ShowAll(saver);
    } else {
        WatchIdle(saver);
    }
    while (!saver.ended && !StopRequested()) {
        if (TakeContinued()) {
            for (auto& output : saver.outputs) ResumeScene(output->app);
        }
        // The usual reading of a Wayland connection: what is queued is handled, what was asked is sent,
        // then the wait for the compositor's next events, which a stop signal cuts short.
        while (wl_display_prepare_read(saver.display) != 0) {
            if (wl_display_dispatch_pending(saver.display) < 0) break;
        }
        pollfd fd{wl_display_get_fd(saver.display), POLLIN, 0};
        if (wl_display_flush(saver.display) < 0 && errno == EAGAIN) fd.events |= POLLOUT;
        PollUnlessStopped(&fd, 1, timespec{1, 0});
        if ((fd.revents & POLLIN) != 0) {
            wl_display_read_events(saver.display);
        } else {
            wl_display_cancel_read(saver.display);
        }
        if ((fd.revents & (POLLERR | POLLHUP)) != 0 && (fd.revents & POLLIN) == 0) {
            std::fprintf(stderr, "fenlight-wayland: the compositor went away\n");
            return 1;
        }
        if (wl_display_dispatch_pending(saver.display) < 0 || ConnectionFailed(saver)) return 1;
    }
    return saver.ended ? saver.exitCode : 0;
}

void CloseWaylandSaver(WaylandSaver& saver) {
    for (auto& output : saver.outputs) {
        HideOutput(*output);
        wl_output_destroy(output->output);
    }
    saver.outputs.clear();
    if (saver.egl != EGL_NO_DISPLAY) {
        eglMakeCurrent(saver.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (saver.context != EGL_NO_CONTEXT) eglDestroyContext(saver.egl, saver.context);
        eglTerminate(saver.egl);
    }
    if (saver.display == nullptr) return;
    if (saver.idleNotification != nullptr) ext_idle_notification_v1_destroy(saver.idleNotification);
#ifdef FENLIGHT_KDE_IDLE
    if (saver.kdeIdleTimeout != nullptr) org_kde_kwin_idle_timeout_release(saver.kdeIdleTimeout);
    if (saver.kdeIdle != nullptr) org_kde_kwin_idle_destroy(saver.kdeIdle);
#endif
    if (saver.idleNotifier != nullptr) ext_idle_notifier_v1_destroy(saver.idleNotifier);
    if (saver.pointer != nullptr) ReleaseDevice(saver.pointer);
    if (saver.keyboard != nullptr) ReleaseDevice(saver.keyboard);
    if (saver.touch != nullptr) ReleaseDevice(saver.touch);
    if (saver.seat != nullptr) wl_seat_destroy(saver.seat);
    if (saver.fractionalScale != nullptr) wp_fractional_scale_manager_v1_destroy(saver.fractionalScale);
    if (saver.viewporter != nullptr) wp_viewporter_destroy(saver.viewporter);
    if (saver.layerShell != nullptr) {
        // Its destroy request came with version 3; before that the object is only forgotten.
        if (zwlr_layer_shell_v1_get_version(saver.layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(saver.layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(saver.layerShell));
        }
    }
    if (saver.compositor != nullptr) wl_compositor_destroy(saver.compositor);
    if (saver.registry != nullptr) wl_registry_destroy(saver.registry);
    wl_display_flush(saver.display);
    wl_display_disconnect(saver.display);
    saver.display = nullptr;
}
