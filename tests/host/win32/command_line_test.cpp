// The screen-saver command line from the full line the system passes to what the process does.
#include <gtest/gtest.h>

#include <string>

#include "host/win32/command_line.h"

namespace {

constexpr uint32_t kParentWindow = 1234;

bool OnlyParentIsWindow(uint32_t window) {
    return window == kParentWindow;
}

StartPlan PlanFor(const std::string& commandLine, bool win9xFamily = false) {
    const char* tail = FindCommandTail(commandLine.c_str(), StepOneByte);
    return PlanStart(ReadSwitch(tail), win9xFamily, OnlyParentIsWindow);
}

void ExpectPlan(const std::string& commandLine, StartAction action, OwnerKind owner, uint32_t window,
                bool win9xFamily = false) {
    SCOPED_TRACE("command line [" + commandLine + "]");
    const StartPlan plan = PlanFor(commandLine, win9xFamily);
    EXPECT_EQ(plan.action, action);
    EXPECT_EQ(plan.owner, owner);
    EXPECT_EQ(plan.window, window);
}

TEST(CommandTail, SkipsProgramNameAndTheBlanksAfterIt) {
    // The last: a blank as the first byte means there is no name.
    for (const char* line : {"Fenlight.scr /s", "\"C:\\Program Files\\Fenlight.scr\" /s",
                             "\"C:\\x y\\Fenlight.scr\"/s", "Fenlight.scr\t/s", " /s"})
        EXPECT_STREQ(FindCommandTail(line, StepOneByte), "/s") << line;
    EXPECT_STREQ(FindCommandTail("Fenlight.scr \t\r\n /p 12", StepOneByte), "/p 12");
    // Bytes from 128 up belong to the name.
    EXPECT_STREQ(FindCommandTail("F\xE9nlight.scr /c", StepOneByte), "/c");
    // No tail after an empty line, a name alone, or an unclosed quote (the whole line is the program name).
    for (const char* line : {"", "Fenlight.scr", "Fenlight.scr   ", "\"C:\\x y\\Fenlight.scr /s", "\""})
        EXPECT_STREQ(FindCommandTail(line, StepOneByte), "") << line;
    EXPECT_STREQ(FindCommandTail("\"\" /a", StepOneByte), "/a");
}

TEST(CommandTail, StepsOverWholeCharactersOfTheName) {
    // A double-byte character whose second byte is a quote does not end a quoted name.
    const CharStep doubleByte = [](const char* p) -> const char* {
        if (*p == '\0') return p;
        return static_cast<unsigned char>(*p) == 0x81 && p[1] != '\0' ? p + 2 : p + 1;
    };
    EXPECT_STREQ(FindCommandTail("\"a\x81\"b\" /s", doubleByte), "/s");
    EXPECT_STREQ(FindCommandTail("\"a\x81\"b\" /s", StepOneByte), "b\" /s");
}

TEST(WindowNumber, ReadsDecimalDigitsThatFitIn32Bits) {
    EXPECT_EQ(ParseWindowNumber("1234"), 1234u);
    EXPECT_EQ(ParseWindowNumber("123abc"), 123u);
    EXPECT_EQ(ParseWindowNumber("0042"), 42u);
    EXPECT_EQ(ParseWindowNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowNumber("000000000004294967295"), 4294967295u);
    // A number that does not fit names no window, rather than the one it would wrap onto (the last wraps 64
    // bits onto 12); no sign, blanks, other bases or non-ASCII digits.
    for (const char* text : {"4294967296", "4294967297", "4294968530x", "99999999999999999999",
                             "1844674407370955161712", "", "-5", "+5", " 5", "0x10", "\xB9"})
        EXPECT_EQ(ParseWindowNumber(text), 0u) << text;
}

TEST(WindowNumber, NamesTheHandleWindowsWidensItTo) {
    // Sign extension, as LongToHandle does: with bit 31 set the handle is negative on 64-bit Windows.
    EXPECT_EQ(WindowHandleValue(1234), intptr_t{1234});
    EXPECT_EQ(WindowHandleValue(0x7FFFFFFF), intptr_t{2147483647});
    const struct {
        const char* tail;
        intptr_t handle;
    } high[] = {{"/p 2147483648", -2147483647 - 1},
                {"/p 2147483649", -2147483647},
                {"/c:3221225472", -1073741824},
                {"/l 4294967295", -1},
                {"/p 8589934591", 0}};  // does not fit: no window
    for (const auto& c : high) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(WindowHandleValue(ReadSwitch(c.tail).windowNumber), c.handle);
    }
}

