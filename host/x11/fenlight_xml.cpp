// fenlight-xml PATH: writes xscreensaver's description of the hack's settings from the settings table (a menu
// for each list, a slider for each number, with the setup dialog's labels, ranges and defaults), or leaves
// PATH as it was and exits 1. A choice left at its default passes no option, so the hack's default is the
// description's.
#include <cctype>
#include <cstdio>
#include <string>

#include "host/options.h"
#include "settings/settings.h"

namespace {

void PrintMenu(const SettingRule& rule) {
    std::printf("      <select id=\"%s\">\n", rule.option);
    for (uint32_t i = 0; i < rule.words.size(); ++i) {
        const char* word = rule.words[i];
        std::printf("        <option id=\"%s\" _label=\"%s: %c%s\"", word, rule.label, std::toupper(word[0]),
                    word + 1);
        if (i != rule.fallback) std::printf(" arg-set=\"--%s %s\"", rule.option, word);
        std::printf("/>\n");
    }
    std::printf("      </select>\n\n");
}

void PrintSlider(const char* id, const char* label, const char* low, const char* high, uint32_t min,
                 uint32_t max, uint32_t fallback, const char* extra) {
    std::printf(
        "      <number id=\"%s\" type=\"slider\" arg=\"--%s %%\"\n"
        "              _label=\"%s\" _low-label=\"%s\" _high-label=\"%s\"\n"
        "              low=\"%u\" high=\"%u\" default=\"%u\"%s/>\n\n",
        id, id, label, low, high, min, max, fallback, extra);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc == 2 ? argv[1] : "", written = path + ".tmp";
    if (path.empty() || std::freopen(written.c_str(), "w", stdout) == nullptr) return 1;
    std::printf(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n"
        "<screensaver name=\"fenlight\" _label=\"Fenlight\" gl=\"yes\">\n\n"
        "  <command arg=\"--root\"/>\n\n"
        "  <hgroup>\n    <vgroup>\n");
    for (const SettingField field : kShownOrder) {
        if (!kSettingRules[field].words.empty()) PrintMenu(kSettingRules[field]);
    }
    std::printf(
        "      <boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"--fps\"/>\n"
        "    </vgroup>\n\n    <vgroup>\n");
    for (const SettingField field : kShownOrder) {
        const SettingRule& r = kSettingRules[field];
        if (r.words.empty()) PrintSlider(r.option, r.label, r.low, r.high, r.min, r.max, r.fallback, "");
    }
    // The hack's own pause between frames, the longest at the slider's left end.
    PrintSlider("delay", "Frame rate", "Low", "High", 0, 100000, kDefaultDelayMicroseconds,
                " convert=\"invert\"");
    std::printf(
        "    </vgroup>\n  </hgroup>\n\n"
        "  <_description>\n"
        "Soft coloured lights drift through the dark: upwards, downwards or towards you,\n"
        "pulsing slowly and wandering a little around their paths. Overlapping lights add\n"
        "up towards white. The colours come from four schemes (emerald, lapis, amber and\n"
        "amethyst), chosen, random, or cycling every 30 seconds with a gentle cross-fade;\n"
        "the direction can cycle every five minutes behind a fade to black.\n\n"
        "Written by " FENLIGHT_PUBLISHER
        "; 2026.\n"
        "  </_description>\n"
        "</screensaver>\n");
    const bool failed = std::ferror(stdout) != 0;
    return std::fclose(stdout) != 0 || failed || std::rename(written.c_str(), path.c_str()) != 0 ? 1 : 0;
}
