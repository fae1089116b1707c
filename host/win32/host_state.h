// The host's one global record: module handle, platform family, preview, close and verification
// flags, password and input-method hooks, cursor anchor, power status, last verification tick, and the
// saver window's device and rendering contexts.
#pragma once

#include <cstdint>

#include "host/dismissal.h"

// System entry points looked up by name use the system's calling convention (stdcall on 32-bit x86).
#ifdef _WIN32
#define HOST_SYSCALL __stdcall
#else
#define HOST_SYSCALL
#endif

// A system handle (module, window, input context) as the portable code sees it.
using HostHandle = void*;
// "VerifyScreenSavePwd": shows the system's password prompt; non-zero when the saver may close.
using VerifyPasswordProc = int32_t(HOST_SYSCALL*)(HostHandle window);
// "ImmAssociateContext": gives the window another input context and returns the one it had.
using AssociateContextProc = HostHandle(HOST_SYSCALL*)(HostHandle window, HostHandle context);

struct HostState {
    HostHandle instance;
    HostHandle saverWindow;
    int32_t preview;
    int32_t closeApproved;  // from then on input, timer and paint messages no longer reach the saver
    int32_t verifying;      // a password prompt is up
    HostHandle passwordModule;
    VerifyPasswordProc verifyPassword;
    uint32_t autoPlayMessage;  // "QueryCancelAutoPlay", 0 when not registered
    HostHandle imeModule;
    AssociateContextProc associateContext;
    HostHandle savedInputContext;
    int32_t win9xFamily;
    uint32_t mouseThreshold;  // pixels of cursor travel that are tolerated
    uint8_t acLineStatus;     // 0 offline, 1 online, 255 undetermined
    uint32_t lastVerifyTick;  // end of the last password prompt; kNeverVerified before the first
    HostPoint anchor;         // where mouse travel is measured from, in screen coordinates
    HostHandle hdc;           // the saver window's device context while it draws
    HostHandle hglrc;         // its OpenGL rendering context
};

constexpr uint8_t kAcLineUnknown = 255;
constexpr uint32_t kNeverVerified = 0xFFFFFFFFu;
// Close requests this soon after a password prompt closed are ignored: the input that ended the
// prompt must not bring it straight back.
constexpr uint32_t kVerifyHoldOffMs = 200;

// Everything empty, no anchor, except the tolerated travel, the unknown power status and "never
// verified".
constexpr HostState kInitialHostState = [] {
    HostState state{};
    state.mouseThreshold = kMouseThreshold;
    state.acLineStatus = kAcLineUnknown;
    state.lastVerifyTick = kNeverVerified;
    return state;
}();

extern HostState hostState;
