// libFuzzer target: any bytes as the hack's command line, split into arguments at NUL bytes. Parsing must
// not crash or trip a sanitizer; options it accepts are inside their ranges, a refusal says which option
// and what it accepts, and a window id it reads gives the same id back when written in decimal or in
// hexadecimal.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/options.h"
#include "fuzz_check.h"

namespace {

bool SameSettings(const StoredSettings& a, const StoredSettings& b) {
    return a.color == b.color && a.direction == b.direction && a.quantity == b.quantity && a.size == b.size &&
           a.speed == b.speed;
}

void CheckWindowIdRoundTrip(const char* text) {
    uint32_t id = 0;
    if (!ParseWindowId(text, id)) return;
    FUZZ_CHECK(id != 0);
    char written[24];
    uint32_t again = 0;
    std::snprintf(written, sizeof written, "%u", unsigned(id));
    FUZZ_CHECK(ParseWindowId(written, again) && again == id);
    std::snprintf(written, sizeof written, "0x%X", unsigned(id));
    FUZZ_CHECK(ParseWindowId(written, again) && again == id);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each argument its own heap block, so reading past an argument's end is caught.
    std::vector<std::string> words(1, "fenlight");
    std::string word;
    for (size_t i = 0; i < size && words.size() < 32; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += char(data[i]);
        }
    }
    if (words.size() < 32) words.push_back(word);
    std::vector<char*> blocks;
    for (const std::string& w : words) {
        char* block = static_cast<char*>(std::malloc(w.size() + 1));
        std::memcpy(block, w.c_str(), w.size() + 1);
        blocks.push_back(block);
    }

    HackOptions options = DefaultHackOptions();
    const ParseResult result = ParseHackOptions(options, int(blocks.size()), blocks.data());
    switch (result.outcome) {
        case kParseRun:
            FUZZ_CHECK(result.message.empty());
            FUZZ_CHECK(SameSettings(ValidateSettings(options.settings), options.settings));
            FUZZ_CHECK(options.delayMicroseconds <= kMaxDelayMicroseconds);
            if (options.target == HackTarget::kWindowId) FUZZ_CHECK(options.windowId != 0);
            if (options.display != nullptr) FUZZ_CHECK(options.display[0] != '\0');
            break;
        case kParseHelp:
            break;
        case kParseError:
            FUZZ_CHECK(result.message.rfind("fenlight: ", 0) == 0 && result.message.size() > 10);
            FUZZ_CHECK(result.message.find('\n') == std::string::npos ||
                       std::memchr(data, '\n', size) != nullptr);
            break;
        default:
            FUZZ_CHECK(false);
    }
    for (size_t i = 1; i < blocks.size(); ++i) CheckWindowIdRoundTrip(blocks[i]);
    for (char* block : blocks) std::free(block);
    return 0;
}
