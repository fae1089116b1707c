#include "host/x11/options.h"

#include <cstring>

namespace {

enum OptionId : int32_t {
    kOptRoot,
    kOptWindow,
    kOptWindowId,
    kOptSetting,  // one of the five settings (settings/settings.h)
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
    SettingField field = kFieldCount;  // with kOptSetting
};

// The hack's own options; the settings' come from their table.
constexpr OptionSpec kOptions[] = {
    {"root", kOptRoot, false},      {"window", kOptWindow, false}, {"window-id", kOptWindowId, true},
    {"delay", kOptDelay, true},     {"fps", kOptFps, false},       {"no-fps", kOptNoFps, false},
    {"display", kOptDisplay, true}, {"help", kOptHelp, false},     {"h", kOptHelp, false},
};

bool NameIs(const char* known, const char* name, size_t length) {
    return std::strlen(known) == length && std::strncmp(known, name, length) == 0;
}

// Whether `name` is an option; if so, `spec` (empty before) describes it.
bool FindOption(const char* name, size_t length, OptionSpec& spec) {
    for (const SettingField field : kShownOrder) {
        const char* option = kSettingRules[field].option;
        if (NameIs(option, name, length)) spec = {option, kOptSetting, true, field};
    }
    for (const OptionSpec& own : kOptions) {
        if (NameIs(own.name, name, length)) spec = own;
    }
    return spec.name != nullptr;
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

bool ParseWord(const char* text, std::span<const char* const> words, uint32_t& value) {
    for (size_t i = 0; i < words.size(); ++i) {
        if (std::strcmp(text, words[i]) == 0) {
            value = uint32_t(i);
            return true;
        }
    }
    return false;
}

std::string WordList(std::span<const char* const> words) {
    std::string list;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) list += i + 1 == words.size() ? " or " : ", ";
        list += words[i];
    }
    return list;
}

std::string RangeText(uint32_t low, uint32_t high) {
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

// What the option accepts, for error messages.
std::string AcceptedValues(const OptionSpec& spec) {
    switch (spec.id) {
        case kOptSetting: {
            const SettingRule& rule = kSettingRules[spec.field];
            return !rule.words.empty() ? WordList(rule.words) : RangeText(rule.min, rule.max);
        }
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

// A setting's value, words by their place in the list; false when the value is not accepted.
bool ParseSetting(const SettingRule& rule, const char* text, uint32_t& value) {
    if (!rule.words.empty()) return ParseWord(text, rule.words, value);
    return ParseBoundedDecimal(text, rule.max, value) && value >= rule.min;
}

// Stores one option's value; false when the value is not accepted.
bool ApplyValue(HackOptions& options, const OptionSpec& spec, const char* value) {
    uint32_t setting = 0;
    switch (spec.id) {
        case kOptWindowId:
            if (!ParseWindowId(value, options.windowId)) return false;
            options.target = HackTarget::kWindowId;
            return true;
        case kOptSetting:
            if (!ParseSetting(kSettingRules[spec.field], value, setting)) return false;
            SetSettingField(options.settings, spec.field, setting);
            return true;
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
        OptionSpec spec{};
        if (!FindOption(name, length, spec)) {
            return Error("unknown option '" + std::string(arg, size_t(name - arg) + length) +
                         "' (try --help)");
        }
        const std::string shown = "--" + std::string(spec.name);
        if (spec.id == kOptHelp) return {kParseHelp, ""};
        if (!spec.takesValue) {
            if (equals != nullptr) return Error(shown + " takes no value");
            ApplyFlag(options, spec.id);
            continue;
        }
        const char* value = nullptr;
        if (equals != nullptr) {
            value = equals + 1;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return Error(shown + " needs a value: " + AcceptedValues(spec));
        }
        if (!ApplyValue(options, spec, value)) {
            return Error(shown + " '" + value + "' is not accepted; expected " + AcceptedValues(spec));
        }
    }
    return {kParseRun, ""};
}

const char* HackUsage() {
    static const std::string usage = [] {
        std::string text =
            "Usage: fenlight [options]\n"
            "Soft coloured lights drifting on black, an OpenGL screen saver for xscreensaver.\n"
            "\n"
            "Where to draw (the last one given wins):\n"
            "  --window              a window of its own; Escape or q closes it (default)\n"
            "  --root                the window xscreensaver hands over ($XSCREENSAVER_WINDOW),\n"
            "                        else the (virtual) root window\n"
            "  --window-id ID        an existing window, decimal or 0x hexadecimal\n"
            "  --display NAME        the X display to use (default $DISPLAY)\n"
            "\n"
            "Scene:\n";
        for (const SettingField field : kShownOrder) {
            const SettingRule& rule = kSettingRules[field];
            const bool list = !rule.words.empty();
            std::string option = std::string("--") + rule.option + (list ? " WORD" : " N");
            option.resize(20, ' ');
            text += "  " + option + "  ";
            text += list ? WordList(rule.words)
                         : std::string(rule.help) + ", " + std::to_string(rule.min) + " to " +
                               std::to_string(rule.max);
            text += " (default " +
                    (list ? std::string(rule.words[rule.fallback]) : std::to_string(rule.fallback)) + ")\n";
        }
        return text +
               "\n"
               "Frames:\n"
               "  --delay MICROSECONDS  least pause after each frame, 0 to 10000000 (default 10000);\n"
               "                        frames never come faster than the screen refreshes\n"
               "  --fps                 show the frame rate (--no-fps hides it again)\n"
               "  --help                show this text\n"
               "\n"
               "Options may also be written with one dash (-root) and values after '=' (--size=40).\n";
    }();
    return usage.c_str();
}
