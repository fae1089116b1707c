#include "host/web/page_rules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/win_words.h"

namespace {

// Anything that is not a value of the setting: the validation turns it into the default.
constexpr uint32_t kNotAValue = 0xFFFFFFFFu;

uint32_t ParseValue(const SettingRule& rule, std::string_view text) {
    uint32_t value = 0;
    const bool read = !rule.words.empty() ? FindWord(rule.words, text, value)
                                          : ParseBoundedDecimal(text, UINT32_MAX, value);
    return read ? value : kNotAValue;
}

// Puts every setting `text` names into `settings`, as read: a value that is none of the setting's is
// kNotAValue, for the validation.
void ReadPairs(const char* text, StoredSettings& settings) {
    if (text == nullptr) return;
    const char* pair = text;
    while (*pair != '\0') {
        const char* end = std::strchr(pair, '&');
        if (end == nullptr) end = pair + std::strlen(pair);
        const char* equals = static_cast<const char*>(std::memchr(pair, '=', size_t(end - pair)));
        if (equals != nullptr) {
            for (const SettingField field : kShownOrder) {
                const SettingRule& rule = kSettingRules[field];
                if (std::string_view(pair, size_t(equals - pair)) != rule.option) continue;
                SetSettingField(settings, field, ParseValue(rule, {equals + 1, size_t(end - equals - 1)}));
            }
        }
        pair = *end == '&' ? end + 1 : end;
    }
}

std::string ValueText(const SettingRule& rule, uint32_t value) {
    return !rule.words.empty() ? rule.words[value] : std::to_string(value);
}

}  // namespace

StoredSettings ReadPageSettings(const char* fragment, const char* stored, bool calm) {
    // The link's values over the store's over the defaults; each is checked on its own, so a bad value in
    // the link gives the default, not the stored one. A speed neither names validly is the validation's
    // default, or the calm one.
    StoredSettings used = kDefaultSettings;
    used.speed = kNotAValue;
    ReadPairs(stored, used);
    ReadPairs(fragment, used);
    StoredSettings valid = ValidateSettings(used);
    if (calm && valid.speed != used.speed) valid.speed = kCalmSpeed;
    return valid;
}

std::string FormatPageSettings(const StoredSettings& settings) {
    std::string text;
    for (const SettingField field : kShownOrder) {
        if (!text.empty()) text += '&';
        text += std::string(kSettingRules[field].option) + "=" +
                ValueText(kSettingRules[field], GetSettingField(settings, field));
    }
    return text;
}

void EnterPageFullScreen(PageDismissal& page) {
    page = PageDismissal{false, false, {0, 0}, {0, 0}};
}

bool JudgePageInput(PageDismissal& page, uint32_t message, uintptr_t wParam, HostPoint cursor) {
    page.cursor = cursor;
    if (message == WM_MOUSEMOVE && !page.anchored) {
        page.anchor = cursor;
        page.anchored = true;
    } else if (message == WM_MOUSEMOVE) {
        page.ended |= TravelDismisses(page.anchor, cursor, kMouseThreshold);
    } else {
        page.ended |= PressDismisses(message, wParam);
    }
    return page.ended;
}

PageSize CapPageCanvas(int32_t width, int32_t height, double ratio) {
    if (width < 1 || height < 1) return {1, 1};
    double scale = 1.0;
    if (ratio > kPageMaxRatio) scale = kPageMaxRatio / ratio;
    const double pixels = double(width) * double(height) * scale * scale;
    if (pixels > kPagePixelBudget) scale *= std::sqrt(kPagePixelBudget / pixels);
    // Rounded down, so the budget holds; never below one pixel.
    const auto side = [scale](int32_t n) { return std::max(int32_t(1), int32_t(double(n) * scale)); };
    return {side(width), side(height)};
}

bool PageFrameDue(PageFrames& frames, double now) {
    constexpr double interval = 1000.0 / kPageFramesPerSecond;
    constexpr double early = 2.0;
    if (now < frames.next - early) return false;
    // After a pause (a hidden tab, a slow frame) the pace starts again from now rather than catching up.
    if (!(now - frames.next < interval)) frames.next = now;
    frames.next += interval;
    return true;
}
