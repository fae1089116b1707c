#include "settings/texts.h"

#include <algorithm>
#include <cstring>

bool FindText(std::string_view file, std::string_view key, std::string_view& text) {
    uint32_t number = 0;
    NamedLine line{};
    while (NextNamedLine(file, number, line)) {
        if (line.named && line.name == key) {
            text = line.value;
            return true;
        }
    }
    return false;
}

static char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c == '_' ? '-' : c;
}

static bool SameTag(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

static std::string_view LanguageSubtag(std::string_view tag) {
    return TextPart(tag, 0, tag.find_first_of("-_"));
}

// Chinese written in traditional characters: named by its script, or by a region that writes it.
static bool TraditionalChinese(std::string_view tag) {
    if (!SameTag(LanguageSubtag(tag), "zh")) return false;
    while (tag.find_first_of("-_") != std::string_view::npos) {
        tag.remove_prefix(tag.find_first_of("-_") + 1);
        const std::string_view subtag = LanguageSubtag(tag);
        if (SameTag(subtag, "hant") || SameTag(subtag, "tw") || SameTag(subtag, "hk") ||
            SameTag(subtag, "mo")) {
            return true;
        }
    }
    return false;
}

static bool Matches(std::string_view wanted, uint32_t language) {
    const std::string_view tag = kLanguageFiles[language].tag;
    if (SameTag(wanted, tag)) return true;
    return SameTag(LanguageSubtag(wanted), LanguageSubtag(tag)) &&
           TraditionalChinese(wanted) == TraditionalChinese(tag);
}

uint32_t PickLanguage(std::string_view preferred) {
    while (!preferred.empty()) {
        const size_t end = preferred.find_first_of(std::string_view(", \0", 3));
        // An Accept-Language weight (";q=0.8") is not part of the tag.
        const std::string_view item = TextPart(preferred, 0, end);
        const std::string_view wanted = TextPart(item, 0, item.find(';'));
        preferred.remove_prefix(end == std::string_view::npos ? preferred.size() : end + 1);
        if (wanted.empty()) continue;
        for (uint32_t language = 0; language < kLanguageCount; ++language) {
            if (SameTag(wanted, kLanguageFiles[language].tag)) return language;
        }
        for (uint32_t language = 0; language < kLanguageCount; ++language) {
            if (Matches(wanted, language)) return language;
        }
    }
    return kEnglish;
}

// Appends TEXT, cut where a character starts when the buffer is full.
static void Append(ShownText& shown, std::string_view text) {
    size_t room = sizeof shown.text - 1 - shown.length;
    if (text.size() > room) {
        while (room > 0 && (uint8_t(text[room]) & 0xC0) == 0x80) --room;
        text = TextPart(text, 0, room);
    }
    std::memcpy(shown.text + shown.length, text.data(), text.size());
    shown.length += text.size();
    shown.text[shown.length] = '\0';
}

// The text with its escapes resolved: \n a new line, \\ a backslash; VALUE for each {NAME}.
static ShownText Shown(std::string_view raw, std::string_view name, std::string_view value) {
    ShownText shown{};
    while (!raw.empty()) {
        if (raw.size() >= 2 && raw[0] == '\\' && (raw[1] == 'n' || raw[1] == '\\')) {
            Append(shown, raw[1] == 'n' ? "\n" : "\\");
            raw.remove_prefix(2);
        } else if (!name.empty() && raw[0] == '{' && TextPart(raw, 1, name.size()) == name &&
                   TextPart(raw, 1 + name.size(), 1) == "}") {
            Append(shown, value);
            raw.remove_prefix(name.size() + 2);
        } else {
            Append(shown, TextPart(raw, 0, 1));
            raw.remove_prefix(1);
        }
    }
    return shown;
}

static bool Find(uint32_t language, std::string_view key, std::string_view& raw) {
    return language < kLanguageCount && FindText(kLanguageFiles[language].text, key, raw);
}

ShownText LanguageText(uint32_t language, std::string_view key, std::string_view name,
                       std::string_view value) {
    std::string_view raw;
    if (!Find(language, key, raw) && !Find(kEnglish, key, raw)) raw = {};
    return Shown(raw, name, value);
}

// KEY's text in LANGUAGE, else ENGLISH (the settings table's).
static ShownText SettingText(uint32_t language, std::string_view key, const char* english) {
    std::string_view raw;
    return Find(language, key, raw) ? Shown(raw, {}, {}) : Shown(english, {}, {});
}

static ShownText KeyOf(SettingField field, const char* suffix) {
    ShownText key{};
    Append(key, kSettingRules[field].option);
    Append(key, ".");
    Append(key, suffix);
    return key;
}

ShownText SettingLabel(uint32_t language, SettingField field) {
    return SettingText(language, kSettingRules[field].option, kSettingRules[field].label);
}

ShownText SettingWord(uint32_t language, SettingField field, uint32_t value) {
    const SettingRule& rule = kSettingRules[field];
    if (value >= rule.words.size()) return {};
    const ShownText key = KeyOf(field, rule.words[value]);
    return SettingText(language, key.text, CapitalisedWord(rule.words[value]).text);
}

ShownText SettingEnd(uint32_t language, SettingField field, bool high) {
    const SettingRule& rule = kSettingRules[field];
    const char* english = high ? rule.high : rule.low;
    if (english == nullptr) return {};
    return SettingText(language, KeyOf(field, high ? "high" : "low").text, english);
}
