// The five user settings as they are stored (registry values on Windows, options in the Linux hack):
// defaults, ranges, the validation applied when they are read back, and the conversions between the
// stored slider positions and the size and speed values the scene uses.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/app_state.h"

// The stored form: every value unsigned 32-bit, exactly as it sits in the store.
struct StoredSettings {
    uint32_t color;      // 0..3 a colour scheme, 4 Random, 5 Cycle
    uint32_t direction;  // 0 Up, 1 Down, 2 In, 3 Random, 4 Cycle
    uint32_t quantity;   // particles, 20..120 (the swarm holds twice as many wisps)
    uint32_t size;       // size slider position, 0..100
    uint32_t speed;      // speed slider position, 0..100
};

constexpr uint32_t kDefaultColor = 5;      // Cycle
constexpr uint32_t kDefaultDirection = 1;  // Down
constexpr uint32_t kDefaultQuantity = 77;
constexpr uint32_t kDefaultSize = 26;
constexpr uint32_t kDefaultSpeed = 33;
constexpr StoredSettings kDefaultSettings{kDefaultColor, kDefaultDirection, kDefaultQuantity, kDefaultSize,
                                          kDefaultSpeed};

// The store's key (HKEY_CURRENT_USER on Windows).
constexpr const char* kSettingsKeyPath = "Software\\" FENLIGHT_PUBLISHER "\\" FENLIGHT_PRODUCT;
enum SettingField : int32_t {
    kFieldColor = 0,
    kFieldDirection = 1,
    kFieldQuantity = 2,
    kFieldSize = 3,
    kFieldSpeed = 4,
    kFieldCount = 5
};

// The words of the lists in the order of the stored values, as the hack's options, the web page's links and
// xscreensaver's settings spell them; CapitalisedWord gives them as the setup dialog's lists, the page's
// panel and xscreensaver's menus show them. The manual pages add a word's note after it.
constexpr const char* kDirectionWords[] = {"up", "down", "in", "random", "cycle"};
constexpr const char* kDirectionNotes[] = {nullptr, nullptr, "towards the viewer",
                                           "one of the three, picked at start",
                                           "a new direction every 5 minutes"};
constexpr const char* kColourWords[] = {"emerald", "lapis", "amber", "amethyst", "random", "cycle"};
constexpr const char* kColourNotes[] = {nullptr, nullptr, nullptr,
                                        nullptr, nullptr, "a new scheme every 30 seconds"};

// Each setting, once: the hack's options and --help, the setup dialog's texts, the web page's links and
// panel, xscreensaver's settings description and the manual pages' entries (host/x11/fenlight_xml.cpp) all
// come from this table.
struct SettingRule {
    const char* name;    // registry value name
    const char* option;  // the hack's option, the page's link and panel, xscreensaver's settings
    const char* label;   // as the setup dialog labels it (without the colon)
    uint32_t min;        // the accepted range, inclusive, compared as unsigned
    uint32_t max;
    uint32_t fallback;                        // the default
    std::span<const char* const> words = {};  // a list's words, one for each value from 0; none for a slider
    const char* low = nullptr;                // a slider's ends, as the setup dialog labels them
    const char* high = nullptr;
    const char* help = nullptr;  // its meaning, in the manual pages and (a slider's) the hack's --help
    std::span<const char* const> notes = {};  // a list's notes on its words, nullptr for a word without one
};
// In the order the values are read from and written to the store.
constexpr SettingRule kSettingRules[kFieldCount] = {
    {"Color", "colors", "Colors", 0, 5, kDefaultColor, kColourWords, nullptr, nullptr, "colour scheme",
     kColourNotes},
    {"Direction", "direction", "Direction", 0, 4, kDefaultDirection, kDirectionWords, nullptr, nullptr,
     "direction the lights travel", kDirectionNotes},
    {"Quantity", "particles", "Particles", 20, 120, kDefaultQuantity, {}, "Few", "Many", "number of lights"},
    {"Size", "size", "Size", 0, 100, kDefaultSize, {}, "Small", "Big", "size of the lights"},
    {"Speed", "speed", "Speed", 0, 100, kDefaultSpeed, {}, "Slow", "Fast", "speed of the lights"},
};
// The order the hack's --help, the page's links and panel, and xscreensaver's settings show them in.
constexpr SettingField kShownOrder[kFieldCount] = {kFieldDirection, kFieldColor, kFieldQuantity, kFieldSize,
                                                   kFieldSpeed};
static_assert(
    [] {
        for (const SettingRule& rule : kSettingRules) {
            if (!rule.words.empty() && (rule.min != 0 || rule.words.size() != rule.max + 1)) return false;
            if (!rule.notes.empty() && rule.notes.size() != rule.words.size()) return false;
        }
        return true;
    }(),
    "a list has one word, and one note or none, for every value of its range");

// A list's word as it is shown: "amber" -> "Amber". In a buffer of its own, not a std::string, so that
// Fenlight.scr's dialog does not bring in the string library and its exceptions.
struct ShownWord {
    char text[16];
};
ShownWord CapitalisedWord(const char* word);

uint32_t GetSettingField(const StoredSettings& settings, SettingField field);
void SetSettingField(StoredSettings& settings, SettingField field, uint32_t value);

// One value as the store handed it back: `found` is false when it is absent or could not be read,
// `byteCount` is how many bytes the store delivered and `bytes` holds them (little-endian). Only a
// value read as exactly 4 bytes and inside its range is taken; anything else gives the field's default.
uint32_t AcceptStoredValue(SettingField field, bool found, uint32_t byteCount, const uint8_t bytes[4]);

// A plain decimal number, as every host reads one (a setting, a window number, a size): digits only, no
// sign, no spaces, at most max; a number past max is refused, never wrapped.
bool ParseBoundedDecimal(std::string_view text, uint32_t max, uint32_t& value);

// One line of a file of NAME = VALUE lines (the Wayland program's settings, the languages' texts): NAME and
// VALUE without the spaces around them, or, for a line without '=', the whole line as NAME and `named`
// false. Blank lines and # comments are passed over; `number` counts every line read, for messages.
// TEXT from AT, at most LENGTH long: substr without its range check, whose exception would bring the string
// library's exception classes into the saver.
std::string_view TextPart(std::string_view text, size_t at, size_t length = std::string_view::npos);

struct NamedLine {
    std::string_view name, value;
    bool named;
};
bool NextNamedLine(std::string_view& text, uint32_t& number, NamedLine& line);

// A list's word as every host reads one, exactly as the list spells it: its value, or false for no word of
// it.
bool FindWord(std::span<const char* const> words, std::string_view text, uint32_t& value);

// Range check of all five values: each one outside its range becomes its default.
StoredSettings ValidateSettings(const StoredSettings& settings);

// Slider position -> value, in double from the integer position, rounded to float.
float SizeValueFromPosition(uint32_t position);   // position × 9.5 / 100 + 0.5: 0.5 .. 10.0
float SpeedValueFromPosition(uint32_t position);  // position × 15 / 100 + 5: 5.0 .. 20.0
// Value -> slider position, in double, rounded to the nearest integer, so a position survives the
// round trip. A value beyond the slider's ends gives the nearest end, one that is not a number the
// default position.
uint32_t PositionFromSizeValue(float sizeValue);
uint32_t PositionFromSpeedValue(float speedValue);

// Validates and stores the five values into the settings fields of the application record.
void ApplySettings(AppState& app, const StoredSettings& settings);
// The stored form of the application record's settings fields (what a save writes).
StoredSettings StoredFromApp(const AppState& app);
