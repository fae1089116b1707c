// The languages Fenlight speaks and their texts: which language a person gets, and a text in it. The setup
// dialog and the page show them; the installer is made from the same files (settings/languages).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/settings.h"

// One language's file as its program carries it: lines KEY = TEXT (settings/languages/en.txt tells the form),
// read with NextNamedLine.
struct LanguageFile {
    const char* tag;  // as BCP 47 writes it: "de", "pt-BR"
    std::string_view text;
};
// Every language the program carries, English first, made by the build (cmake/Languages.cmake); a program
// carries only the keys of the faces it shows.
extern const LanguageFile kLanguageFiles[];
extern const uint32_t kLanguageCount;
constexpr uint32_t kEnglish = 0;

// KEY's text as FILE spells it (its escapes not yet resolved); false when the file has no such line.
bool FindText(std::string_view file, std::string_view key, std::string_view& text);

// The language for a list of preferred languages, most wanted first ("de-AT,en-US": tags separated by commas,
// spaces or NULs, as the browser's navigator.languages or Windows' user interface language name them): the
// first one Fenlight has, by its language alone where the rest differs (pt-PT gets pt-BR), though Chinese in
// traditional script gets no simplified Chinese; English when it has none of them.
uint32_t PickLanguage(std::string_view preferred);

// A text as shown: UTF-8 with its escapes resolved, NUL-terminated, in a buffer of its own so that the saver
// brings in no string library. A text too long for it is cut where a character starts.
struct ShownText {
    char text[512];
    size_t length;
};

// KEY's text in LANGUAGE, English's where that language has none (empty where English has none either),
// with VALUE put in for {NAME} when a name is given.
ShownText LanguageText(uint32_t language, std::string_view key, std::string_view name = {},
                       std::string_view value = {});

// A setting's texts in LANGUAGE: its label ("Colors"), a list's word for a value ("Amber") and a slider's
// ends
// ("Small", "Big"), English's from the settings table where the language has none. Their keys are the
// setting's option, the option and the word ("colors.amber"), the option and low or high ("size.low").
ShownText SettingLabel(uint32_t language, SettingField field);
ShownText SettingWord(uint32_t language, SettingField field, uint32_t value);
ShownText SettingEnd(uint32_t language, SettingField field, bool high);
