// What the browser test cannot reach cheaply: each setting's link-over-store precedence, the panel's
// description and the page's texts in a language, and the anchor rule of full screen ended by the saver's
// mouse threshold.
#include <gtest/gtest.h>

#include <string>

#include "host/web/page_rules.h"
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

TEST(PageHost, ReducedMotionCalmsASpeedNotChosen) {
    const struct {
        const char* fragment;
        const char* stored;
        uint32_t speed;
    } cases[] = {
        {"", "", kCalmSpeed},
        {"direction=up", "speed=50", 50},
        {"speed=70", "speed=50", 70},
        {"speed=33", "", 33},
        {nullptr, "speed=abc", kCalmSpeed},
        {"", "direction=up&speed=101", kCalmSpeed},
        {"speed=x", "speed=50", kCalmSpeed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadPageSettings(c.fragment, c.stored, true).speed, c.speed) << c.stored;
    }
}

TEST(PageHost, PanelIsDescribedWithTheWordsItShows) {
    EXPECT_EQ(
        DescribePageSettings(kDefaultSettings),
        R"([{"name":"direction","label":"Direction","value":1,"words":["up","down","in","random","cycle"],)"
        R"("shown":["Up","Down","In","Random","Cycle"]},{"name":"colors","label":"Colors","value":5,)"
        R"("words":["emerald","lapis","amber","amethyst","random","cycle"],)"
        R"("shown":["Emerald","Lapis","Amber","Amethyst","Random","Cycle"]},)"
        R"({"name":"particles","label":"Particles","value":77,"min":20,"max":120},)"
        R"({"name":"size","label":"Size","value":26,"min":0,"max":100},)"
        R"({"name":"speed","label":"Speed","value":33,"min":0,"max":100}])");
}

TEST(PageHost, PanelAndTextsInTheVisitorsLanguage) {
    // Links keep their words in every language; labels, shown words and the page's texts are the language's.
    const uint32_t french = PickLanguage("fr-CA,en");
    const std::string panel = DescribePageSettings(kDefaultSettings, french);
    for (const char* part :
         {R"({"name":"colors","label":"Couleurs","value":5,"words":["emerald","lapis","amber","amethyst",)",
          R"("shown":["Émeraude","Lapis","Ambre","Améthyste","Aléatoire","Cyclique"]})"}) {
        EXPECT_NE(panel.find(part), std::string::npos) << panel;
    }
    // The page's own texts and the shared Reset, with the values the page puts in left for it; neither the
    // dialog's nor the installer's, nor the other shared ones.
    const std::string texts = DescribePageTexts(french);
    EXPECT_EQ(texts.rfind(R"({"lang":"fr","texts":{)", 0), 0u) << texts;
    for (const char* part :
         {R"("page.hide":"Masquer")", R"("reset":"Réinitialiser")", R"({width} x {height})"}) {
        EXPECT_NE(texts.find(part), std::string::npos) << part;
    }
    for (const char* part : {R"("ok":)", R"("cancel":)", R"("dialog.)", R"("installer.)"}) {
        EXPECT_EQ(texts.find(part), std::string::npos) << part;
    }
    // A language Fenlight does not have is English.
    EXPECT_EQ(DescribePageTexts(kLanguageCount), DescribePageTexts(kEnglish));
    EXPECT_EQ(DescribePageSettings(kDefaultSettings, kLanguageCount), DescribePageSettings(kDefaultSettings));
}

TEST(PageHost, TextsAreEscapedForJson) {
    const struct {
        const char* text;
        const char* json;
    } cases[] = {
        {R"(say "hi")", R"("say \"hi\"")"},
        {R"(C:\Fenlight\)", R"("C:\\Fenlight\\")"},
        {"one\ntwo\r\n", R"("one\ntwo\u000d\n")"},
        {"\t\x01\x1f\x7f", R"("\u0009\u0001\u001f\u007f")"},
        {"Émeraude · 漢字 </script>", "\"Émeraude · 漢字 </script>\""},
    };
    for (const auto& c : cases) EXPECT_EQ(PageJsonString(c.text), c.json) << c.text;
}

TEST(PageHost, FullScreenEndsOnTheSaversRules) {
    PageDismissal page{};
    EnterPageFullScreen(page);
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {900, 40}));  // however far from the last cursor
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {902, 40}));
    EXPECT_FALSE(JudgePageInput(page, WM_MOUSEMOVE, 0, {901, 43}));
    EXPECT_TRUE(JudgePageInput(page, WM_MOUSEMOVE, 0, {903, 43}));
    EXPECT_TRUE(JudgePageInput(page, WM_MOUSEMOVE, 0, {903, 43}));  // once ended it stays ended
    // Which presses end it is the saver's rules' (their own test); here, that the page asks them before any
    // move, and anew after entering again.
    const struct {
        uint32_t message;
        uintptr_t wParam;
        bool ends;
    } inputs[] = {{WM_KEYDOWN, 0, true}, {WM_ACTIVATEAPP, 0, true}, {WM_ACTIVATEAPP, 1, false}};
    for (const auto& input : inputs) {
        EnterPageFullScreen(page);
        EXPECT_EQ(JudgePageInput(page, input.message, input.wParam, {0, 0}), input.ends) << input.message;
    }
}

TEST(PageHost, LiveCanvasIsCappedByRatioAndPixelBudget) {
    const struct {
        int32_t width, height;
        double ratio;
        PageSize buffer;
    } cases[] = {
        {1280, 720, 1.0, {1280, 720}},    // whole
        {1920, 1080, 1.0, {1920, 1080}},  // whole: 2.07 megapixels
        {2560, 1600, 2.0, {2000, 1250}},  // ratio 2 but over the budget
        {3840, 2160, 1.0, {2108, 1185}},  // a 4K screen at 2.5 megapixels
        {1170, 2532, 3.0, {780, 1688}},   // a phone at ratio 3 is drawn at ratio 2
        {1024, 768, 2.5, {819, 614}},    {0, 720, 1.0, {1, 1}}, {100000, 1, 1.0, {100000, 1}},
    };
    for (const auto& c : cases) {
        const PageSize got = CapPageCanvas(c.width, c.height, c.ratio);
        EXPECT_EQ(got.width, c.buffer.width) << c.width << "x" << c.height << " at " << c.ratio;
        EXPECT_EQ(got.height, c.buffer.height) << c.width << "x" << c.height << " at " << c.ratio;
    }
}

TEST(PageHost, AtMostSixtyFramesASecond) {
    const struct {
        double hertz;
        double jitter;  // each refresh late by up to this many ms
        int32_t drawn;  // in one second
    } cases[] = {{30, 0, 30},  {60, 0, 60},  {60, 1.5, 60}, {75, 0, 60},
                 {120, 0, 60}, {144, 0, 60}, {240, 0, 60}};
    for (const auto& c : cases) {
        PageFrames frames{};
        int32_t drawn = 0;
        for (int32_t i = 0; i < int32_t(c.hertz); ++i) {
            drawn += PageFrameDue(frames, 5000.0 + i * 1000.0 / c.hertz + (i % 3) * c.jitter / 2) ? 1 : 0;
        }
        EXPECT_EQ(drawn, c.drawn) << c.hertz << " Hz";
    }
}

}  // namespace
