// The KWin check's input: KWin has no wlroots virtual pointer nor virtual keyboard, but its own fake input
// (org_kde_kwin_fake_input, offered to any client when KWin runs with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1),
// and it honours an idle inhibitor only on a window that is shown. Does what the arguments say, in order:
//   wayland-kwin-input STEP...
//     move DX DY   relative pointer motion by DX, DY pixels
//     button       left button pressed and released
//     key          the X key pressed and released
//     wait MS      MS milliseconds, once the compositor has taken the steps before
//     inhibit      a small window of its own, shown, holding off the compositor's idle timeouts
//     stay         prints "ready" once the compositor has taken the steps before (and shown the window),
//                  then keeps the window until killed
// Ends 0, or 1 with a message when the compositor lacks what a step needs or goes away.
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fake-input-client-protocol.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    org_kde_kwin_fake_input* input = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitors = nullptr;
    wl_surface* window = nullptr;
    bool shown = false;
};

int Fail(const char* what) {
    std::fprintf(stderr, "wayland-kwin-input: %s\n", what);
    return 1;
}

template <typename Proxy>
Proxy* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
    return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, version));
}

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto& g = *static_cast<Globals*>(data);
    const auto is = [interface](const wl_interface& known) {
        return std::strcmp(interface, known.name) == 0;
    };
    if (is(wl_compositor_interface))
        g.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, 1);
    else if (is(wl_shm_interface))
        g.shm = Bind<wl_shm>(registry, name, wl_shm_interface, 1);
    else if (is(xdg_wm_base_interface))
        g.shell = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1);
    else if (is(org_kde_kwin_fake_input_interface) && version >= 4)
        g.input = Bind<org_kde_kwin_fake_input>(registry, name, org_kde_kwin_fake_input_interface, 4);
    else if (is(zwp_idle_inhibit_manager_v1_interface))
        g.inhibitors =
            Bind<zwp_idle_inhibit_manager_v1>(registry, name, zwp_idle_inhibit_manager_v1_interface, 1);
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}

void Ping(void*, xdg_wm_base* shell, uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener kShellListener{Ping};

// The window's first configure: a 64x64 white buffer, which shows it.
void Configure(void* data, xdg_surface* surface, uint32_t serial) {
    auto& g = *static_cast<Globals*>(data);
    xdg_surface_ack_configure(surface, serial);
    if (g.shown) return;
    constexpr int32_t side = 64, stride = side * 4, size = stride * side;
    const int fd = memfd_create("wayland-kwin-input", MFD_CLOEXEC);
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

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Fail("cannot connect to the Wayland display");
    Globals g;
    const wl_registry_listener listener{Global, GlobalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &g);
    wl_display_roundtrip(display);
    bool authenticated = false;
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
        if (std::strcmp(step, "stay") == 0) {
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
        if (g.input == nullptr) return Fail("the compositor has no fake input (version 4)");
        if (!authenticated) {
            org_kde_kwin_fake_input_authenticate(g.input, "wayland-kwin-input", "end-to-end checks");
            authenticated = true;
        }
        if (std::strcmp(step, "move") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_pointer_motion(g.input, wl_fixed_from_double(std::atof(argv[i + 1])),
                                                   wl_fixed_from_double(std::atof(argv[i + 2])));
            i += 2;
        } else if (std::strcmp(step, "button") == 0) {
            org_kde_kwin_fake_input_button(g.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            org_kde_kwin_fake_input_button(g.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (std::strcmp(step, "key") == 0) {
            org_kde_kwin_fake_input_keyboard_key(g.input, KEY_X, WL_KEYBOARD_KEY_STATE_PRESSED);
            org_kde_kwin_fake_input_keyboard_key(g.input, KEY_X, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            std::fprintf(stderr, "wayland-kwin-input: unknown step '%s'\n", step);
            return 2;
        }
    }
    if (wl_display_roundtrip(display) == -1) return Fail("the compositor closed the connection");
    wl_display_disconnect(display);
    return 0;
}
