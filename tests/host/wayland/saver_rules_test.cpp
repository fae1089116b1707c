#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/wayland/options.h"
#include "host/wayland/saver_rules.h"

namespace {

struct Parsed {
    WaylandOptions options;
    ParseResult result;
};

Parsed Parse(std::initializer_list<const char*> args, const StoredSettings& file = kDefaultSettings) {
    std::vector<const char*> argv{"fenlight-wayland"};
    argv.insert(argv.end(), args);
    Parsed parsed{DefaultWaylandOptions(file), {}};
    parsed.result = ParseWaylandOptions(parsed.options, int(argv.size()), argv.data());
    return parsed;
}

constexpr uint32_t Bit(SettingField field) {
    return 1u << field;
}

}  // namespace

TEST(WaylandOptions, TheCommandLineWinsOverTheFileAndSaysWhichItNamed) {
    const StoredSettings file{2, 0, 100, 50, 50};  // amber, up
    // Naming the file's own value still counts as named, so --save keeps it.
    const Parsed parsed = Parse({"--colors", "amber", "-speed=12"}, file);
    ASSERT_EQ(parsed.result.outcome, kParseRun) << parsed.result.message;
    EXPECT_EQ(parsed.options.settings.color, 2u);
    EXPECT_EQ(parsed.options.settings.speed, 12u);
    EXPECT_EQ(parsed.options.settings.quantity, 100u);
    EXPECT_EQ(parsed.options.given, Bit(kFieldColor) | Bit(kFieldSpeed));
}

TEST(WaylandOptions, AStillPictureAndWhatIsRefused) {
    const Parsed still = Parse({"--seed", "7", "--seconds=2.5"});
    EXPECT_TRUE(still.options.still);
    EXPECT_DOUBLE_EQ(still.options.seconds, 2.5);
    // The grammar and the settings' words are the hack's, tested with it; these are the Wayland saver's own.
    for (const auto& [args, mentions] :
         std::initializer_list<std::pair<std::vector<const char*>, const char*>>{
             {{"--seconds", "86400.5"}, "0 to 86400"},
             {{"--seconds", "1e3"}, "--seconds"},
             {{"--seconds", "3."}, "--seconds"},
             {{"--idle", "0"}, "1 to 86400"},
             {{"--background", "--idle", "5"}, "do not go together"},
             {{"--window"}, "fenlight-wayland: unknown option"},
         }) {
        std::vector<const char*> argv{"fenlight-wayland"};
        argv.insert(argv.end(), args.begin(), args.end());
        WaylandOptions options = DefaultWaylandOptions(kDefaultSettings);
        const ParseResult result = ParseWaylandOptions(options, int(argv.size()), argv.data());
        EXPECT_EQ(result.outcome, kParseError) << mentions;
        EXPECT_NE(result.message.find(mentions), std::string::npos) << result.message;
    }
}

TEST(WaylandSettingsFile, GoodLinesAreTakenAndEveryOtherGivesItsDefaultAndAWarning) {
    StoredSettings settings{0, 0, 20, 0, 90};
    uint32_t present = 0;
    const std::vector<std::string> warnings = ReadSettingsText(
        "# mine\n\n  colors = amber \ndirection=in\r\nparticles = 500\nspeed = fast\nsize\nglow = 3\n",
        settings, present);
    EXPECT_EQ(settings.color, 2u);
    EXPECT_EQ(settings.direction, 2u);
    EXPECT_EQ(settings.quantity, kDefaultQuantity);
    EXPECT_EQ(settings.speed, kDefaultSpeed);
    EXPECT_EQ(settings.size, 0u);  // not named: as it was
    EXPECT_EQ(present, Bit(kFieldColor) | Bit(kFieldDirection));
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0],
              "line 5: particles '500' is not accepted; expected a whole number from 20 to 120; using 77");
    EXPECT_EQ(warnings[1].rfind("line 6: speed 'fast'", 0), 0u) << warnings[1];
    EXPECT_EQ(warnings[2], "line 7: 'size' is not 'name = value'");
    EXPECT_EQ(warnings[3], "line 8: unknown setting 'glow'");
}

