#include "host/wayland/options.h"

#include <cstring>

namespace {

enum WaylandOptionId : int32_t {
    kOptSeed,
    kOptSeconds,
    kOptBackground,
    kOptIdle,
    kOptSave,
    kOptVerbose,
};

constexpr ProgramOption kWaylandOptions[] = {
    {"seed", kOptSeed, "a whole number from 0 to 4294967295"},
    {"seconds", kOptSeconds, "a number of seconds from 0 to 86400, such as 20 or 7.5"},
    {"background", kOptBackground, nullptr},
    {"idle", kOptIdle, "a whole number of seconds from 1 to 86400"},
    {"save", kOptSave, nullptr},
    {"verbose", kOptVerbose, nullptr},
};
static_assert(kMaxStillSeconds == 86400.0 && kMaxIdleSeconds == 86400, "the messages name the ranges");

bool ApplyWaylandOption(void* record, int32_t id, const char* value) {
    WaylandOptions& options = *static_cast<WaylandOptions*>(record);
    switch (id) {
        case kOptSeed:
            options.still = true;
            return ParseBoundedDecimal(value, UINT32_MAX, options.seed);
        case kOptSeconds:
            options.still = true;
            return ParseDecimalSeconds(value, kMaxStillSeconds, options.seconds);
        case kOptBackground:
            options.background = true;
            return true;
        case kOptIdle:
            return ParseBoundedDecimal(value, kMaxIdleSeconds, options.idleSeconds) &&
                   options.idleSeconds > 0;
        case kOptSave:
            options.save = true;
            return true;
        case kOptVerbose:
            options.verbose = true;
            return true;
        default:
            return false;
    }
}

SettingField FieldNamed(const std::string& name) {
    for (const SettingField field : kShownOrder) {
        if (name == kSettingRules[field].option) return field;
    }
    return kFieldCount;
}

}  // namespace

WaylandOptions DefaultWaylandOptions(const StoredSettings& settings) {
    return {settings, 0, false, kDefaultStillSeed, kDefaultStillSeconds, false, 0, false, false};
}

ParseResult ParseWaylandOptions(WaylandOptions& options, int argc, const char* const* argv) {
    const OptionGrammar grammar{"fenlight-wayland", kWaylandOptions, &options, ApplyWaylandOption};
    const ParseResult parsed = ParseOptions(grammar, options.settings, argc, argv);
    if (parsed.outcome != kParseRun) return parsed;
    // Which settings the command line named: read again onto two records that differ in every setting, a
    // named one comes out the same in both.
    StoredSettings low{}, high{};
    for (const SettingField field : kShownOrder) {
        SetSettingField(low, field, kSettingRules[field].min);
        SetSettingField(high, field, kSettingRules[field].max);
    }
    WaylandOptions scratch = options;
    const OptionGrammar again{"fenlight-wayland", kWaylandOptions, &scratch, ApplyWaylandOption};
    ParseOptions(again, low, argc, argv);
    ParseOptions(again, high, argc, argv);
    for (const SettingField field : kShownOrder) {
        if (GetSettingField(low, field) == GetSettingField(high, field)) options.given |= 1u << field;
    }
    if (options.background && options.idleSeconds > 0) {
        return {kParseError,
                "fenlight-wayland: --background and --idle do not go together (behind a lock "
                "screen the lock screen decides when it shows)"};
    }
    return parsed;
}

const char* WaylandUsage() {
    static const std::string usage = [] {
        std::string text =
            "Usage: fenlight-wayland [options]\n"
            "Soft coloured lights drifting on black: a screen saver for Wayland compositors with "
            "layer-shell\n"
            "(sway, Hyprland, KDE Plasma, river, labwc, niri, Wayfire). It covers every output and ends on "
            "a\n"
            "key, a click, a touch or a move of the pointer.\n"
            "\n"
            "Scene (default: the settings file, else the defaults shown):\n";
        text += SettingOptionsHelp();
        return text +
               "  --save                store the settings given in the settings file, then end\n"
               "\n"
               "When:\n"
               "  --idle SECONDS        stay running: show after that long without input, hide on input\n"
               "  --background          ignore input, end only on SIGTERM or SIGINT (behind a lock screen)\n"
               "\n"
               "A still picture, for tests and screenshots:\n"
               "  --seed N              start tick of the simulated clock (default 1)\n"
               "  --seconds S           simulated time of the picture, 0 to 86400 (default 20)\n"
               "\n"
               "  --verbose             say on stderr what is shown where, and the frames drawn each second\n"
               "  --help                show this text\n"
               "\n"
               "The settings file is $XDG_CONFIG_HOME/fenlight/settings (~/.config/fenlight/settings): "
               "lines\n"
               "such as 'colors = amber'. Options may also be written with one dash and values after '='.\n";
    }();
    return usage.c_str();
}

std::vector<std::string> ReadSettingsText(const std::string& text, StoredSettings& settings,
                                          uint32_t& present) {
    std::vector<std::string> warnings;
    std::string_view rest = text;
    uint32_t number = 0;
    NamedLine line{};
    while (NextNamedLine(rest, number, line)) {
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::string name(line.name), value(line.value);
        if (!line.named) {
            warnings.push_back(where + "'" + name + "' is not 'name = value'");
            continue;
        }
        const SettingField field = FieldNamed(name);
        if (field == kFieldCount) {
            warnings.push_back(where + "unknown setting '" + name + "'");
            continue;
        }
        uint32_t parsed = 0;
        if (!ParseSettingValue(field, value.c_str(), parsed)) {
            const SettingRule& rule = kSettingRules[field];
            const std::string fallback =
                rule.words.empty() ? std::to_string(rule.fallback) : rule.words[rule.fallback];
            warnings.push_back(where + name + " '" + value + "' is not accepted; expected " +
                               AcceptedSettingValues(field) + "; using " + fallback);
            SetSettingField(settings, field, rule.fallback);
            continue;
        }
        SetSettingField(settings, field, parsed);
        present |= 1u << field;
    }
    return warnings;
}

std::string FormatSettingsText(const StoredSettings& settings, uint32_t present) {
    std::string text = "# fenlight-wayland's settings: the options' names and words, one a line.\n";
    for (const SettingField field : kShownOrder) {
        if ((present & (1u << field)) == 0) continue;
        const SettingRule& rule = kSettingRules[field];
        const uint32_t value = GetSettingField(settings, field);
        text += std::string(rule.option) + " = " +
                (rule.words.empty() ? std::to_string(value) : std::string(rule.words[value])) + "\n";
    }
    return text;
}

std::string SettingsFilePath(const char* xdgConfigHome, const char* home) {
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/fenlight/settings";
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/fenlight/settings";
    return "";
}