TEST(Switch, ReadsTheNumberThatFollowsItsLetter) {
    EXPECT_EQ(ReadSwitch("/p123abc").windowNumber, 123u);
    EXPECT_EQ(ReadSwitch("/p   77").windowNumber, 77u);
    EXPECT_EQ(ReadSwitch("/a 5").windowNumber, 5u);
    EXPECT_EQ(ReadSwitch("/c:9").windowNumber, 9u);
    EXPECT_EQ(ReadSwitch("/c 9").windowNumber, 0u);
    EXPECT_EQ(ReadSwitch("/s 9").windowNumber, 0u);
    EXPECT_EQ(ReadSwitch("/l 8").mode, SaverSwitch::kPreview);
}

TEST(StartMode, FullScreenSwitchesInEverySpelling) {
    for (const char* tail : {"/s", "-s", "s", "/S", "//s", "-/ s", "/screensaver", " - / -s"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kRunSaver, OwnerKind::kNone, 0);
    }
    ExpectPlan("\"C:\\Program Files\\Fenlight.scr\" /s", StartAction::kRunSaver, OwnerKind::kNone, 0);
    ExpectPlan("Fenlight.scr\t/s", StartAction::kRunSaver, OwnerKind::kNone, 0);
}

TEST(StartMode, PreviewNeedsAnExistingWindow) {
    for (const char* tail : {"/p 1234", "/p1234", "/P   1234", "/l 1234", "-L1234", "/p 1234 extra"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kRunSaver, OwnerKind::kWindow,
                   kParentWindow);
    }
    for (const char* tail : {"/p", "/p abc", "/p 0", "/p 999", "/p\t1234", "/p -1234", "/p123abc"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kReject, OwnerKind::kNone, 0);
    }
    // 1234 + 2^32 does not fit and must not wrap onto the window.
    for (const char* tail : {"/p 4294968530", "/l4294968530", "/p 18446744073709552850"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kReject, OwnerKind::kNone, 0);
    }
}

TEST(StartMode, DialogOwnerComesAfterAColonOrIsTheForegroundWindow) {
    for (const char* line : {"Fenlight.scr", "Fenlight.scr ", "Fenlight.scr /", "Fenlight.scr - /",
                             "\"C:\\a b\\F.scr", "Fenlight.scr ---///   "}) {
        ExpectPlan(line, StartAction::kShowDialog, OwnerKind::kNone, 0);
    }
    ExpectPlan("Fenlight.scr /c:1234", StartAction::kShowDialog, OwnerKind::kWindow, kParentWindow);
    ExpectPlan("Fenlight.scr /C:1234", StartAction::kShowDialog, OwnerKind::kWindow, kParentWindow);
    for (const char* tail :
         {"/c", "/c 1234", "/c:", "/c:999", "/c: 1234", "/c:0", "/config", "/c:4294968530"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kShowDialog, OwnerKind::kForeground, 0);
    }
}

TEST(StartMode, PasswordChangeOnlyOnTheWin9xFamily) {
    ExpectPlan("Fenlight.scr /a 1234", StartAction::kReject, OwnerKind::kNone, 0, false);
    ExpectPlan("Fenlight.scr /a", StartAction::kReject, OwnerKind::kNone, 0, false);
    ExpectPlan("Fenlight.scr /a 1234", StartAction::kChangePassword, OwnerKind::kWindow, kParentWindow, true);
    ExpectPlan("Fenlight.scr /A1234", StartAction::kChangePassword, OwnerKind::kWindow, kParentWindow, true);
    ExpectPlan("Fenlight.scr /a", StartAction::kChangePassword, OwnerKind::kForeground, 0, true);
    ExpectPlan("Fenlight.scr /a 77", StartAction::kChangePassword, OwnerKind::kForeground, 0, true);
}

TEST(StartMode, AnythingElseIsRejected) {
    // A tab is not a switch separator.
    for (const char* tail : {"/x", "/?", "/\ts", "/ \ts", "/1", "/\xD3", "/:s"}) {
        ExpectPlan(std::string("Fenlight.scr ") + tail, StartAction::kReject, OwnerKind::kNone, 0, true);
    }
    EXPECT_EQ(kRejectedExitCode, -1);
}

}  // namespace
