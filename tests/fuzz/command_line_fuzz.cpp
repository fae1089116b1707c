// libFuzzer target: any bytes as the command line Windows passes. Finding the tail (one byte at a time
// and with a double-byte stepper), reading the switch and its window number and planning the mode must
// not crash or trip a sanitizer, and what they return must hold together: the tail lies inside the line
// and starts past the blanks, a number is only ever read by the modes that take one, and a preview runs
// only in a window that exists.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/win32/command_line.h"
#include "fuzz_check.h"

namespace {

// Lead bytes 0x81..0x9F take the next byte with them, as in a double-byte code page.
const char* StepDoubleByte(const char* p) {
    if (*p == '\0') return p;
    const auto lead = static_cast<unsigned char>(*p);
    return lead >= 0x81 && lead <= 0x9F && p[1] != '\0' ? p + 2 : p + 1;
}

uint32_t windowSalt = 0;

bool SomeAreWindows(uint32_t window) {
    return ((window ^ windowSalt) & 3) == 0;
}

// The number as read independently: the digits after any leading zeros, 0 when more than ten of them or
// a value past 2^32 - 1.
uint32_t DigitsFrom(const char* p) {
    while (*p == '0') ++p;
    const char* end = p;
    while (*end >= '0' && *end <= '9') ++end;
    if (end - p > 10) return 0;
    const unsigned long long value = end == p ? 0 : std::strtoull(std::string(p, end).c_str(), nullptr, 10);
    return value > 0xFFFFFFFFull ? 0 : uint32_t(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const char* begin = line.c_str();
    const char* end = begin + line.size();  // the first NUL ends the line for the parsers
    windowSalt = flags >> 2;

    for (CharStep step : {StepOneByte, StepDoubleByte}) {
        const char* tail = FindCommandTail(begin, step);
        FUZZ_CHECK(tail >= begin && tail <= end);
        FUZZ_CHECK(*tail == '\0' || static_cast<unsigned char>(*tail) > 32);

        const SwitchChoice choice = ReadSwitch(tail);
        const bool readsNumber = choice.mode == SaverSwitch::kPreview ||
                                 choice.mode == SaverSwitch::kConfig ||
                                 choice.mode == SaverSwitch::kPasswordChange;
        if (!readsNumber) FUZZ_CHECK(choice.windowNumber == 0);
        if (choice.mode == SaverSwitch::kConfigNoOwner) {
            for (const char* p = tail; *p != '\0'; ++p) FUZZ_CHECK(*p == ' ' || *p == '-' || *p == '/');
        }

        const StartPlan plan = PlanStart(choice, (flags & 1) != 0, SomeAreWindows);
        switch (plan.action) {
            case StartAction::kRunSaver:
                FUZZ_CHECK(choice.mode == SaverSwitch::kFullScreen || choice.mode == SaverSwitch::kPreview);
                if (choice.mode == SaverSwitch::kPreview) {
                    FUZZ_CHECK(plan.owner == OwnerKind::kWindow && plan.window == choice.windowNumber);
                    FUZZ_CHECK(plan.window != 0 && SomeAreWindows(plan.window));
                }
                break;
            case StartAction::kShowDialog:
            case StartAction::kChangePassword:
                if (plan.owner == OwnerKind::kWindow)
                    FUZZ_CHECK(plan.window != 0 && SomeAreWindows(plan.window));
                if (plan.action == StartAction::kChangePassword) FUZZ_CHECK((flags & 1) != 0);
                break;
            case StartAction::kReject:
                FUZZ_CHECK(plan.owner == OwnerKind::kNone && plan.window == 0);
                break;
        }
    }

    // The window number by itself, from any position of the line.
    const size_t at = line.empty() ? 0 : flags % line.size();
    FUZZ_CHECK(ParseWindowNumber(begin + at) == DigitsFrom(begin + at));
    return 0;
}
