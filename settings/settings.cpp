#include "settings/settings.h"

#include <algorithm>

#include <cmath>

uint32_t GetSettingField(const StoredSettings& settings, SettingField field) {
    switch (field) {
        case kFieldColor:
            return settings.color;
        case kFieldDirection:
            return settings.direction;
        case kFieldQuantity:
            return settings.quantity;
        case kFieldSize:
            return settings.size;
        case kFieldSpeed:
            return settings.speed;
        default:
            return 0;
    }
}

void SetSettingField(StoredSettings& settings, SettingField field, uint32_t value) {
    switch (field) {
        case kFieldColor:
            settings.color = value;
            break;
        case kFieldDirection:
            settings.direction = value;
            break;
        case kFieldQuantity:
            settings.quantity = value;
            break;
        case kFieldSize:
            settings.size = value;
            break;
        case kFieldSpeed:
            settings.speed = value;
            break;
        default:
            break;
    }
}

static bool IsValidField(SettingField field) {
    return field >= 0 && field < kFieldCount;
}

static uint32_t InRangeOrDefault(SettingField field, uint32_t value) {
    const SettingRule& rule = kSettingRules[field];
    return value >= rule.min && value <= rule.max ? value : rule.fallback;
}

uint32_t AcceptStoredValue(SettingField field, bool found, uint32_t byteCount, const uint8_t bytes[4]) {
    if (!IsValidField(field)) return 0;
    // A shorter value reads "successfully" with a smaller size, a longer one does not fit the buffer:
    // only exactly four bytes are a value at all.
    if (!found || byteCount != 4 || bytes == nullptr) return kSettingRules[field].fallback;
    const uint32_t value =
        uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    return InRangeOrDefault(field, value);
}

std::string_view TextPart(std::string_view text, size_t at, size_t length) {
    at = std::min(at, text.size());
    return {text.data() + at, std::min(length, text.size() - at)};
}

static std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    return first == std::string_view::npos
               ? std::string_view{}
               : TextPart(text, first, text.find_last_not_of(" \t\r") - first + 1);
}

bool NextNamedLine(std::string_view& text, uint32_t& number, NamedLine& line) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view whole = Trimmed(TextPart(text, 0, end));
        text = TextPart(text, end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (whole.empty() || whole.front() == '#') continue;
        const size_t equals = whole.find('=');
        line = equals == std::string_view::npos ? NamedLine{whole, {}, false}
                                                : NamedLine{Trimmed(TextPart(whole, 0, equals)),
                                                            Trimmed(TextPart(whole, equals + 1)), true};
        return true;
    }
    return false;
}

bool FindWord(std::span<const char* const> words, std::string_view text, uint32_t& value) {
    for (uint32_t i = 0; i < words.size(); ++i) {
        if (text == words[i]) {
            value = i;
            return true;
        }
    }
    return false;
}

bool ParseBoundedDecimal(std::string_view text, uint32_t max, uint32_t& value) {
    if (text.empty()) return false;
    uint64_t total = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        total = total * 10 + uint64_t(c - '0');
        if (total > max) return false;
    }
    value = uint32_t(total);
    return true;
}

StoredSettings ValidateSettings(const StoredSettings& settings) {
    StoredSettings valid = settings;
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<SettingField>(i);
        SetSettingField(valid, field, InRangeOrDefault(field, GetSettingField(settings, field)));
    }
    return valid;
}

float SizeValueFromPosition(uint32_t position) {
    return static_cast<float>(position * 9.5 / 100.0 + 0.5);
}

float SpeedValueFromPosition(uint32_t position) {
    return static_cast<float>(position * 15.0 / 100.0 + 5.0);
}

// Nearest position, held to the slider's range so that no value can turn into an undefined
// float-to-integer conversion or a position the next load would throw away.
static uint32_t NearestPosition(double position, SettingField field) {
    if (std::isnan(position)) return kSettingRules[field].fallback;
    if (position <= 0.0) return 0;
    if (position >= kSettingRules[field].max) return kSettingRules[field].max;
    return static_cast<uint32_t>(std::lround(position));
}

uint32_t PositionFromSizeValue(float sizeValue) {
    return NearestPosition((static_cast<double>(sizeValue) - 0.5) * 100.0 / 9.5, kFieldSize);
}

uint32_t PositionFromSpeedValue(float speedValue) {
    return NearestPosition((static_cast<double>(speedValue) - 5.0) * 100.0 / 15.0, kFieldSpeed);
}

void ApplySettings(AppState& app, const StoredSettings& settings) {
    const StoredSettings valid = ValidateSettings(settings);
    app.quantity = static_cast<int32_t>(valid.quantity);
    app.sizeValue = SizeValueFromPosition(valid.size);
    app.speedValue = SpeedValueFromPosition(valid.speed);
    app.colour = static_cast<uint8_t>(valid.color);
    app.direction = static_cast<uint8_t>(valid.direction);
}

StoredSettings StoredFromApp(const AppState& app) {
    StoredSettings settings;
    settings.color = app.colour;
    settings.direction = app.direction;
    settings.quantity = static_cast<uint32_t>(app.quantity);
    settings.size = PositionFromSizeValue(app.sizeValue);
    settings.speed = PositionFromSpeedValue(app.speedValue);
    return settings;
}

ShownWord CapitalisedWord(const char* word) {
    ShownWord shown{};
    for (size_t i = 0; i + 1 < sizeof shown.text && word[i] != '\0'; ++i) shown.text[i] = word[i];
    if (shown.text[0] >= 'a' && shown.text[0] <= 'z') shown.text[0] = char(shown.text[0] - 'a' + 'A');
    return shown;
}
