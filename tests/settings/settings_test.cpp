// The portable settings path: what a load makes of stored values, and what a save writes back; where
// the setup dialog opens.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/dialog_layout.h"
#include "settings/dialog_placement.h"

namespace {

// A stand-in for the store: value name -> bytes as stored; absent names are missing values.
using FakeStore = std::map<std::string, std::string>;

std::string Dword(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// The load path as the registry store runs it: a four-byte buffer per value, then the record.
AppState Load(const FakeStore& store) {
    StoredSettings stored = kDefaultSettings;
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<SettingField>(i);
        uint8_t buffer[4] = {0, 0, 0, 0};
        const auto it = store.find(kSettingRules[i].name);
        const bool found = it != store.end() && it->second.size() <= 4;  // a longer one does not fit
        const uint32_t size = it == store.end() ? 0 : static_cast<uint32_t>(it->second.size());
        if (found) it->second.copy(reinterpret_cast<char*>(buffer), 4);
        SetSettingField(stored, field, AcceptStoredValue(field, found, size, buffer));
    }
    AppState app{};
    ApplySettings(app, stored);
    return app;
}

FakeStore Save(const AppState& app) {
    const StoredSettings stored = StoredFromApp(app);
    FakeStore store;
    for (int32_t i = 0; i < kFieldCount; ++i) {
        store[kSettingRules[i].name] = Dword(GetSettingField(stored, static_cast<SettingField>(i)));
    }
    return store;
}

FakeStore Stored(uint32_t color, uint32_t direction, uint32_t quantity, uint32_t size, uint32_t speed) {
    return {{"Color", Dword(color)},
            {"Direction", Dword(direction)},
            {"Quantity", Dword(quantity)},
            {"Size", Dword(size)},
            {"Speed", Dword(speed)}};
}

void ExpectApp(const AppState& app, uint8_t colour, uint8_t direction, int32_t quantity, float size,
               float speed) {
    EXPECT_EQ(app.quantity, quantity);
    EXPECT_EQ(app.sizeValue, size);
    EXPECT_EQ(app.speedValue, speed);
    EXPECT_EQ(app.colour, colour);
    EXPECT_EQ(app.direction, direction);
}

TEST(SettingsLoad, NothingStoredGivesTheDefaults) {
    ExpectApp(Load({}), kColourCycle, kDirectionDown, 77, 2.97f, 9.95f);  // the defaults
    EXPECT_EQ(Save(Load({})), Stored(5, 1, 77, 26, 33));
}

TEST(SettingsLoad, EveryPositionSurvivesLoadAndSave) {
    for (uint32_t p = 0; p <= 100; ++p) {
        const FakeStore stored = Stored(p % 6, p % 5, 20 + p, p, 100 - p);
        const AppState app = Load(stored);
        EXPECT_EQ(app.sizeValue, static_cast<float>(p * 9.5 / 100 + 0.5)) << p;
        EXPECT_EQ(app.speedValue, static_cast<float>((100 - p) * 15.0 / 100 + 5)) << p;
        EXPECT_EQ(Save(app), stored) << "position " << p;
    }
    EXPECT_EQ(Load(Stored(0, 0, 20, 0, 0)).sizeValue, 0.5f);
    EXPECT_EQ(Load(Stored(0, 0, 20, 100, 100)).sizeValue, 10.0f);
    EXPECT_EQ(Load(Stored(0, 0, 20, 0, 0)).speedValue, 5.0f);
    EXPECT_EQ(Load(Stored(0, 0, 20, 100, 100)).speedValue, 20.0f);
}

TEST(SettingsLoad, RangeEndsAndOutOfRangeValues) {
    EXPECT_EQ(Load(Stored(0, 0, 20, 0, 0)).quantity, 20);
    EXPECT_EQ(Load(Stored(0, 0, 120, 0, 0)).quantity, 120);
    EXPECT_EQ(Load(Stored(0, 0, 19, 0, 0)).quantity, 77);
    EXPECT_EQ(Load(Stored(0, 0, 121, 0, 0)).quantity, 77);

    // 101 in Size or Speed, 6 colours, 5 directions: only that value falls back.
    EXPECT_EQ(Save(Load(Stored(0, 2, 40, 101, 7))), Stored(0, 2, 40, 26, 7));
    EXPECT_EQ(Save(Load(Stored(0, 2, 40, 7, 101))), Stored(0, 2, 40, 7, 33));
    EXPECT_EQ(Save(Load(Stored(6, 4, 40, 7, 7))), Stored(5, 4, 40, 7, 7));
    EXPECT_EQ(Save(Load(Stored(3, 5, 40, 7, 7))), Stored(3, 1, 40, 7, 7));

    // 0xFFFFFFFF (negative when read signed) in each value takes that value's default alone.
    const FakeStore base = Stored(0, 0, 20, 0, 0);
    const uint32_t defaults[kFieldCount] = {5, 1, 77, 26, 33};
    for (int32_t i = 0; i < kFieldCount; ++i) {
        FakeStore stored = base;
        stored[kSettingRules[i].name] = Dword(0xFFFFFFFFu);
        FakeStore expected = base;
        expected[kSettingRules[i].name] = Dword(defaults[i]);
        EXPECT_EQ(Save(Load(stored)), expected) << kSettingRules[i].name;
    }
}

TEST(SettingsLoad, OnlyFourByteValuesCount) {
    // Shorter values come back with a smaller size, longer ones do not fit: both give the default.
    for (size_t length : {0u, 1u, 2u, 3u, 5u}) {
        FakeStore stored = Stored(0, 0, 20, 0, 0);
        stored["Direction"] = std::string(length, '\0');
        if (length > 0) stored["Direction"][0] = 3;
        EXPECT_EQ(Save(Load(stored)), Stored(0, 1, 20, 0, 0)) << length;
    }
    uint8_t three[4] = {3, 0, 0, 0};
    EXPECT_EQ(AcceptStoredValue(kFieldDirection, true, 4, three), 3u);
    for (uint32_t size : {0u, 1u, 2u, 3u, 5u, 8u, 0xFFFFFFFFu}) {
        EXPECT_EQ(AcceptStoredValue(kFieldDirection, true, size, three), kDefaultDirection) << size;
    }
    EXPECT_EQ(AcceptStoredValue(kFieldDirection, false, 4, three), kDefaultDirection);
    const uint8_t quantity[4] = {0x78, 0, 0, 0};  // 120, little-endian
    EXPECT_EQ(AcceptStoredValue(kFieldQuantity, true, 4, quantity), 120u);
    const uint8_t highByte[4] = {0x78, 0, 0, 1};
    EXPECT_EQ(AcceptStoredValue(kFieldQuantity, true, 4, highByte), kDefaultQuantity);
}

TEST(SettingsSave, ValuesOffTheSlidersAreHeldToIt) {
    // Whatever sits in the record, a save writes a position the next load accepts.
    AppState app{};
    ApplySettings(app, kDefaultSettings);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        uint32_t size;
        uint32_t speed;
    };
    for (const Case& c : {Case{nan, 26, 33}, Case{inf, 100, 100}, Case{-inf, 0, 0}, Case{-3.0f, 0, 0},
                          Case{1e30f, 100, 100}, Case{0.49f, 0, 0}, Case{10.04f, 100, 34}}) {
        EXPECT_EQ(PositionFromSizeValue(c.value), c.size) << c.value;
        EXPECT_EQ(PositionFromSpeedValue(c.value), c.speed) << c.value;
    }
    // Nearest position for values between two positions.
    EXPECT_EQ(PositionFromSizeValue(SizeValueFromPosition(40) + 0.04f), 40u);
    EXPECT_EQ(PositionFromSpeedValue(SpeedValueFromPosition(60) - 0.07f), 60u);
}