TEST(WaylandSettingsFile, WhatIsSavedReadsBackTheSame) {
    const StoredSettings saved{3, 4, 120, 100, 0};
    const uint32_t named = Bit(kFieldColor) | Bit(kFieldDirection) | Bit(kFieldQuantity) | Bit(kFieldSpeed);
    const std::string text = FormatSettingsText(saved, named);
    EXPECT_EQ(text.find("size"), std::string::npos) << text;  // only what was named is stored
    StoredSettings back = kDefaultSettings, expected = saved;
    expected.size = kDefaultSize;
    uint32_t present = 0;
    EXPECT_TRUE(ReadSettingsText(text, back, present).empty());
    EXPECT_EQ(present, named);
    EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0) << text;
    EXPECT_EQ(SettingsFilePath("relative", "/home/u"), "/home/u/.config/fenlight/settings");
}

TEST(WaylandDismissal, NothingEndsItInTheGraceAndTravelCountsFromWhereItEnded) {
    Dismissal d{};
    int surface = 0, other = 0;
    // Before the first frame and in the grace: keys and moves do not end it; the pointer's place follows.
    EXPECT_FALSE(JudgeInput(d, SaverInput::kKey, nullptr, 0, 0, 100));
    StartDismissal(d, 1000);
    EXPECT_FALSE(JudgeInput(d, SaverInput::kPointer, &surface, 10, 10, 1000));
    EXPECT_FALSE(JudgeInput(d, SaverInput::kButton, nullptr, 0, 0, 1000 + kInputGraceMicroseconds - 1));
    EXPECT_FALSE(JudgeInput(d, SaverInput::kPointer, &surface, 50, 50, 1000 + kInputGraceMicroseconds - 1));
    const uint64_t after = 1000 + kInputGraceMicroseconds;
    // Four pixels across and down together stay; five end it, as does another output's surface.
    EXPECT_FALSE(JudgeInput(d, SaverInput::kPointer, &surface, 53, 51, after));
    EXPECT_TRUE(JudgeInput(d, SaverInput::kPointer, &surface, 53, 52, after));
    EXPECT_TRUE(JudgeInput(d, SaverInput::kPointer, &other, 50, 50, after));
    for (const SaverInput input : {SaverInput::kKey, SaverInput::kButton, SaverInput::kTouch})
        EXPECT_TRUE(JudgeInput(d, input, nullptr, 0, 0, after));
    // A pointer first seen after the grace is where travel starts.
    Dismissal late{};
    StartDismissal(late, 0);
    EXPECT_FALSE(JudgeInput(late, SaverInput::kPointer, &surface, 5, 5, kInputGraceMicroseconds + 1));
    EXPECT_TRUE(JudgeInput(late, SaverInput::kPointer, &surface, 10, 5, kInputGraceMicroseconds + 2));
}

TEST(WaylandBuffer, ScaledSharplyWithinThePixelBudget) {
    struct Row {
        int32_t width, height, scale;
        uint32_t preferred120;
        bool viewporter;
        BufferPlan plan;
    };
    for (const Row& row : {
             Row{1920, 1080, 1, 0, true, {1920, 1080, 1, false}},
             Row{1280, 720, 2, 0, false, {1280, 720, 1, false}},  // 3.7 megapixels, and no viewporter to
                                                                  // scale
             Row{960, 540, 2, 0, true, {1920, 1080, 2, false}},
             Row{1280, 720, 2, 0, true, {2108, 1185, 1, true}},    // over the budget: fewer pixels, stretched
             Row{1280, 720, 1, 180, true, {1920, 1080, 1, true}},  // fractional 1.5
             Row{2560, 1440, 2, 180, true, {2108, 1185, 1, true}},  // a 4K output at 1.5
             Row{1280, 720, 1, 180, false, {1280, 720, 1, false}},  // fractional needs the viewporter
             Row{0, 0, 1, 0, true, {1, 1, 1, false}},
         }) {
        const BufferPlan plan =
            PlanBuffer(row.width, row.height, row.scale, row.preferred120, row.viewporter);
        EXPECT_EQ(plan.width, row.plan.width) << row.width << "x" << row.height << " " << row.preferred120;
        EXPECT_EQ(plan.height, row.plan.height) << row.width << "x" << row.height;
        EXPECT_EQ(plan.bufferScale, row.plan.bufferScale) << row.width << "x" << row.height;
        EXPECT_EQ(plan.viewport, row.plan.viewport) << row.width << "x" << row.height;
    }
}
