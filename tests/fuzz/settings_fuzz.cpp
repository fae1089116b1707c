// libFuzzer target: arbitrary stored bytes, sizes and read results through the load path, and
// arbitrary floats through the position conversions. Nothing may crash or trip a sanitizer, every
// loaded field must be in range, and a save must write back what was accepted.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/settings.h"
#include "fuzz_check.h"

namespace {

template <typename T>
T Take(const uint8_t*& data, size_t& size) {
    T value{};
    const size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StoredSettings stored = kDefaultSettings;
    StoredSettings raw{};
    bool taken[kFieldCount] = {};
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<SettingField>(i);
        const uint8_t flags = Take<uint8_t>(data, size);
        // Mostly the sizes a store really reports, sometimes anything at all.
        const uint32_t byteCount = flags & 0x80 ? Take<uint32_t>(data, size) : (flags >> 2) % 9;
        uint8_t bytes[4];
        for (uint8_t& b : bytes) b = Take<uint8_t>(data, size);
        const bool found = flags & 1;
        const uint32_t value = AcceptStoredValue(field, found, byteCount, bytes);
        const SettingRule& rule = kSettingRules[i];
        FUZZ_CHECK(value >= rule.min && value <= rule.max);
        const uint32_t read = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                              uint32_t{bytes[3]} << 24;
        taken[i] = found && byteCount == 4 && read >= rule.min && read <= rule.max;
        FUZZ_CHECK(value == (taken[i] ? read : rule.fallback));
        SetSettingField(stored, field, value);
        SetSettingField(raw, field, read);
    }

    AppState app{};
    ApplySettings(app, stored);
    FUZZ_CHECK(app.quantity >= 20 && app.quantity <= 120);
    FUZZ_CHECK(app.sizeValue >= 0.5f && app.sizeValue <= 10.0f);
    FUZZ_CHECK(app.speedValue >= 5.0f && app.speedValue <= 20.0f);
    FUZZ_CHECK(app.colour <= 5 && app.direction <= 4);
    const StoredSettings saved = StoredFromApp(app);
    FUZZ_CHECK(std::memcmp(&saved, &stored, sizeof saved) == 0);

    // Unvalidated values straight into the record: the result is validated all the same.
    ApplySettings(app, raw);
    FUZZ_CHECK(app.quantity >= 20 && app.quantity <= 120 && app.colour <= 5 && app.direction <= 4);

    // Any float a record might hold converts to a position on the slider.
    const float sizeValue = Take<float>(data, size);
    const float speedValue = Take<float>(data, size);
    FUZZ_CHECK(PositionFromSizeValue(sizeValue) <= 100);
    FUZZ_CHECK(PositionFromSpeedValue(speedValue) <= 100);
    return 0;
}
