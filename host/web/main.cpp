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
#include "host/web/page_rules.h"
#include "host/win_words.h"
#include "render/renderer.h"
#include "render/gles2/draw.h"

namespace {

constexpr const char* kCanvas = "#canvas";

struct PageView {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    bool still;        // one frame at a simulated time, for tests and pictures
    bool lost;         // the context is lost; nothing is drawn until it is restored
    bool looping;      // an animation-frame loop is running
    bool sceneWanted;  // settings changed while the context was lost: a new scene once it is back
    bool fullScreen;
    bool failed;      // the browser refused the shaders: nothing more is drawn
    bool calm;        // the system asks for reduced motion: a speed not chosen is the calm one
    PageSize canvas;  // the canvas on the page in device pixels, as last measured
    double ratio;     // device pixels per CSS pixel then
    PageFrames frames;
    StoredSettings settings;
    PageDismissal dismissal;
    uint32_t language;  // the visitor's, as fenlight_texts picked it
    std::string text;   // the latest string handed to the page's script
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
    // An ambient display: the integrated GPU where there are two.
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_LOW_POWER;
    page.context = emscripten_webgl_create_context(kCanvas, &attributes);
    // The page's one context stays current for as long as the page lives.
    return page.context > 0 &&
           emscripten_webgl_make_context_current(page.context) == EMSCRIPTEN_RESULT_SUCCESS;
}

// A first guess of the canvas in device pixels, its size on the page times the pixel ratio, until the page's
// script measures it exactly (fenlight_resize).
void GuessCanvas() {
    double cssWidth = 0.0, cssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    page.ratio = emscripten_get_device_pixel_ratio();
    page.canvas = {int32_t(std::lround(cssWidth * page.ratio)), int32_t(std::lround(cssHeight * page.ratio))};
}

// The drawing buffer for the canvas as measured, within the page's budget; the style scales it to the
// canvas. The browser may give less than asked, so the view is what it gave.
PageSize SizeBuffer() {
    const PageSize wanted = CapPageCanvas(page.canvas.width, page.canvas.height, page.ratio);
    emscripten_set_canvas_element_size(kCanvas, wanted.width, wanted.height);
    PageSize given{0, 0};
    emscripten_webgl_get_drawing_buffer_size(page.context, &given.width, &given.height);
    return given;
}

// Tells the page's script that the browser refused the shaders; it says so and stops.
void ReportRefusedShaders() {
    page.failed = true;
    EM_ASM({ document.getElementById('canvas').dispatchEvent(new CustomEvent('fenlightshaders')); });
}

bool ShadersRefused() {
    return !Gles2ProgramLinked() && !emscripten_is_webgl_context_lost(page.context);
}

void StartScene() {
    const PageSize size = SizeBuffer();
    StartSaver(appState, size.width, size.height, page.settings);
    if (ShadersRefused()) ReportRefusedShaders();
}

EM_BOOL OnAnimationFrame(double now, void*) {
    if (page.lost || page.failed) {
        page.looping = false;
        return EM_FALSE;
    }
    if (!PageFrameDue(page.frames, now)) return EM_TRUE;
    // A window moved to a screen of another scale changes the ratio alone, which not every browser
    // reports; a frame looks for itself.
    if (emscripten_get_device_pixel_ratio() != page.ratio) {
        GuessCanvas();
        const PageSize size = SizeBuffer();
        ResizeSaver(appState, size.width, size.height);
    }
    FrameTick(appState, kPlatform);
    return EM_TRUE;
}

void RunFrames() {
    if (page.looping || page.still || page.failed) return;
    page.looping = true;
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// The browser gives no animation frames to a hidden tab: back in view, the scene goes on from where it
// stopped.
EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (!event->hidden) ResumeScene(appState);
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
        // The scene goes on, a live one at the canvas's size now, a still one at its own; only what the
        // context held is made again.
        const PageSize size =
            page.still ? PageSize{appState.clientWidth, appState.clientHeight} : SizeBuffer();
        RestoreSaverGL(appState, size.width, size.height);
        if (ShadersRefused()) ReportRefusedShaders();
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

// The animated page: settings from the URL fragment over the visitor's stored ones, calmed where `calm`
// says the system asks for reduced motion. 0 when it runs, 1 without WebGL.
EMSCRIPTEN_KEEPALIVE int32_t fenlight_start(const char* fragment, const char* stored, int32_t calm) {
    page.calm = calm != 0;
    page.settings = ReadPageSettings(fragment, stored, page.calm);
    if (!CreateContext(false)) return 1;
    ListenToPage();
    GuessCanvas();
    StartScene();
    RunFrames();
    return page.failed ? 2 : 0;
}

// The canvas measured by the page's script, in device pixels at `ratio` device pixels per CSS pixel: on
// every change of its size or of the ratio. A lost context keeps the measure for its restore.
EMSCRIPTEN_KEEPALIVE void fenlight_resize(int32_t width, int32_t height, double ratio) {
    page.canvas = {width, height};
    page.ratio = ratio;
    if (page.context <= 0 || page.still || page.lost || page.failed) return;
    const PageSize size = SizeBuffer();
    ResizeSaver(appState, size.width, size.height);
}

// One frame of the scene after `seconds` of simulated time from the start tick `seed`, exactly
// width x height device pixels: what fenlight-snapshot draws with the same values. 0 when drawn, 1 without
// WebGL, 2 when the shaders are refused, 3 when the browser gives a smaller drawing buffer, 4 when the size
// or the time is past a still frame's bounds (nothing is done).
EMSCRIPTEN_KEEPALIVE int32_t fenlight_still(const char* fragment, uint32_t seed, double seconds,
                                            int32_t width, int32_t height) {
    if (width < 1 || height < 1 || width > kPageStillMaxSide || height > kPageStillMaxSide ||
        !(seconds >= 0.0 && seconds <= kPageStillMaxSeconds))
        return 4;
    page.still = true;
    page.settings = ReadPageSettings(fragment, nullptr);
    if (!CreateContext(true)) return 1;
    ListenToPage();
    emscripten_set_canvas_element_size(kCanvas, width, height);
    // A browser short of memory gives a smaller buffer than the canvas; a smaller or cropped picture is
    // not the one asked for.
    int32_t givenWidth = 0, givenHeight = 0;
    emscripten_webgl_get_drawing_buffer_size(page.context, &givenWidth, &givenHeight);
    if (givenWidth != width || givenHeight != height) return 3;
    StartSimulatedTime(seed);
    StartSaver(appState, width, height, page.settings);
    if (ShadersRefused()) return 2;
    AdvanceSimulatedTime(appState, seconds);
    DrawFrame(appState);
    return 0;
}

// New settings from the panel or the address (over the stored ones, as at the start): a new scene with
// them. Returns the fragment in use.
EMSCRIPTEN_KEEPALIVE const char* fenlight_apply(const char* fragment, const char* stored) {
    page.settings = ReadPageSettings(fragment, stored, page.calm);
    if (page.context > 0 && !page.still && !page.failed) {
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

// The panel's controls in the page's language.
EMSCRIPTEN_KEEPALIVE const char* fenlight_describe() {
    return ToScript(DescribePageSettings(page.settings, page.language));
}

// The page's texts, and its language's tag, in the first language of `preferred` Fenlight speaks (the
// address's choice, then the browser's languages, most wanted first), else English; the panel is described
// in it from then on.
EMSCRIPTEN_KEEPALIVE const char* fenlight_texts(const char* preferred) {
    page.language = PickLanguage(preferred != nullptr ? preferred : "");
    return ToScript(DescribePageTexts(page.language));
}
}
