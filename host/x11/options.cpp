#include "host/x11/options.h"

#include <cstring>

namespace {

enum OptionId : int32_t {
    kOptRoot,
    kOptWindow,
    kOptWindowId,
    kOptDirection,
    kOptColours,
    kOptParticles,
    kOptSize,
    kOptSpeed,
    kOptDelay,
    kOptFps,
    kOptNoFps,
    kOptDisplay,
    kOptHelp,
};

struct OptionSpec {
    const char* name;
    OptionId id;
    bool takesValue;
};

constexpr OptionSpec kOptions[] = {
    {"root", kOptRoot, false},         {"window", kOptWindow, false},
    {"window-id", kOptWindowId, true}, {"direction", kOptDirection, true},
    {"colors", kOptColours, true},     {"particles", kOptParticles, true},
    {"size", kOptSize, true},          {"speed", kOptSpeed, true},
    {"delay", kOptDelay, true},        {"fps", kOptFps, false},
    {"no-fps", kOptNoFps, false},      {"display", kOptDisplay, true},
    {"help", kOptHelp, false},         {"h", kOptHelp, false},
};

const OptionSpec* FindOption(const char* name, size_t length) {
    for (const OptionSpec& spec : kOptions) {
        if (std::strlen(spec.name) == length && std::strncmp(spec.name, name, length) == 0) return &spec;
    }
    return nullptr;
}

// A plain decimal number: digits only, no sign, no spaces, at most max.
bool ParseBoundedDecimal(const char* text, uint32_t max, uint32_t& value) {
    if (*text == '\0') return false;
    uint64_t total = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return false;
        total = total * 10 + uint64_t(*c - '0');
        if (total > max) return false;
    }
    value = uint32_t(total);
    return true;
}

template <size_t N>
bool ParseWord(const char* text, const char* const (&words)[N], uint32_t& value) {
    for (size_t i = 0; i < N; ++i) {
        if (std::strcmp(text, words[i]) == 0) {
            value = uint32_t(i);
            return true;
        }
    }
    return false;
}

template <size_t N>
std::string WordList(const char* const (&words)[N]) {
    std::string list;
    for (size_t i = 0; i < N; ++i) {
        if (i > 0) list += i + 1 == N ? " or " : ", ";
        list += words[i];
    }
    return list;
}

std::string RangeText(uint32_t low, uint32_t high) {
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

// What the option accepts, for error messages.
std::string AcceptedValues(OptionId id) {
    switch (id) {
        case kOptDirection:
            return WordList(kDirectionWords);
        case kOptColours:
            return WordList(kColourWords);
        case kOptParticles:
            return RangeText(kQuantityMin, kQuantityMax);
        case kOptSize:
            return RangeText(kSizeMin, kSizeMax);
        case kOptSpeed:
            return RangeText(kSpeedMin, kSpeedMax);
        case kOptDelay:
            return RangeText(0, kMaxDelayMicroseconds) + " (microseconds)";
        case kOptWindowId:
            return "an X window id, decimal or 0x hexadecimal";
        case kOptDisplay:
            return "an X display name such as :0";
        default:
            return "no value";
    }
}

// Stores one option's value; false when the value is not accepted.
bool ApplyValue(HackOptions& options, OptionId id, const char* value) {
    StoredSettings& s = options.settings;
    switch (id) {
        case kOptWindowId:
            if (!ParseWindowId(value, options.windowId)) return false;
            options.target = HackTarget::kWindowId;
            return true;
        case kOptDirection:
            return ParseWord(value, kDirectionWords, s.direction);
        case kOptColours:
            return ParseWord(value, kColourWords, s.color);
        case kOptParticles:
            return ParseBoundedDecimal(value, kQuantityMax, s.quantity) && s.quantity >= kQuantityMin;
        case kOptSize:
            return ParseBoundedDecimal(value, kSizeMax, s.size);
        case kOptSpeed:
            return ParseBoundedDecimal(value, kSpeedMax, s.speed);
        case kOptDelay:
            return ParseBoundedDecimal(value, kMaxDelayMicroseconds, options.delayMicroseconds);
        case kOptDisplay:
            if (*value == '\0') return false;
            options.display = value;
            return true;
        default:
            return false;
    }
}

void ApplyFlag(HackOptions& options, OptionId id) {
    switch (id) {
        case kOptRoot:
            options.target = HackTarget::kRoot;
            break;
        case kOptWindow:
            options.target = HackTarget::kOwnWindow;
            break;
        case kOptFps:
            options.showFps = true;
            break;
        case kOptNoFps:
            options.showFps = false;
            break;
        default:
            break;
    }
}

ParseResult Error(std::string message) {
    return {kParseError, "fenlight: " + message};
}

}  // namespace

