// The Wayland checks' input on $WAYLAND_DISPLAY's compositor: wlroots' virtual pointer where it offers one
// (sway), else KWin's fake input (org_kde_kwin_fake_input, offered to any client when KWin runs with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1). Does what the arguments say, in order:
//   wayland-test-input STEP...
//     move DX DY   relative pointer motion by DX, DY pixels
//     button       left button pressed and released
//     key          the X key pressed and released (fake input only; on sway the checks use wtype)
//     wait MS      MS milliseconds, once the compositor has taken the steps before
//     inhibit      a small window of its own, shown, holding off the compositor's idle timeouts (KWin honours
//                  an idle inhibitor only on a surface it shows)
//     stay         prints "ready" once the compositor has taken the steps before (and shown the window),
//                  then keeps what they made (the pointer, the window) until killed
// Ends 0, or 1 with a message when the compositor lacks what a step needs or goes away.
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

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* shell = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    org_kde_kwin_fake_input* fake = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitors = nullptr;
    wl_surface* window = nullptr;
    bool shown = false;
};

int Fail(const char* what) {
    std::fprintf(stderr, "wayland-test-input: %s\n", what);
    return 1;
}

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto& g = *static_cast<Globals*>(data);
    const auto bind = [&](auto*& proxy, const wl_interface& known, uint32_t wanted) {
        if (proxy == nullptr && version >= wanted && std::strcmp(interface, known.name) == 0)
            proxy = static_cast<std::remove_reference_t<decltype(proxy)>>(
                wl_registry_bind(registry, name, &known, wanted));
    };
    bind(g.compositor, wl_compositor_interface, 1);
    bind(g.shm, wl_shm_interface, 1);
    bind(g.seat, wl_seat_interface, 1);
    bind(g.shell, xdg_wm_base_interface, 1);
    bind(g.pointers, zwlr_virtual_pointer_manager_v1_interface, 1);
    bind(g.fake, org_kde_kwin_fake_input_interface, 4);
    bind(g.inhibitors, zwp_idle_inhibit_manager_v1_interface, 1);
}

void Ping(void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener kShellListener{Ping};

// The window's first configure: a 64x64 white buffer, which shows it.
void Configure(void* data, xdg_surface* surface, uint32_t serial) {
    auto& g = *static_cast<Globals*>(data);
    xdg_surface_ack_configure(surface, serial);
    if (g.shown) return;
    constexpr int32_t side = 64, stride = side * 4, size = stride * side;
    const int fd = memfd_create("wayland-test-input", MFD_CLOEXEC);
    void* pixels = fd >= 0 && ftruncate(fd, size) == 0
                       ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                       : MAP_FAILED;
    if (pixels == MAP_FAILED) std::exit(Fail("no memory for the window's picture"));
    std::memset(pixels, 0xff, size);
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(g.shm, fd, size);
    close(fd);
    wl_surface_attach(g.window,
                      wl_shm_pool_create_buffer(pool, 0, side, side, stride, WL_SHM_FORMAT_XRGB8888), 0, 0);
    wl_shm_pool_destroy(pool);
    wl_surface_commit(g.window);
    g.shown = true;
}
const xdg_surface_listener kSurfaceListener{Configure};

uint32_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Fail("cannot connect to the Wayland display");
    Globals g;
    const wl_registry_listener listener{Global, [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &g);
    wl_display_roundtrip(display);

    zwlr_virtual_pointer_v1* pointer = nullptr;  // one of these two, made by the first input step
    org_kde_kwin_fake_input* fake = nullptr;
    constexpr uint32_t kStates[] = {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED};
    for (int i = 1; i < argc; ++i) {
        const std::string_view step = argv[i];
        if (step == "wait" && i + 1 < argc) {
            wl_display_roundtrip(display);
            const long ms = std::strtol(argv[++i], nullptr, 10);
            const timespec pause{ms / 1000, ms % 1000 * 1000000};
            nanosleep(&pause, nullptr);
            continue;
        }
        if (step == "inhibit") {
            if (g.compositor == nullptr || g.shm == nullptr || g.shell == nullptr || g.inhibitors == nullptr)
                return Fail("the compositor has no windows with idle inhibitors");
            xdg_wm_base_add_listener(g.shell, &kShellListener, nullptr);
            g.window = wl_compositor_create_surface(g.compositor);
            xdg_surface* surface = xdg_wm_base_get_xdg_surface(g.shell, g.window);
            xdg_surface_add_listener(surface, &kSurfaceListener, &g);
            xdg_toplevel_set_title(xdg_surface_get_toplevel(surface), "idle inhibitor");
            zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitors, g.window);
            wl_surface_commit(g.window);
            continue;
        }
        if (step == "stay") {
            while (g.window != nullptr && !g.shown) {
                if (wl_display_dispatch(display) == -1) return Fail("the compositor closed the connection");
            }
            wl_display_roundtrip(display);
            std::printf("ready\n");
            std::fflush(stdout);
            while (wl_display_dispatch(display) != -1) {
            }
            return Fail("the compositor closed the connection");
        }
        if (pointer == nullptr && fake == nullptr) {
            if (g.pointers != nullptr)
                pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
            else if ((fake = g.fake) != nullptr)
                org_kde_kwin_fake_input_authenticate(fake, "wayland-test-input", "end-to-end checks");
            else
                return Fail("the compositor has neither virtual pointers nor fake input (version 4)");
        }
        if (step == "move" && i + 2 < argc) {
            const wl_fixed_t dx = wl_fixed_from_double(std::atof(argv[i + 1]));
            const wl_fixed_t dy = wl_fixed_from_double(std::atof(argv[i + 2]));
            i += 2;
            if (pointer == nullptr) {
                org_kde_kwin_fake_input_pointer_motion(fake, dx, dy);
                continue;
            }
            zwlr_virtual_pointer_v1_motion(pointer, NowMs(), dx, dy);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (step == "button") {
            for (const uint32_t state : kStates) {
                if (pointer == nullptr) {
                    org_kde_kwin_fake_input_button(fake, BTN_LEFT, state);
                    continue;
                }
                zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, state);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else if (step == "key" && fake != nullptr) {
            for (const uint32_t state : kStates) org_kde_kwin_fake_input_keyboard_key(fake, KEY_X, state);
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
