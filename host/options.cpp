#include "host/options.h"

#include <cstring>

namespace {

enum OptionId : int32_t {
    kOptRoot,
    kOptWindow,
    kOptWindowId,
    kOptDelay,
    kOptFps,
    kOptNoFps,
    kOptDisplay,
};

// The hack's own options; the settings' come from their table.
constexpr ProgramOption kHackOptions[] = {
    {"root", kOptRoot, nullptr},
    {"window", kOptWindow, nullptr},
    {"window-id", kOptWindowId, "an X window id, decimal or 0x hexadecimal"},
    {"delay", kOptDelay, "a whole number from 0 to 10000000 (microseconds)"},
    {"fps", kOptFps, nullptr},
    {"no-fps", kOptNoFps, nullptr},
    {"display", kOptDisplay, "an X display name such as :0"},
};
static_assert(kMaxDelayMicroseconds == 10000000, "--delay's message names its range");

bool ApplyHackOption(void* record, int32_t id, const char* value) {
    HackOptions& options = *static_cast<HackOptions*>(record);
    switch (id) {
        case kOptWindowId:
            if (!ParseWindowId(value, options.windowId)) return false;
            options.target = HackTarget::kWindowId;
            return true;
        case kOptDelay:
            return ParseBoundedDecimal(value, kMaxDelayMicroseconds, options.delayMicroseconds);
        case kOptDisplay:
            if (*value == '\0') return false;
            options.display = value;
            return true;
        case kOptRoot:
            options.target = HackTarget::kRoot;
            return true;
        case kOptWindow:
            options.target = HackTarget::kOwnWindow;
            return true;
        case kOptFps:
        case kOptNoFps:
            options.showFps = id == kOptFps;
            return true;
        default:
            return false;
    }
}

bool NameIs(const char* known, const char* name, size_t length) {
    return std::strlen(known) == length && std::strncmp(known, name, length) == 0;
}

// An option as the command line names it: one of the settings, one of the program's own, or help.
struct FoundOption {
    const char* name;
    SettingField field;        // kFieldCount when it is not a setting
    const ProgramOption* own;  // nullptr when it is not the program's own
};

bool FindOption(const OptionGrammar& grammar, const char* name, size_t length, FoundOption& found) {
    found = {nullptr, kFieldCount, nullptr};
    for (const SettingField field : kShownOrder) {
        if (NameIs(kSettingRules[field].option, name, length))
            found = {kSettingRules[field].option, field, nullptr};
    }
    for (const ProgramOption& own : grammar.own) {
        if (NameIs(own.name, name, length)) found = {own.name, kFieldCount, &own};
    }
    if (NameIs("help", name, length) || NameIs("h", name, length)) found = {"help", kFieldCount, nullptr};
    return found.name != nullptr;
}

std::string RangeText(uint32_t low, uint32_t high) {
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

// What the option accepts, for error messages.
std::string AcceptedValues(const FoundOption& option) {
    if (option.own != nullptr) return option.own->accepts != nullptr ? option.own->accepts : "no value";
    return AcceptedSettingValues(option.field);
}

ParseResult Error(const OptionGrammar& grammar, const std::string& message) {
    return {kParseError, std::string(grammar.program) + ": " + message};
}

}  // namespace

bool ParseSettingValue(SettingField field, const char* text, uint32_t& value) {
    const SettingRule& rule = kSettingRules[field];
    if (!rule.words.empty()) return FindWord(rule.words, text, value);
    return ParseBoundedDecimal(text, rule.max, value) && value >= rule.min;
}

std::string AcceptedSettingValues(SettingField field) {
    const SettingRule& rule = kSettingRules[field];
    return !rule.words.empty() ? WordList(rule.words) : RangeText(rule.min, rule.max);
}

bool ParseDecimalSeconds(const char* text, double max, double& seconds) {
    double value = 0.0;
    const char* c = text;
    for (; *c >= '0' && *c <= '9'; ++c) {
        value = value * 10.0 + double(*c - '0');
        if (value > max) return false;
    }
    if (c == text) return false;
    if (*c == '.') {
        double place = 0.1;
        const char* fraction = ++c;
        for (; *c >= '0' && *c <= '9'; ++c, place /= 10.0) value += place * double(*c - '0');
        if (c == fraction) return false;
    }
    if (*c != '\0' || value > max) return false;
    seconds = value;
    return true;
}

std::string WordList(std::span<const char* const> words) {
    std::string list;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) list += i + 1 == words.size() ? " or " : ", ";
        list += words[i];
    }
    return list;
}

ParseResult ParseOptions(const OptionGrammar& grammar, StoredSettings& settings, int argc,
                         const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-')
            return Error(grammar, "unexpected argument '" + std::string(arg) + "' (try --help)");
        const char* name = arg[1] == '-' ? arg + 2 : arg + 1;
        const char* equals = std::strchr(name, '=');
        const size_t length = equals != nullptr ? size_t(equals - name) : std::strlen(name);
        FoundOption option{};
        if (!FindOption(grammar, name, length, option)) {
            return Error(grammar, "unknown option '" + std::string(arg, size_t(name - arg) + length) +
                                      "' (try --help)");
        }
        const std::string shown = "--" + std::string(option.name);
        if (option.own == nullptr && option.field == kFieldCount) return {kParseHelp, ""};
        const bool takesValue = option.own == nullptr || option.own->accepts != nullptr;
        if (!takesValue) {
            if (equals != nullptr) return Error(grammar, shown + " takes no value");
            grammar.apply(grammar.record, option.own->id, nullptr);
            continue;
        }
        const char* value = nullptr;
        if (equals != nullptr) {
            value = equals + 1;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return Error(grammar, shown + " needs a value: " + AcceptedValues(option));
        }
        bool accepted = false;
        if (option.own != nullptr) {
            accepted = grammar.apply(grammar.record, option.own->id, value);
        } else {
            uint32_t setting = 0;
            accepted = ParseSettingValue(option.field, value, setting);
            if (accepted) SetSettingField(settings, option.field, setting);
        }
        if (!accepted) {
            return Error(grammar,
                         shown + " '" + value + "' is not accepted; expected " + AcceptedValues(option));
        }
    }
    return {kParseRun, ""};
}

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
    const OptionGrammar grammar{"fenlight", kHackOptions, &options, ApplyHackOption};
    return ParseOptions(grammar, options.settings, argc, argv);
}

std::string SettingOptionsHelp() {
    std::string text;
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
    return text;
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
        text += SettingOptionsHelp();
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
