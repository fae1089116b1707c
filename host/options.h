// The Linux hack's command line, in xscreensaver's conventions: single- or double-dash options, the five
// settings spelled with the setup dialog's words and ranges, where to draw, the frame delay and the frame
// rate display. Pure parsing: nothing here touches X11.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "settings/settings.h"

enum class HackTarget : uint8_t {
    kOwnWindow,  // a window of our own that closes on Escape, q or the window manager's close
    kRoot,       // $XSCREENSAVER_WINDOW, else the virtual root, else the root window
    kWindowId,   // a window someone else made, by its id
};

struct HackOptions {
    StoredSettings settings;
    HackTarget target;
    uint32_t windowId;           // with kWindowId
    uint32_t delayMicroseconds;  // the least pause after each frame
    bool showFps;
    const char* display;  // X display name; nullptr means $DISPLAY
};

constexpr uint32_t kDefaultDelayMicroseconds = 10000;
constexpr uint32_t kMaxDelayMicroseconds = 10000000;

enum ParseOutcome : int32_t {
    kParseRun = 0,    // options are good: run
    kParseHelp = 1,   // --help: print HackUsage() and exit 0
    kParseError = 2,  // message says what was wrong; exit 1
};

struct ParseResult {
    ParseOutcome outcome;
    std::string message;  // for kParseError: one line naming the option and the accepted values
};

HackOptions DefaultHackOptions();

// The grammar the Linux programs share (the hack, the Wayland saver): options written -name, --name, and
// those taking a value also --name=value, a later one overriding an earlier one; the five settings with
// their table's words and ranges; --help and -h; and each program's own options beside them.
struct ProgramOption {
    const char* name;
    int32_t id;
    const char* accepts;  // what its value may be, for messages; nullptr for an option that takes none
};
struct OptionGrammar {
    const char* program;  // the name messages start with
    std::span<const ProgramOption> own;
    void* record;  // handed back to apply
    // Stores one of the program's own options (value nullptr for one that takes none); false when the
    // value is not accepted.
    bool (*apply)(void* record, int32_t id, const char* value);
};
// Reads argv[1..argc-1]: the settings into `settings`, the program's own options through the grammar.
ParseResult ParseOptions(const OptionGrammar& grammar, StoredSettings& settings, int argc,
                         const char* const* argv);
// Seconds as digits with an optional fraction (20, 7.5): no sign, no exponent, no spaces, at most max.
bool ParseDecimalSeconds(const char* text, double max, double& seconds);
// "a, b or c".
std::string WordList(std::span<const char* const> words);
// One setting's value as the options spell it (a list's word, a slider's whole number in its range);
// false when it is not accepted. AcceptedSettingValues says what is, for messages.
bool ParseSettingValue(SettingField field, const char* text, uint32_t& value);
std::string AcceptedSettingValues(SettingField field);

// Reads argv[1..argc-1] into options (which start from DefaultHackOptions()). Options may be written
// -name, --name, and those taking a value also --name=value. A later option overrides an earlier one.
ParseResult ParseHackOptions(HackOptions& options, int argc, const char* const* argv);

// The --help lines of the five settings, in the order they are shown, with their words or ranges and
// defaults.
std::string SettingOptionsHelp();
// The --help text, several lines ending with a newline.
const char* HackUsage();

// An X window id as xscreensaver and users write it: decimal, or hexadecimal after 0x. Zero, signs,
// spaces, trailing characters and values above 32 bits are refused.
bool ParseWindowId(const char* text, uint32_t& id);
