// The page's words in the visitor's language: the panel's labels and list words, and the page's own texts.
// Apart from page_rules.cpp, so that a program reading only the page's settings (fenlight-wayland) needs no
// languages' table.
#include <cstdio>

#include "host/web/page_rules.h"

namespace {

// Whether KEY is one of the page's texts: its own ("page.") or shared with the dialog.
bool PageKey(std::string_view key) {
    return key.substr(0, 5) == "page." || key == "reset";
}

std::string JsonOf(const ShownText& text) {
    return PageJsonString({text.text, text.length});
}

}  // namespace

std::string PageJsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (uint8_t(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(uint8_t(c)));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string DescribePageSettings(const StoredSettings& settings, uint32_t language) {
    std::string json = "[";
    for (const SettingField field : kShownOrder) {
        const SettingRule& rule = kSettingRules[field];
        if (json.size() > 1) json += ',';
        json += std::string("{\"name\":\"") + rule.option +
                "\",\"label\":" + JsonOf(SettingLabel(language, field)) +
                ",\"value\":" + std::to_string(GetSettingField(settings, field));
        if (!rule.words.empty()) {
            std::string words, shown;
            for (uint32_t i = 0; i < rule.words.size(); ++i) {
                const std::string comma = i > 0 ? "," : "";
                words += comma + "\"" + rule.words[i] + "\"";
                shown += comma + JsonOf(SettingWord(language, field, i));
            }
            json += ",\"words\":[" + words + "],\"shown\":[" + shown + "]}";
        } else {
            json += ",\"min\":" + std::to_string(rule.min) + ",\"max\":" + std::to_string(rule.max) + "}";
        }
    }
    return json + "]";
}

std::string DescribePageTexts(uint32_t language) {
    if (language >= kLanguageCount) language = kEnglish;
    std::string json =
        std::string("{\"lang\":") + PageJsonString(kLanguageFiles[language].tag) + ",\"texts\":{";
    // The keys are English's: every language has exactly those.
    std::string_view file = kLanguageFiles[kEnglish].text;
    uint32_t number = 0;
    NamedLine line{};
    bool first = true;
    while (NextNamedLine(file, number, line)) {
        if (!line.named || !PageKey(line.name)) continue;
        if (!first) json += ',';
        json += PageJsonString(line.name);
        json += ':';
        json += JsonOf(LanguageText(language, line.name));
        first = false;
    }
    return json + "}}";
}
