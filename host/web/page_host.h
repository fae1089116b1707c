// The web page's decisions, free of the browser so native tests reach them: the five settings as a URL
// fragment (and the same text in localStorage), the panel's description of its controls, and full screen
// ended by the Windows saver's own dismissal rules.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_state.h"
#include "settings/settings.h"

// Reads "direction=in&colors=amber&particles=120&size=40&speed=33" from the URL fragment and the same form
// from the visitor's store. Each setting comes from the fragment when it names it, else from the store, else
// its default. A value that is unknown, not a whole number or out of range gives that setting's default,
// through the same validation as a registry load; names the page does not know are ignored.
StoredSettings ReadPageSettings(const char* fragment, const char* stored);
// The fragment that names all five values, in the order above.
std::string FormatPageSettings(const StoredSettings& settings);
// The panel's controls as JSON: for each setting its name in links, its label, its value now and either
// the words of its list or its range.
std::string DescribePageSettings(const StoredSettings& settings);

// Full screen as a saver: the dismissal rules of Fenlight.scr judge the page's input.
struct PageDismissal {
    HostState host;
    bool anchored;  // the first mouse position after entering is where travel is measured from
    bool closeRequested;
    HostPoint cursor;  // the latest mouse position, in screen pixels
};

// Starts judging on entering full screen: no anchor yet, nothing requested.
void EnterPageFullScreen(PageDismissal& page);
// One input event while full screen, as the saver's window message (WM_KEYDOWN, WM_LBUTTONDOWN,
// WM_MOUSEMOVE, WM_ACTIVATEAPP, ...) with the mouse position it came with. True once full screen should end.
bool JudgePageInput(PageDismissal& page, uint32_t message, uintptr_t wParam, HostPoint cursor);
