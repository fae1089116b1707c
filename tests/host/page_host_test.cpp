// What the browser test cannot reach cheaply: each setting's link-over-store precedence, and the anchor
// rule of full screen ended by the saver's mouse threshold.
#include <gtest/gtest.h>

#include "host/web/page_host.h"
#include "host/win_words.h"

namespace {

TEST(PageHost, LinkOverStoreSettingBySetting) {
    const struct {
        const char* fragment;
        const char* stored;
        const char* used;
    } cases[] = {
        {"colors=amber", "colors=lapis&size=40", "direction=down&colors=amber&particles=77&size=40&speed=33"},
        // A bad value in the link gives the default, not the stored value.
        {"particles=9999&size=x&direction=sideways", "particles=50&size=10&direction=up&speed=60",
         "direction=down&colors=cycle&particles=77&size=26&speed=60"},
        {"size=-1&speed=1e2&particles=&colors=Amber",
         "speed=100&colors=", "direction=down&colors=cycle&particles=77&size=26&speed=33"},
        {"particles=4294967316&&=&colors&foo=1&direction=in", "",
         "direction=in&colors=cycle&particles=77&size=26&speed=33"},
        {nullptr, "direction=cycle&colors=emerald&particles=120&size=0&speed=100",
         "direction=cycle&colors=emerald&particles=120&size=0&speed=100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatPageSettings(ReadPageSettings(c.fragment, c.stored)), c.used)
            << (c.fragment ? c.fragment : "(none)");
    }
}

TEST(PageHost, FullScreenMouseTravelIsFromTheFirstPosition) {
    PageDismissal page{};
    EnterPageFullScreen(page);
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {900, 40}));  // however far from the last cursor
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {902, 40}));
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {901, 43}));
    EXPECT_TRUE(JudgePageInput(page, WM_MOUSEMOVE, 0, {903, 43}));
}

}  // namespace
