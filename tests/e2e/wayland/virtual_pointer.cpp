// The Wayland checks' input: a virtual pointer on $WAYLAND_DISPLAY's compositor doing what the arguments
// say, in order, and an idle inhibitor.
//   wayland-virtual-pointer STEP...
//     move DX DY   relative motion by DX, DY pixels
//     button       left button pressed and released
//     wait MS      MS milliseconds, once the compositor has taken the steps before
//     inhibit      holds off the compositor's idle timeouts, through a surface of its own
//     stay         prints "ready" once the compositor has taken the steps before, then keeps what they made
//                  (the pointer, the inhibitor) until killed
// Ends 0, or 1 with a message when the compositor lacks what a step needs or goes away.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitors = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto& g = *static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        g.compositor =
            static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && g.seat == nullptr)
        g.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g.pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        g.inhibitors = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

uint32_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int Fail(const char* what) {
    std::fprintf(stderr, "wayland-virtual-pointer: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Fail("cannot connect to the Wayland display");
    Globals g;
    const wl_registry_listener listener{Global, GlobalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &g);
    wl_display_roundtrip(display);

    zwlr_virtual_pointer_v1* pointer = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* step = argv[i];
        if (std::strcmp(step, "wait") == 0 && i + 1 < argc) {
            wl_display_roundtrip(display);
            const long ms = std::strtol(argv[++i], nullptr, 10);
            const timespec pause{ms / 1000, ms % 1000 * 1000000};
            nanosleep(&pause, nullptr);
            continue;
        }
        if (std::strcmp(step, "inhibit") == 0) {
            if (g.compositor == nullptr || g.inhibitors == nullptr)
                return Fail("the compositor has no idle inhibitors");
            wl_surface* surface = wl_compositor_create_surface(g.compositor);
            zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitors, surface);
            wl_surface_commit(surface);
            continue;
        }
        if (std::strcmp(step, "stay") == 0) {
            wl_display_roundtrip(display);
            std::printf("ready\n");
            std::fflush(stdout);
            while (wl_display_dispatch(display) != -1) {
            }
            return Fail("the compositor closed the connection");
        }
        if (pointer == nullptr) {
            if (g.pointers == nullptr) return Fail("the compositor has no virtual pointers");
            pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
        }
        if (std::strcmp(step, "move") == 0 && i + 2 < argc) {
            zwlr_virtual_pointer_v1_motion(pointer, NowMs(), wl_fixed_from_double(std::atof(argv[i + 1])),
                                           wl_fixed_from_double(std::atof(argv[i + 2])));
            i += 2;
        } else if (std::strcmp(step, "button") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            std::fprintf(stderr, "wayland-virtual-pointer: unknown step '%s'\n", step);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    if (wl_display_roundtrip(display) == -1) return Fail("the compositor closed the connection");
    if (pointer != nullptr) zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
