#include "host/win32/command_line.h"

#include "settings/settings.h"

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsSwitchLead(char c) {
    return c == ' ' || c == '-' || c == '/';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* SkipSpaces(const char* p) {
    while (*p == ' ') ++p;
    return p;
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

}  // namespace

const char* StepOneByte(const char* p) {
    return *p != '\0' ? p + 1 : p;
}

const char* FindCommandTail(const char* commandLine, CharStep next) {
    const char* p = commandLine;
    if (*p == '"') {
        // An unclosed quote makes the whole line the program name.
        do {
            p = next(p);
        } while (*p != '"' && *p != '\0');
        if (*p == '"') ++p;
    } else {
        while (!IsBlankOrControl(*p)) p = next(p);
    }
    while (*p != '\0' && IsBlankOrControl(*p)) p = next(p);
    return p;
}

uint32_t ParseWindowNumber(const char* text) {
    size_t digits = 0;
    while (IsDigit(text[digits])) ++digits;
    // A number past 32 bits names no window: wrapped, it would name some other one.
    uint32_t value = 0;
    return ParseBoundedDecimal({text, digits}, UINT32_MAX, value) ? value : 0;
}

intptr_t WindowHandleValue(uint32_t number) {
    return intptr_t(int32_t(number));
}

SwitchChoice ReadSwitch(const char* tail) {
    const char* p = tail;
    while (IsSwitchLead(*p)) ++p;
    switch (Upper(*p)) {
        case '\0':
            return {SaverSwitch::kConfigNoOwner, 0};
        case 'S':
            return {SaverSwitch::kFullScreen, 0};
        case 'P':
        case 'L':
            return {SaverSwitch::kPreview, ParseWindowNumber(SkipSpaces(p + 1))};
        case 'C':
            // Only "c:number" carries an owner; "c number" does not.
            return {SaverSwitch::kConfig, p[1] == ':' ? ParseWindowNumber(p + 2) : 0};
        case 'A':
            return {SaverSwitch::kPasswordChange, ParseWindowNumber(SkipSpaces(p + 1))};
        default:
            return {SaverSwitch::kUnknown, 0};
    }
}

namespace {

StartPlan OwnedBy(StartAction action, uint32_t window, WindowCheck isWindow) {
    if (window == 0 || !isWindow(window)) return {action, OwnerKind::kForeground, 0};
    return {action, OwnerKind::kWindow, window};
}

}  // namespace

StartPlan PlanStart(SwitchChoice choice, bool win9xFamily, WindowCheck isWindow) {
    constexpr StartPlan reject{StartAction::kReject, OwnerKind::kNone, 0};
    switch (choice.mode) {
        case SaverSwitch::kConfigNoOwner:
            return {StartAction::kShowDialog, OwnerKind::kNone, 0};
        case SaverSwitch::kFullScreen:
            return {StartAction::kRunSaver, OwnerKind::kNone, 0};
        case SaverSwitch::kPreview:
            if (choice.windowNumber == 0 || !isWindow(choice.windowNumber)) return reject;
            return {StartAction::kRunSaver, OwnerKind::kWindow, choice.windowNumber};
        case SaverSwitch::kConfig:
            return OwnedBy(StartAction::kShowDialog, choice.windowNumber, isWindow);
        case SaverSwitch::kPasswordChange:
            if (!win9xFamily) return reject;
            return OwnedBy(StartAction::kChangePassword, choice.windowNumber, isWindow);
        case SaverSwitch::kUnknown:
            break;
    }
    return reject;
}
