// The web page's host: the canvas's WebGL context, the animation frames, the page's size, full screen
// judged by the saver's dismissal rules, a lost context restored, and the calls the page's script makes.
// Everything the saver decides stays in the shared start-up and frame; this is glue.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <string>

#include "app/app_state.h"
#include "host/saver_run.h"
#include "app/simulated_time.h"
#include "host/web/page_host.h"
#include "host/win_words.h"
#include "render/renderer.h"

namespace {

constexpr const char* kCanvas = "#canvas";

struct PageView {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    bool still;        // one frame at a simulated time, for tests and pictures
    bool lost;         // the context is lost; nothing is drawn until it is restored
    bool looping;      // an animation-frame loop is running
    bool sceneWanted;  // settings changed while the context was lost: a new scene once it is back
    bool fullScreen;
    StoredSettings settings;
    PageDismissal dismissal;
    std::string text;  // the latest string handed to the page's script
};

PageView page;

// The browser shows the canvas once the animation frame's callback returns.
void ShowPageFrame(void*, const AppState&) {}

const SaverPlatform kPlatform{&page, ShowPageFrame};

bool CreateContext(bool keepPicture) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    attributes.preserveDrawingBuffer = keepPicture ? EM_TRUE : EM_FALSE;
    page.context = emscripten_webgl_create_context(kCanvas, &attributes);
    // The page's one context stays current for as long as the page lives.
    return page.context > 0 &&
           emscripten_webgl_make_context_current(page.context) == EMSCRIPTEN_RESULT_SUCCESS;
}

// The canvas in device pixels: its size on the page times the pixel ratio, so it is sharp on high-DPI
// screens.
void MeasureCanvas(int32_t& width, int32_t& height) {
    double cssWidth = 0.0, cssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    width = int32_t(std::lround(cssWidth * ratio));
    height = int32_t(std::lround(cssHeight * ratio));
    emscripten_set_canvas_element_size(kCanvas, width, height);
}

void StartScene() {
    int32_t width = 0, height = 0;
    MeasureCanvas(width, height);
    StartSaver(appState, width, height, page.settings);
}

EM_BOOL OnAnimationFrame(double, void*) {
    if (page.lost) {
        page.looping = false;
        return EM_FALSE;
    }
    FrameTick(appState, kPlatform);
    return EM_TRUE;
}

void RunFrames() {
    if (page.looping || page.still) return;
    page.looping = true;
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// The browser gives no animation frames to a hidden tab: back in view, the scene goes on from where it
// stopped.
EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (!event->hidden) ResumeScene(appState);
    return EM_FALSE;
}

EM_BOOL OnResize(int, const EmscriptenUiEvent*, void*) {
    if (page.still || page.lost) return EM_FALSE;
    int32_t width = 0, height = 0;
    MeasureCanvas(width, height);
    ResizeSaver(appState, width, height);
    return EM_FALSE;
}

// A lost context keeps nothing: the page asks for it back and then creates its resources anew.
EM_BOOL OnContextLost(int, const void*, void*) {
    page.lost = true;
    return EM_TRUE;
}

EM_BOOL OnContextRestored(int, const void*, void*) {
    page.lost = false;
    if (page.sceneWanted) {
        page.sceneWanted = false;
        StartScene();
    } else {
        // The scene goes on; only what the context held is made again.
        ReleaseGLResources(appState);
        CreateGLResources(appState);
        SetupGLState(appState.clientWidth, appState.clientHeight);
    }
    if (page.still) {
        DrawFrame(appState);
    } else {
        RunFrames();
    }
    return EM_FALSE;
}

void LeaveFullScreen() {
    EM_ASM({
        if (document.fullscreenElement)
            document.exitFullscreen();
        else if (document.webkitFullscreenElement)
            document.webkitExitFullscreen();
    });
}

void LeaveFullScreenOnInput(uint32_t message, uintptr_t wParam, HostPoint cursor) {
    if (page.fullScreen && JudgePageInput(page.dismissal, message, wParam, cursor)) LeaveFullScreen();
}

EM_BOOL OnFullScreenChange(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    page.fullScreen = event->isFullscreen != 0;
    if (page.fullScreen) EnterPageFullScreen(page.dismissal);
    return EM_FALSE;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    LeaveFullScreenOnInput(event->altKey ? WM_SYSKEYDOWN : WM_KEYDOWN, 0, page.dismissal.cursor);
    return EM_FALSE;
}

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* event, void*) {
    const HostPoint at{int32_t(event->screenX), int32_t(event->screenY)};
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        LeaveFullScreenOnInput(WM_MOUSEMOVE, 0, at);
    } else {
        LeaveFullScreenOnInput(event->button == 1   ? WM_MBUTTONDOWN
                               : event->button == 2 ? WM_RBUTTONDOWN
                                                    : WM_LBUTTONDOWN,
                               0, at);
    }
    return EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
    LeaveFullScreenOnInput(WM_ACTIVATEAPP, 0, page.dismissal.cursor);
    return EM_FALSE;
}

void ListenToPage() {
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, OnContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, OnContextRestored);
    if (page.still) return;
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnResize);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibilityChange);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                             OnFullScreenChange);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnKeyDown);
    emscripten_set_mousedown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnMouse);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnMouse);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnBlur);
}

const char* ToScript(std::string text) {
    page.text = std::move(text);
    return page.text.c_str();
}

}  // namespace

extern "C" {

// The animated page: settings from the URL fragment over the visitor's stored ones. 0 when it runs, 1
// without WebGL.
EMSCRIPTEN_KEEPALIVE int32_t fenlight_start(const char* fragment, const char* stored) {
    page.settings = ReadPageSettings(fragment, stored);
    if (!CreateContext(false)) return 1;
    ListenToPage();
    StartScene();
    RunFrames();
    return 0;
}

// One frame of the scene after `seconds` of simulated time from the start tick `seed`, exactly
// width x height device pixels: what fenlight-snapshot draws with the same values.
EMSCRIPTEN_KEEPALIVE int32_t fenlight_still(const char* fragment, uint32_t seed, double seconds,
                                            int32_t width, int32_t height) {
    page.still = true;
    page.settings = ReadPageSettings(fragment, nullptr);
    if (!CreateContext(true)) return 1;
    ListenToPage();
    emscripten_set_canvas_element_size(kCanvas, width, height);
    StartSimulatedTime(seed);
    StartSaver(appState, width, height, page.settings);
    AdvanceSimulatedTime(appState, seconds);
    DrawFrame(appState);
    return 0;
}

// New settings from the panel or the address (over the stored ones, as at the start): a new scene with
// them. Returns the fragment in use.
EMSCRIPTEN_KEEPALIVE const char* fenlight_apply(const char* fragment, const char* stored) {
    page.settings = ReadPageSettings(fragment, stored);
    if (page.context > 0 && !page.still) {
        // A lost context can make nothing; the new scene starts when it is restored.
        if (page.lost) {
            page.sceneWanted = true;
        } else {
            StartScene();
        }
    }
    return ToScript(FormatPageSettings(page.settings));
}

// The fragment of the settings in use.
EMSCRIPTEN_KEEPALIVE const char* fenlight_fragment() {
    return ToScript(FormatPageSettings(page.settings));
}

EMSCRIPTEN_KEEPALIVE const char* fenlight_describe() {
    return ToScript(DescribePageSettings(page.settings));
}
}