HackOptions DefaultHackOptions() {
    return {kDefaultSettings, HackTarget::kOwnWindow, 0, kDefaultDelayMicroseconds, false, nullptr};
}

bool ParseWindowId(const char* text, uint32_t& id) {
    uint64_t value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text + 2;
        if (*digits == '\0') return false;
        for (const char* c = digits; *c != '\0'; ++c) {
            int digit;
            if (*c >= '0' && *c <= '9') {
                digit = *c - '0';
            } else if (*c >= 'a' && *c <= 'f') {
                digit = *c - 'a' + 10;
            } else if (*c >= 'A' && *c <= 'F') {
                digit = *c - 'A' + 10;
            } else {
                return false;
            }
            value = value * 16 + uint64_t(digit);
            if (value > UINT32_MAX) return false;
        }
    } else {
        uint32_t decimal = 0;
        if (!ParseBoundedDecimal(text, UINT32_MAX, decimal)) return false;
        value = decimal;
    }
    if (value == 0) return false;
    id = uint32_t(value);
    return true;
}

ParseResult ParseHackOptions(HackOptions& options, int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-') return Error("unexpected argument '" + std::string(arg) + "' (try --help)");
        const char* name = arg[1] == '-' ? arg + 2 : arg + 1;
        const char* equals = std::strchr(name, '=');
        const size_t length = equals != nullptr ? size_t(equals - name) : std::strlen(name);
        const OptionSpec* spec = FindOption(name, length);
        if (spec == nullptr) {
            return Error("unknown option '" + std::string(arg, size_t(name - arg) + length) +
                         "' (try --help)");
        }
        const std::string shown = "--" + std::string(spec->name);
        if (spec->id == kOptHelp) return {kParseHelp, ""};
        if (!spec->takesValue) {
            if (equals != nullptr) return Error(shown + " takes no value");
            ApplyFlag(options, spec->id);
            continue;
        }
        const char* value = nullptr;
        if (equals != nullptr) {
            value = equals + 1;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return Error(shown + " needs a value: " + AcceptedValues(spec->id));
        }
        if (!ApplyValue(options, spec->id, value)) {
            return Error(shown + " '" + value + "' is not accepted; expected " + AcceptedValues(spec->id));
        }
    }
    return {kParseRun, ""};
}

const char* HackUsage() {
    return "Usage: fenlight [options]\n"
           "Soft coloured lights drifting on black, an OpenGL screen saver for xscreensaver.\n"
           "\n"
           "Where to draw (the last one given wins):\n"
           "  --window              a window of its own; Escape or q closes it (default)\n"
           "  --root                the window xscreensaver hands over ($XSCREENSAVER_WINDOW),\n"
           "                        else the (virtual) root window\n"
           "  --window-id ID        an existing window, decimal or 0x hexadecimal\n"
           "  --display NAME        the X display to use (default $DISPLAY)\n"
           "\n"
           "Scene:\n"
           "  --direction WORD      up, down, in, random or cycle (default down)\n"
           "  --colors WORD         emerald, lapis, amber, amethyst, random or cycle (default cycle)\n"
           "  --particles N         number of lights, 20 to 120 (default 77)\n"
           "  --size N              size of the lights, 0 to 100 (default 26)\n"
           "  --speed N             speed of the lights, 0 to 100 (default 33)\n"
           "\n"
           "Frames:\n"
           "  --delay MICROSECONDS  least pause after each frame, 0 to 10000000 (default 10000);\n"
           "                        frames never come faster than the screen refreshes\n"
           "  --fps                 show the frame rate (--no-fps hides it again)\n"
           "  --help                show this text\n"
           "\n"
           "Options may also be written with one dash (-root) and values after '=' (--size=40).\n";
}