TEST(SettingsApply, ValidatesWhatItStores) {
    AppState app{};
    ApplySettings(app, StoredSettings{9, 9, 500, 700, 0xFFFFFFFFu});
    ExpectApp(app, kColourCycle, kDirectionDown, 77, 2.97f, 9.95f);
    ApplySettings(app, StoredSettings{2, 2, 120, 100, 0});
    ExpectApp(app, kColourAmber, kDirectionIn, 120, 10.0f, 5.0f);
}

}  // namespace

// The setup dialog, 300 x 400, on a 1920 x 1040 work area (a task bar below), or a short second monitor.
TEST(DialogPlacement, CentredOnAShownOwnerElseOnTheWorkAreaAndAlwaysInside) {
    constexpr ScreenRect kArea{0, 0, 1920, 1040}, kShort{1920, 0, 3200, 300};
    const std::tuple<const char*, DialogPlacement, ScreenRect> cases[] = {
        {"on a shown owner", {{100, 100, 900, 700}, true, kArea}, {350, 200, 650, 600}},
        {"no owner shown", {{100, 100, 900, 700}, false, kArea}, {810, 320, 1110, 720}},
        {"owner off the top left", {{-500, -300, 100, 100}, true, kArea}, {0, 0, 300, 400}},
        {"small owner above the task bar", {{900, 1000, 1000, 1040}, true, kArea}, {800, 640, 1100, 1040}},
        {"taller than the work area: its top", {{}, false, kShort}, {2410, 0, 2710, 400}},
    };
    for (const auto& [what, placement, want] : cases) {
        const ScreenRect got = PlaceDialog(placement, 300, 400);
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(want.left, want.top, want.right, want.bottom))
            << what;
    }
}

