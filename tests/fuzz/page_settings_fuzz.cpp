// libFuzzer target: arbitrary bytes as the page's link fragment and stored text (split at the first zero
// byte) through the page's settings reader. Nothing may crash or trip a sanitizer, what is read must be
// valid settings, and the fragment the page shows for them must read back as the same settings, from the
// link or from the store.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "host/web/page_rules.h"

namespace {

bool Same(const StoredSettings& a, const StoredSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t zero = bytes.find('\0');
    const std::string fragment = bytes.substr(0, zero);
    const std::string stored = zero == std::string::npos ? std::string() : bytes.substr(zero + 1);
    // The page hands over C strings: the stored part ends at its own first zero byte.
    const StoredSettings used =
        ReadPageSettings(fragment.c_str(), zero == std::string::npos ? nullptr : stored.c_str());
    FUZZ_CHECK(Same(ValidateSettings(used), used));
    // Reduced motion changes only a speed that was not chosen, and a shown fragment chose every setting.
    StoredSettings calm =
        ReadPageSettings(fragment.c_str(), zero == std::string::npos ? nullptr : stored.c_str(), true);
    FUZZ_CHECK(calm.speed == used.speed || (calm.speed == kCalmSpeed && used.speed == kDefaultSpeed));
    calm.speed = used.speed;
    FUZZ_CHECK(Same(calm, used));

    const std::string shown = FormatPageSettings(used);
    FUZZ_CHECK(Same(ReadPageSettings(shown.c_str(), nullptr), used));
    FUZZ_CHECK(Same(ReadPageSettings(shown.c_str(), nullptr, true), used));
    FUZZ_CHECK(Same(ReadPageSettings(nullptr, shown.c_str()), used));
    // The link names every setting, so no store shows through it.
    FUZZ_CHECK(Same(ReadPageSettings(shown.c_str(), fragment.c_str()), used));
    const std::string described = DescribePageSettings(used);
    FUZZ_CHECK(described.front() == '[' && described.back() == ']');
    return 0;
}
