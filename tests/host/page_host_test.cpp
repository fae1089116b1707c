// The web page's decisions: settings read from its link over the visitor's store, and full screen ended
// by the saver's dismissal rules.
#include <gtest/gtest.h>

#include "host/web/page_host.h"
#include "host/win_words.h"

namespace {

struct LinkCase {
    const char* fragment;
    const char* stored;
    const char* used;
};

TEST(PageHost, LinkOverStoreSettingBySetting) {
    const LinkCase cases[] = {
        {"", nullptr, "direction=down&colors=cycle&particles=77&size=26&speed=33"},
        {"colors=amber", "colors=lapis&size=40", "direction=down&colors=amber&particles=77&size=40&speed=33"},
        // A bad value in the link gives the default, not the stored value.
        {"particles=9999&size=x&direction=sideways&speed=60", "particles=50&size=10&direction=up",
         "direction=down&colors=cycle&particles=77&size=26&speed=60"},
        {"size=-1&speed=1e2&particles=&colors=Amber",
         "speed=100&colors=", "direction=down&colors=cycle&particles=77&size=26&speed=33"},
        {"particles=4294967316&&=&colors&foo=1&direction=in", "",
         "direction=in&colors=cycle&particles=77&size=26&speed=33"},
        {nullptr, "direction=cycle&colors=emerald&particles=120&size=0&speed=100",
         "direction=cycle&colors=emerald&particles=120&size=0&speed=100"},
    };
    for (const LinkCase& c : cases) {
        EXPECT_EQ(FormatPageSettings(ReadPageSettings(c.fragment, c.stored)), c.used)
            << (c.fragment ? c.fragment : "(none)");
    }
}

TEST(PageHost, FullScreenEndsByTheSaversRules) {
    PageDismissal page{};
    EnterPageFullScreen(page);
    // The first position is the anchor, however far it is from anything before.
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {900, 40}));
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {902, 40}));
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {901, 43}));
    EXPECT_TRUE(JudgePageInput(page, WM_MOUSEMOVE, 0, {903, 43}));

    const uint32_t enders[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_ACTIVATEAPP};
    for (uint32_t message : enders) {
        EnterPageFullScreen(page);
        EXPECT_TRUE(JudgePageInput(page, message, 0, {0, 0})) << message;
    }
    EnterPageFullScreen(page);
    EXPECT_FALSE(JudgePageInput(page, WM_KEYUP, 0, {0, 0}));
}

}  // namespace
