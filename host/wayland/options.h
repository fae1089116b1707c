// fenlight-wayland's settings and command line: the hack's grammar and the five settings' words, its own
// options (a still picture, the background mode, watching idle, saving), and the settings file an idle
// daemon's one-line command reads them from. Pure parsing and formatting: nothing here touches Wayland.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/options.h"
#include "settings/settings.h"

struct WaylandOptions {
    StoredSettings settings;
    uint32_t given;  // the settings the command line named, one bit per SettingField
    bool still;      // --seed or --seconds: one picture of simulated time, not animated
    uint32_t seed;
    double seconds;
    bool background;       // input is ignored; only a signal ends it
    uint32_t idleSeconds;  // --idle: 0 shows at once and ends on input, else shows after this long idle
    bool save;             // --save: store the settings given into the settings file and end
    bool verbose;          // a line on stderr for each surface shown or dropped, and frames drawn each second
};

constexpr double kMaxStillSeconds = 86400.0;
constexpr uint32_t kMaxIdleSeconds = 86400;
// The still picture's defaults, as fenlight-snapshot has them.
constexpr uint32_t kDefaultStillSeed = 1;
constexpr double kDefaultStillSeconds = 20.0;

// The defaults, with `settings` as read from the settings file.
WaylandOptions DefaultWaylandOptions(const StoredSettings& settings);
// Reads argv[1..argc-1] over options (which start from DefaultWaylandOptions()).
ParseResult ParseWaylandOptions(WaylandOptions& options, int argc, const char* const* argv);
const char* WaylandUsage();

// The settings file: one "name = value" a line with the options' names and words (direction = up,
// particles = 120), blank lines and lines starting with # ignored. Each setting it names with a value that
// is accepted is taken into `settings` and its bit set in `present`; a value that is not gives the setting's
// default and a warning ("line 3: speed 'fast' is not accepted; expected ...; using 33"), and a line that
// names no setting, or is not "name = value", only a warning.
std::vector<std::string> ReadSettingsText(const std::string& text, StoredSettings& settings,
                                          uint32_t& present);
// The file's text for the settings whose bits are set in `present`, in the options' order.
std::string FormatSettingsText(const StoredSettings& settings, uint32_t present);
// Where the file is: $XDG_CONFIG_HOME/fenlight/settings, else $HOME/.config/fenlight/settings; empty when
// neither is set.
std::string SettingsFilePath(const char* xdgConfigHome, const char* home);
