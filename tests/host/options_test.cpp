#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/options.h"

namespace {

struct Parsed {
    HackOptions options;
    ParseResult result;
};

Parsed Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"fenlight"};
    argv.insert(argv.end(), args);
    Parsed parsed{DefaultHackOptions(), {}};
    parsed.result = ParseHackOptions(parsed.options, int(argv.size()), argv.data());
    return parsed;
}

void ExpectRejected(std::initializer_list<const char*> args, const std::string& mentions,
                    const std::string& accepted) {
    const Parsed parsed = Parse(args);
    EXPECT_EQ(parsed.result.outcome, kParseError) << mentions;
    EXPECT_NE(parsed.result.message.find(mentions), std::string::npos) << parsed.result.message;
    EXPECT_NE(parsed.result.message.find(accepted), std::string::npos) << parsed.result.message;
}

}  // namespace

TEST(HackOptions, NoOptionsRunTheRegistryDefaultsInAWindowOfItsOwn) {
    const Parsed parsed = Parse({});
    ASSERT_EQ(parsed.result.outcome, kParseRun);
    const HackOptions& o = parsed.options;
    EXPECT_EQ(o.settings.color, 5u);
    EXPECT_EQ(o.settings.direction, 1u);
    EXPECT_EQ(o.settings.quantity, 77u);
    EXPECT_EQ(o.settings.size, 26u);
    EXPECT_EQ(o.settings.speed, 33u);
    EXPECT_EQ(o.target, HackTarget::kOwnWindow);
    EXPECT_EQ(o.delayMicroseconds, 10000u);
    EXPECT_FALSE(o.showFps);
    EXPECT_EQ(o.display, nullptr);
}

TEST(HackOptions, EverySettingInEverySpellingReachesTheStoredValues) {
    // The words map onto the dialog's list order, which is the order of the stored values.
    const char* directions[] = {"up", "down", "in", "random", "cycle"};
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Parse({"--direction", directions[i]}).options.settings.direction, i);
    }
    const char* colours[] = {"emerald", "lapis", "amber", "amethyst", "random", "cycle"};
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(Parse({"-colors", colours[i]}).options.settings.color, i);

    const Parsed parsed = Parse(
        {"-particles", "20", "--size=0", "-speed=100", "--delay", "0", "-fps", "-root", "--display", ":5"});
    ASSERT_EQ(parsed.result.outcome, kParseRun) << parsed.result.message;
    EXPECT_EQ(parsed.options.settings.quantity, 20u);
    EXPECT_EQ(parsed.options.settings.size, 0u);
    EXPECT_EQ(parsed.options.settings.speed, 100u);
    EXPECT_EQ(parsed.options.delayMicroseconds, 0u);
    EXPECT_TRUE(parsed.options.showFps);
    EXPECT_EQ(parsed.options.target, HackTarget::kRoot);
    EXPECT_STREQ(parsed.options.display, ":5");
    EXPECT_EQ(Parse({"--particles", "120", "--size", "100"}).options.settings.quantity, 120u);
    EXPECT_FALSE(Parse({"--fps", "--no-fps"}).options.showFps);
}

TEST(HackOptions, ValuesOutsideTheDialogsRangesAreRefusedWithTheAcceptedValues) {
    ExpectRejected({"--particles", "500"}, "--particles '500'", "from 20 to 120");
    ExpectRejected({"--particles", "19"}, "--particles", "from 20 to 120");
    ExpectRejected({"--particles", "121"}, "--particles", "from 20 to 120");
    ExpectRejected({"--size", "101"}, "--size", "from 0 to 100");
    ExpectRejected({"-speed", "-1"}, "--speed '-1'", "from 0 to 100");
    ExpectRejected({"--speed", "4294967346"}, "--speed", "from 0 to 100");  // 2^32 + 50 must not wrap
    ExpectRejected({"--size", "50x"}, "--size '50x'", "from 0 to 100");
    ExpectRejected({"--size", ""}, "--size", "from 0 to 100");
    ExpectRejected({"--delay", "20000000"}, "--delay", "microseconds");
    ExpectRejected({"--direction", "sideways"}, "--direction 'sideways'", "up, down, in, random or cycle");
    ExpectRejected({"--direction", "Up"}, "--direction", "up, down, in, random or cycle");
    ExpectRejected({"--colors", "red"}, "--colors 'red'", "emerald, lapis, amber, amethyst, random or cycle");
    ExpectRejected({"--direction"}, "--direction needs a value", "up, down, in, random or cycle");
    ExpectRejected({"--bogus"}, "unknown option '--bogus'", "--help");
    ExpectRejected({"-rootx"}, "unknown option '-rootx'", "--help");
    ExpectRejected({"--root=yes"}, "--root takes no value", "");
    ExpectRejected({"root"}, "unexpected argument 'root'", "--help");
    // The first bad option ends the parse even when good ones follow.
    EXPECT_EQ(Parse({"--bogus", "--root"}).result.outcome, kParseError);
}

TEST(HackOptions, WhereToDrawTheLastChoiceWins) {
    const Parsed byId = Parse({"--root", "--window-id", "0x1a00003"});
    EXPECT_EQ(byId.options.target, HackTarget::kWindowId);
    EXPECT_EQ(byId.options.windowId, 0x1a00003u);
    EXPECT_EQ(Parse({"--window-id", "4194307", "-window"}).options.target, HackTarget::kOwnWindow);
    EXPECT_EQ(Parse({"--window-id=12"}).options.windowId, 12u);
    ExpectRejected({"--window-id", "0"}, "--window-id '0'", "0x hexadecimal");
    ExpectRejected({"--window-id", "0xZZ"}, "--window-id", "0x hexadecimal");
    EXPECT_EQ(Parse({"--help", "--bogus"}).result.outcome, kParseHelp);
    EXPECT_EQ(Parse({"-h"}).result.outcome, kParseHelp);
}

TEST(HackOptions, WindowIdsAreDecimalOrHexAndFitInThirtyTwoBits) {
    uint32_t id = 7;
    EXPECT_TRUE(ParseWindowId("0xFFFFFFFF", id));
    EXPECT_EQ(id, 0xFFFFFFFFu);
    EXPECT_TRUE(ParseWindowId("0X2a", id));
    EXPECT_EQ(id, 42u);
    EXPECT_TRUE(ParseWindowId("4294967295", id));
    EXPECT_EQ(id, 4294967295u);
    id = 7;
    for (const char* bad :
         {"", "0x", "0", "0x0", "0x100000000", "4294967296", "-5", "+5", " 5", "5 ", "12ab"}) {
        EXPECT_FALSE(ParseWindowId(bad, id)) << bad;
    }
    EXPECT_EQ(id, 7u);  // refused ids leave the value alone
}

TEST(HackOptions, HelpNamesEveryOption) {
    const std::string usage = HackUsage();
    for (const char* name : {"--root", "--window", "--window-id", "--direction", "--colors", "--particles",
                             "--size", "--speed", "--delay", "--fps", "--help"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}
