// The screen-saver command line: finding the tail after the program name, reading the switch and its
// window number, and turning that into what the process does. Pure decisions; the Win32 glue acts.
#pragma once

#include <cstdint>

// Steps over one character of the command line (CharNextA on Windows: multibyte-aware).
using CharStep = const char* (*)(const char* p);
// One byte at a time, for single-byte code pages and for tests.
const char* StepOneByte(const char* p);

// Skips the program name (quoted or not) and the blanks and control characters after it.
const char* FindCommandTail(const char* commandLine, CharStep next);

// Decimal digits from `text` on; 0 when there are none or when they do not fit in 32 bits.
uint32_t ParseWindowNumber(const char* text);

// The handle value a window number stands for. Window handles are 32-bit values that Windows widens by
// sign extension (LongToHandle), so on 64-bit Windows the number 0x80000000 names the handle
// 0xFFFFFFFF80000000, never 0x0000000080000000; on 32-bit Windows both are the same.
intptr_t WindowHandleValue(uint32_t number);

enum class SaverSwitch : int32_t {
    kConfigNoOwner,   // empty tail
    kFullScreen,      // S
    kPreview,         // P or L, with a window number
    kConfig,          // C, with an optional ":number"
    kPasswordChange,  // A, with a window number
    kUnknown,         // anything else
};

struct SwitchChoice {
    SaverSwitch mode;
    uint32_t windowNumber;  // 0 when the mode reads none or none was given
};

// Skips any run of spaces, minus signs and slashes, then reads the mode letter and what follows it.
SwitchChoice ReadSwitch(const char* tail);

enum class StartAction : int32_t {
    kRunSaver,        // full screen (window 0) or preview inside `window`
    kShowDialog,      // the setup dialog, owned as `owner` says
    kChangePassword,  // the system's password change, owned as `owner` says
    kReject,          // nothing is shown; the exit code is kRejectedExitCode
};

enum class OwnerKind : int32_t {
    kNone,        // no owner window
    kWindow,      // `window`
    kForeground,  // whatever window is in the foreground
};

struct StartPlan {
    StartAction action;
    OwnerKind owner;
    uint32_t window;
};

constexpr int32_t kRejectedExitCode = -1;

// Whether a window number names an existing window (IsWindow on Windows).
using WindowCheck = bool (*)(uint32_t window);

// What the process does for a switch: previews need an existing window, the password change exists
// only on the Windows 95/98/Me family, and the dialog falls back to the foreground window as owner.
StartPlan PlanStart(SwitchChoice choice, bool win9xFamily, WindowCheck isWindow);