// The setup dialog's template in pixels at 1.5 a dialog unit, every text fitting its place.
DialogLayout TemplateLayout() {
    const auto at = [](int x, int y, int width, int height, int needed = 0) {
        return LaidControl{{x * 3 / 2, y * 3 / 2, (x + width) * 3 / 2, (y + height) * 3 / 2}, needed};
    };
    DialogLayout laid{253,
                      10,
                      6,
                      at(54, 15, 62, 8, 80),
                      at(30, 24, 116, 8, 160),
                      at(50, 229, 50, 14, 30),
                      at(112, 229, 50, 14, 50),
                      at(60, 198, 50, 14, 40),
                      {}};
    laid.rows[0] = {at(22, 45, 32, 8, 45), at(57, 44, 48, 95, 70), {}, {}, false};
    laid.rows[1] = {at(29, 69, 24, 8, 35), at(57, 67, 49, 72, 70), {}, {}, false};
    for (int row = 2; row < kFieldCount; ++row) {
        const int y = 95 + 33 * (row - 2);
        laid.rows[row] = {at(21, y + 3, 30, 8, 44), at(51, y, 100, 20), at(53, y - 9, 15, 10, 20),
                          at(133, y - 9, 18, 10, 25), true};
    }
    return laid;
}

// Every control's rectangle, for comparing two layouts.
std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> Rects(const DialogLayout& laid) {
    std::vector<const LaidControl*> controls{&laid.version, &laid.tagline, &laid.ok, &laid.cancel,
                                             &laid.reset};
    for (const LaidRow& row : laid.rows)
        controls.insert(controls.end(), {&row.label, &row.control, &row.low, &row.high});
    std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> rects;
    for (const LaidControl* c : controls)
        rects.emplace_back(c->rect.left, c->rect.top, c->rect.right, c->rect.bottom);
    return rects;
}

TEST(DialogLayout, TextsThatFitKeepTheTemplateAndLongerOnesMoveWhatIsBesideThem) {
    const DialogLayout laid = TemplateLayout();
    const DialogLayout same = LayOutDialog(laid);
    EXPECT_EQ(same.width, laid.width);
    EXPECT_EQ(Rects(same), Rects(laid));

    // Each case makes one text longer than its place by 20 pixels (a label by 20 and the gap after it).
    const struct {
        const char* what;
        void (*longer)(DialogLayout&);
        int grown;  // how much wider the dialog is
    } cases[] = {
        {"a label", [](DialogLayout& l) { l.rows[2].label.needed = 65; }, 26},
        {"a slider's end", [](DialogLayout& l) { l.rows[3].low.needed = 134; }, 20},
        {"a list's word", [](DialogLayout& l) { l.rows[0].control.needed = 178; }, 20},
        {"the buttons", [](DialogLayout& l) { l.cancel.needed = 95; }, 0},
        {"the tagline", [](DialogLayout& l) { l.tagline.needed = 253; }, 20},
    };
    for (const auto& c : cases) {
        DialogLayout longer = TemplateLayout();
        c.longer(longer);
        const DialogLayout out = LayOutDialog(longer);
        EXPECT_EQ(out.width, laid.width + c.grown) << c.what;
        // Every text has its room; nothing overlaps what is beside it; nothing leaves the margins.
        for (const LaidRow& row : out.rows) {
            EXPECT_LE(row.label.rect.left + row.label.needed, row.control.rect.left) << c.what;
            EXPECT_GE(row.control.rect.right - row.control.rect.left, row.control.needed) << c.what;
            EXPECT_LE(row.control.rect.right, out.width - out.margin) << c.what;
            if (!row.slider) continue;
            EXPECT_GE(row.low.rect.right - row.low.rect.left, row.low.needed) << c.what;
            EXPECT_LE(row.low.rect.right + out.gap, row.high.rect.left) << c.what;
            EXPECT_EQ(row.high.rect.right, row.control.rect.right) << c.what;
        }
        EXPECT_GE(out.tagline.rect.right - out.tagline.rect.left, out.tagline.needed) << c.what;
        EXPECT_GE(out.tagline.rect.left, out.margin) << c.what;
        EXPECT_EQ(out.ok.rect.right - out.ok.rect.left, out.cancel.rect.right - out.cancel.rect.left)
            << c.what;
        EXPECT_GE(out.cancel.rect.right - out.cancel.rect.left, out.cancel.needed) << c.what;
        EXPECT_EQ(out.width - out.cancel.rect.right, laid.width - laid.cancel.rect.right) << c.what;
        EXPECT_EQ(out.cancel.rect.left - out.ok.rect.right, laid.cancel.rect.left - laid.ok.rect.right)
            << c.what;
    }
}
