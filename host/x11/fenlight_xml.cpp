// fenlight-xml PATH: writes xscreensaver's description of the hack's settings from the settings table (a menu
// for each list, a slider for each number, with the setup dialog's labels, ranges and defaults), or leaves
// PATH as it was and exits 1. A choice left at its default passes no option, so the hack's default is the
// description's.
// fenlight-xml --manual PAGE PATH: writes the manual page PAGE with its lines kSynopsisLine and kOptionsLine
// replaced by the settings' synopsis and their option entries from the same table; exits 1, PATH left as it
// was, when PAGE cannot be read or lacks one of those lines.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "host/options.h"
#include "settings/settings.h"

namespace {

void PrintMenu(const SettingRule& rule) {
    std::printf("      <select id=\"%s\">\n", rule.option);
    for (uint32_t i = 0; i < rule.words.size(); ++i) {
        const char* word = rule.words[i];
        std::printf("        <option id=\"%s\" _label=\"%s: %s\"", word, rule.label,
                    CapitalisedWord(word).text);
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

void PrintXml() {
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
}

constexpr const char* kSynopsisLine = ".\\\" settings: synopsis";
constexpr const char* kOptionsLine = ".\\\" settings: options";

// The settings' lines of the manual page: the synopsis's, or the option entries.
void PrintManualSettings(bool synopsis) {
    for (const SettingField field : kShownOrder) {
        const SettingRule& rule = kSettingRules[field];
        const char* value = rule.words.empty() ? "N" : "WORD";
        if (synopsis) {
            std::printf("[\\fB\\-\\-%s\\fR \\fI%s\\fR]\n", rule.option, value);
            continue;
        }
        std::printf(".TP\n.BI \\-\\-%s \" %s\"\nThe %s", rule.option, value, rule.help);
        if (rule.words.empty()) {
            std::printf(", %u to %u (default %u).\n", rule.min, rule.max, rule.fallback);
            continue;
        }
        // ":" and the words: "up, down (the default), in (towards the viewer), ... or cycle (...)."
        std::printf(":\n");
        for (size_t i = 0, last = rule.words.size() - 1; i <= last; ++i) {
            std::string note = rule.notes.empty() || rule.notes[i] == nullptr ? "" : rule.notes[i];
            if (i == rule.fallback) note += note.empty() ? "the default" : "; the default";
            const char* after = i == last ? "." : i + 1 == last ? "" : ",";
            if (note.empty()) {
                std::printf(*after != '\0' ? ".BR %s %s\n" : ".B %s%s\n", rule.words[i], after);
            } else {
                std::printf(".B %s\n(%s)%s\n", rule.words[i], note.c_str(), after);
            }
            if (i + 1 == last) std::printf("or\n");
        }
    }
}

// PAGE with the settings' lines filled in; false when it lacks one of them.
bool PrintManual(std::istream& page) {
    int32_t found = 0;
    for (std::string line; std::getline(page, line);) {
        if (line == kSynopsisLine || line == kOptionsLine) {
            PrintManualSettings(line == kSynopsisLine);
            found |= line == kSynopsisLine ? 1 : 2;
        } else {
            std::printf("%s\n", line.c_str());
        }
    }
    return found == 3 && !page.bad();
}

}  // namespace

int main(int argc, char** argv) {
    const bool manual = argc == 4 && std::strcmp(argv[1], "--manual") == 0;
    const std::string path = argc == 2 || manual ? argv[argc - 1] : "", written = path + ".tmp";
    std::ifstream page;
    if (manual) page.open(argv[2]);
    if (path.empty() || (manual && !page) || std::freopen(written.c_str(), "w", stdout) == nullptr) return 1;
    bool complete = true;
    if (manual) {
        complete = PrintManual(page);
    } else {
        PrintXml();
    }
    const bool failed = std::ferror(stdout) != 0 || !complete;
    return std::fclose(stdout) != 0 || failed || std::rename(written.c_str(), path.c_str()) != 0 ? 1 : 0;
}
