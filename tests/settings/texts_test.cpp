// The languages: every file gives exactly the texts English has, which language a person gets, and a text
// as it is shown.
#include "settings/texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

using Texts = std::map<std::string, std::string>;

// A file's texts by key, as they stand in the source; a line that is no text, or a key given twice, fails.
Texts ReadFile(const std::string& tag) {
    std::ifstream file(std::string(FENLIGHT_LANGUAGE_DIR) + "/" + tag + ".txt");
    EXPECT_TRUE(file) << tag;
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    std::string_view rest = content;
    uint32_t number = 0;
    Texts texts;
    for (NamedLine line{}; NextNamedLine(rest, number, line);) {
        EXPECT_TRUE(line.named) << tag << " line " << number << " is not KEY = TEXT";
        EXPECT_TRUE(texts.emplace(line.name, line.value).second) << tag << " line " << number << " repeats a key";
    }
    return texts;
}

// What a text must keep in every language: its {names}, its Alt letter's & (an & before a space is the word)
// and its new lines.
std::multiset<std::string> Kept(const std::string& text) {
    static const std::regex kept(R"(\{[^}]*\}|&(?! )|\\n)");
    std::multiset<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kept); it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

TEST(LanguageFiles, EveryLanguageHasEnglishsTextsAndNoOther) {
    // The settings' English is the table's own (a copy in en.txt would be a second one), their keys every
    // other language's.
    Texts english = ReadFile("en");
    for (const SettingRule& rule : kSettingRules) {
        const std::string option = rule.option;
        std::set<std::string> keys{option};
        for (const char* word : rule.words) keys.insert(option + "." + word);
        if (rule.low != nullptr) keys.insert({option + ".low", option + ".high"});
        for (const std::string& key : keys)
            EXPECT_TRUE(english.emplace(key, "").second) << "en.txt has " << key;
    }
    ASSERT_EQ(std::string(kLanguageFiles[kEnglish].tag), "en");
    std::set<std::string> files, built{"en"};
    for (const auto& entry : std::filesystem::directory_iterator(FENLIGHT_LANGUAGE_DIR)) {
        files.insert(entry.path().stem().string());
    }
    for (uint32_t language = 1; language < kLanguageCount; ++language) {
        const std::string tag = kLanguageFiles[language].tag;
        built.insert(tag);
        Texts texts = ReadFile(tag);
        for (const auto& [key, text] : english) {
            const auto it = texts.find(key);
            if (it == texts.end()) {
                ADD_FAILURE() << tag << " has no " << key;
                continue;
            }
            EXPECT_FALSE(it->second.empty()) << tag << " " << key;
            EXPECT_EQ(Kept(it->second), Kept(text)) << tag << " " << key << " = " << it->second;
            texts.erase(it);
        }
        for (const auto& [key, text] : texts)
            ADD_FAILURE() << tag << " has " << key << ", which English has not";
    }
    EXPECT_EQ(files, built) << "a file in settings/languages that the build leaves out, or the reverse";
}

TEST(Languages, PickLanguage) {
    const struct {
        std::string preferred;
        const char* tag;
    } cases[] = {{"de-DE", "de"},
                 {"en-US,de", "en"},
                 {"pt-PT", "pt-BR"},
                 {"PT_br", "pt-BR"},
                 {"fr-CA;q=0.9, ja", "fr"},
                 {"zh", "zh-CN"},
                 {"zh-Hans-SG", "zh-CN"},
                 {"zh-TW", "en"},
                 {"zh-Hant,ko", "ko"},
                 {"sw-KE", "en"},
                 {"x,,tr", "tr"},
                 {"", "en"},
                 {std::string("ja\0ru", 5), "ja"}};
    for (const auto& c : cases) {
        EXPECT_STREQ(kLanguageFiles[PickLanguage(c.preferred)].tag, c.tag) << c.preferred;
    }
}

TEST(Languages, TextsAsShown) {
    const uint32_t german = PickLanguage("de");
    EXPECT_STREQ(LanguageText(german, "cancel").text, "Abbrechen");
    // English's for a language the program does not have, and nothing for a key nobody has.
    EXPECT_STREQ(LanguageText(kLanguageCount, "cancel").text, "Cancel");
    EXPECT_EQ(LanguageText(german, "no.such.key").length, 0u);
    EXPECT_STREQ(LanguageText(kEnglish, "dialog.error", "code", "5").text, "Error 5.");
    EXPECT_NE(std::string(LanguageText(kEnglish, "installer.finished-selected").text).find("saver.\n\nIts"),
              std::string::npos);
    // A value too long for the buffer is cut where a character starts.
    std::string longest;
    for (int i = 0; i < 300; ++i) longest += "\xC3\xA9";  // é
    const ShownText cut = LanguageText(kEnglish, "dialog.label", "label", longest);
    EXPECT_EQ(std::string(cut.text), longest.substr(0, sizeof cut.text - 2) + ":");
    // A setting's English is the table's; another language's its file's.
    EXPECT_STREQ(SettingWord(kEnglish, kFieldColor, 2).text, "Amber");
    EXPECT_STREQ(SettingEnd(kEnglish, kFieldSize, true).text, "Big");
    EXPECT_STREQ(SettingWord(german, kFieldColor, 2).text, "Bernstein");
}

}  // namespace
