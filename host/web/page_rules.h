// The web page's decisions, free of the browser so native tests reach them: the five settings as a URL
// fragment (and the same text in localStorage), the panel's description of its controls and the page's texts
// in the visitor's language, and full screen ended by the Windows saver's own dismissal rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/dismissal.h"
#include "settings/settings.h"
#include "settings/texts.h"

// The speed the lights drift at where the system asks for reduced motion, unless a speed was chosen.
constexpr uint32_t kCalmSpeed = 12;

// Reads "direction=in&colors=amber&particles=120&size=40&speed=33" from the URL fragment and the same form
// from the visitor's store. Each setting comes from the fragment when it names it, else from the store, else
// its default. A value that is unknown, not a whole number or out of range gives that setting's default,
// through the same validation as a registry load; names the page does not know are ignored. With `calm`
// (the system asks for reduced motion) the speed's default is kCalmSpeed: a speed that is not a valid
// value was not chosen either.
StoredSettings ReadPageSettings(const char* fragment, const char* stored, bool calm = false);
// The fragment that names all five values, in the order above.
std::string FormatPageSettings(const StoredSettings& settings);
// The panel's controls as JSON: for each setting its name in links, its label in LANGUAGE (settings/texts.h),
// its value now and either the words of its list (as links spell them, and as the panel shows them in
// LANGUAGE) or its range.
std::string DescribePageSettings(const StoredSettings& settings, uint32_t language = kEnglish);
// The page's texts in LANGUAGE as JSON: {"lang":TAG,"texts":{KEY:TEXT,...}} with every key of the page
// ("page." and the shared "reset"), English's text where the language has none. A text's {NAME} is left
// for the page to fill in. The page's script puts each text where its HTML marks the key.
std::string DescribePageTexts(uint32_t language);
// TEXT as a JSON string, quoted: quotes, backslashes and control characters escaped, the rest (UTF-8) as is.
std::string PageJsonString(std::string_view text);

// Full screen as a saver: the dismissal rules of Fenlight.scr judge the page's input.
struct PageDismissal {
    bool anchored;  // the first mouse position after entering is where travel is measured from
    bool ended;     // once judged to end, full screen stays ended
    HostPoint anchor;
    HostPoint cursor;  // the latest mouse position, in screen pixels
};

// Starts judging on entering full screen: no anchor yet, nothing requested.
void EnterPageFullScreen(PageDismissal& page);
// One input event while full screen, as the saver's window message (WM_KEYDOWN, WM_LBUTTONDOWN,
// WM_MOUSEMOVE, WM_ACTIVATEAPP, ...) with the mouse position it came with. True once full screen should end.
bool JudgePageInput(PageDismissal& page, uint32_t message, uintptr_t wParam, HostPoint cursor);

// A still frame's bounds (the page's script keeps to them; the program holds any other caller to them too):
// at most kPageStillMaxSide pixels a side, and at most kPageStillMaxSeconds of simulated time, which is
// stepped through at once, before the page can answer.
constexpr int32_t kPageStillMaxSide = 8192;
constexpr double kPageStillMaxSeconds = 3600.0;

// The live canvas's drawing buffer for a canvas of width x height device pixels shown at `ratio` device
// pixels per CSS pixel. The glows are soft, so a buffer scaled up by the page's style looks the same while
// a frame costs in proportion to its pixels: the buffer keeps the canvas's shape but holds at most
// kPageMaxRatio pixels per CSS pixel and kPagePixelBudget pixels in all. 1920 x 1080 at ratio 1 fits
// whole; a 390 x 844 phone at ratio 3 gets 780 x 1688 instead of 1170 x 2532.
constexpr double kPagePixelBudget = 2.5e6;
constexpr double kPageMaxRatio = 2.0;
struct PageSize {
    int32_t width;
    int32_t height;
};
PageSize CapPageCanvas(int32_t width, int32_t height, double ratio);

// The lights are slow: a screen refreshing faster than kPageFramesPerSecond gets no more frames than that,
// so 120 Hz or 144 Hz costs what 60 Hz does. `next` is when the next frame is due, in the animation
// frame's milliseconds; a frame is due a little early, as refresh times jitter.
constexpr double kPageFramesPerSecond = 60.0;
struct PageFrames {
    double next;
};
// True when the animation frame at `now` should draw; then the next one is due a frame's time later.
bool PageFrameDue(PageFrames& frames, double now);
