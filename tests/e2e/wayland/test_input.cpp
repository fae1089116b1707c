// The Wayland checks' input on $WAYLAND_DISPLAY's compositor: wlroots' virtual pointer where it offers one
// (sway), else KWin's fake input (offered to any client with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1).
//   wayland-test-input STEP...   does the steps in order:
//     move DX DY   relative pointer motion by DX, DY pixels
//     button       left button pressed and released
//     key          the X key pressed and released (fake input only; on sway the checks use wtype)
//     wait MS      MS milliseconds, once the compositor has taken the steps before
//     inhibit      a small window, shown, holding off the compositor's idle timeouts (KWin honours an idle
//                  inhibitor only on a surface it shows)
//     stay         prints "ready" once the compositor has taken the steps before, then keeps what they made
// Ends 0, or 1 with a message when the compositor lacks what a step needs or goes away (2: an unknown step).
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <type_traits>

#include "fake-input-client-protocol.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

wl_compositor* compositor;
wl_shm* shm;
wl_seat* seat;
xdg_wm_base* shell;
zwlr_virtual_pointer_manager_v1* pointers;
org_kde_kwin_fake_input* fake_input;
zwp_idle_inhibit_manager_v1* inhibitors;
wl_surface* window;
bool shown;

int Fail(const char* what) {
    std::fprintf(stderr, "wayland-test-input: %s\n", what);
    return 1;
}

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    const auto bind = [&](auto*& proxy, const wl_interface& known, uint32_t wanted) {
        if (proxy == nullptr && version >= wanted && std::strcmp(interface, known.name) == 0)
            proxy = static_cast<std::remove_reference_t<decltype(proxy)>>(
                wl_registry_bind(registry, name, &known, wanted));
    };
    bind(compositor, wl_compositor_interface, 1);
    bind(shm, wl_shm_interface, 1);
    bind(seat, wl_seat_interface, 1);
    bind(shell, xdg_wm_base_interface, 1);
    bind(pointers, zwlr_virtual_pointer_manager_v1_interface, 1);
    bind(fake_input, org_kde_kwin_fake_input_interface, 4);
    bind(inhibitors, zwp_idle_inhibit_manager_v1_interface, 1);
}

// The window's first configure: a 64x64 buffer (black), which shows it.
void Configure(void*, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    if (shown) return;
    constexpr int32_t side = 64, size = side * side * 4;
    const int fd = memfd_create("wayland-test-input", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) std::exit(Fail("no memory for the window's picture"));
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    close(fd);
    wl_surface_attach(window,
                      wl_shm_pool_create_buffer(pool, 0, side, side, side * 4, WL_SHM_FORMAT_XRGB8888), 0, 0);
    wl_shm_pool_destroy(pool);
    wl_surface_commit(window);
    shown = true;
}

uint32_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Fail("cannot connect to the Wayland display");
    const wl_registry_listener registry_listener{Global, [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, nullptr);
    wl_display_roundtrip(display);
    const xdg_wm_base_listener shell_listener{
        [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    const xdg_surface_listener surface_listener{Configure};

    // The virtual pointer, or else the fake input, authenticated: made for the first input step.
    zwlr_virtual_pointer_v1* pointer = nullptr;
    bool authenticated = false;
    const auto input = [&] {
        if (pointer != nullptr || authenticated) return true;
        if (pointers != nullptr)
            return (pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat)) !=
                   nullptr;
        if (fake_input != nullptr)
            org_kde_kwin_fake_input_authenticate(fake_input, "wayland-test-input", "end-to-end checks");
        return authenticated = fake_input != nullptr;
    };
    const auto button = [&](uint32_t state) {
        if (pointer == nullptr) return org_kde_kwin_fake_input_button(fake_input, BTN_LEFT, state);
        zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, state);
        zwlr_virtual_pointer_v1_frame(pointer);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view step = argv[i];
        if (step == "wait" && i + 1 < argc) {
            wl_display_roundtrip(display);
            const long ms = std::strtol(argv[++i], nullptr, 10);
            const timespec pause{ms / 1000, ms % 1000 * 1000000};
            nanosleep(&pause, nullptr);
        } else if (step == "inhibit") {
            if (compositor == nullptr || shm == nullptr || shell == nullptr || inhibitors == nullptr)
                return Fail("the compositor has no windows with idle inhibitors");
            xdg_wm_base_add_listener(shell, &shell_listener, nullptr);
            window = wl_compositor_create_surface(compositor);
            xdg_surface* surface = xdg_wm_base_get_xdg_surface(shell, window);
            xdg_surface_add_listener(surface, &surface_listener, nullptr);
            xdg_toplevel_set_title(xdg_surface_get_toplevel(surface), "idle inhibitor");
            zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitors, window);
            wl_surface_commit(window);
        } else if (step == "stay") {
            while (window != nullptr && !shown) {
                if (wl_display_dispatch(display) == -1) return Fail("the compositor closed the connection");
            }
            wl_display_roundtrip(display);
            std::printf("ready\n");
            std::fflush(stdout);
            while (wl_display_dispatch(display) != -1) {
            }
            return Fail("the compositor closed the connection");
        } else if (!input()) {
            return Fail("the compositor has neither virtual pointers nor fake input (version 4)");
        } else if (step == "move" && i + 2 < argc) {
            const wl_fixed_t dx = wl_fixed_from_double(std::atof(argv[++i]));
            const wl_fixed_t dy = wl_fixed_from_double(std::atof(argv[++i]));
            if (pointer == nullptr) {
                org_kde_kwin_fake_input_pointer_motion(fake_input, dx, dy);
                continue;
            }
            zwlr_virtual_pointer_v1_motion(pointer, NowMs(), dx, dy);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (step == "button") {
            button(WL_POINTER_BUTTON_STATE_PRESSED);
            button(WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (step == "key" && authenticated) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, KEY_X, WL_KEYBOARD_KEY_STATE_PRESSED);
            org_kde_kwin_fake_input_keyboard_key(fake_input, KEY_X, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            std::fprintf(stderr, "wayland-test-input: unknown step '%s' (key needs fake input)\n", argv[i]);
            return 2;
        }
    }
    if (wl_display_roundtrip(display) == -1) return Fail("the compositor closed the connection");
    if (pointer != nullptr) zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
