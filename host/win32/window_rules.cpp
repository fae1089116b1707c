#include "host/win32/window_rules.h"

#include "host/dismissal.h"
#include "host/win_words.h"

namespace {

MessageResult Pass(const HostCalls& calls, HostHandle window, uint32_t message, uintptr_t wParam,
                   intptr_t lParam) {
    return calls.saverProc(window, message, wParam, lParam);
}

bool IsInput(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_MOUSEMOVE;
}

void CheckPowerEvent(HostState& host, const HostCalls& calls, HostHandle window, uintptr_t event,
                     intptr_t data) {
    switch (event) {
        case PBT_APMRESUMECRITICAL:
        case PBT_APMRESUMESUSPEND:
        case PBT_APMRESUMESTANDBY:
        case PBT_APMRESUMEAUTOMATIC:
            if ((uintptr_t(data) & PBTF_APMRESUMEFROMFAILURE) == 0) PostClose(calls, window);
            return;
        case PBT_APMPOWERSTATUSCHANGE: {
            const uint8_t status = calls.acLineStatus();
            const bool changed = status != host.acLineStatus;
            host.acLineStatus = status;
            if (changed) PostClose(calls, window);
            return;
        }
        default:
            PostClose(calls, window);
            return;
    }
}

// Applies the dismissal rules; true with `result` set when the message is answered here.
bool ApplyDismissalRules(HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                         uintptr_t wParam, intptr_t lParam, MessageResult* result) {
    if (PressDismisses(message, wParam)) {
        PostClose(calls, window);
        return false;
    }
    switch (message) {
        case WM_MOUSEMOVE:
            // The message's own coordinates are client-relative; the anchor is in screen coordinates.
            if (TravelDismisses(host.anchor, calls.cursorPos(window), host.mouseThreshold))
                PostClose(calls, window);
            return false;
        case WM_SHOWWINDOW:
            if (wParam != 0) calls.hideCursor();
            return false;
        case WM_SETCURSOR:
            calls.hideCursor();
            *result = 1;
            return true;
        case WM_POWER:
            if (wParam == PWR_CRITICALRESUME) PostClose(calls, window);
            return false;
        case WM_POWERBROADCAST:
            CheckPowerEvent(host, calls, window, wParam, lParam);
            return false;
        default:
            return false;
    }
}

MessageResult DefaultTail(const HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                          uintptr_t wParam, intptr_t lParam) {
    if (host.autoPlayMessage != 0 && message == host.autoPlayMessage) {
        // With a password in force the AutoPlay is cancelled: the protected desktop stays hidden.
        PostClose(calls, window);
        return host.verifyPassword != nullptr ? 1 : 0;
    }
    return calls.defaultProc(window, message, wParam, lParam);
}

}  // namespace

void PostClose(const HostCalls& calls, HostHandle window) {
    calls.postMessage(window, WM_CLOSE, 0, 0);
}

MessageResult SaverClassProc(HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                             uintptr_t wParam, intptr_t lParam) {
    if (IsInput(message)) {
        if (host.closeApproved) return calls.defaultProc(window, message, wParam, lParam);
        return Pass(calls, window, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            host.imeModule = calls.loadedModule("IMM32.DLL");
            if (host.imeModule != nullptr) {
                host.associateContext = reinterpret_cast<AssociateContextProc>(
                    calls.findProc(host.imeModule, "ImmAssociateContext"));
                // The input method is switched off for the saver window.
                if (host.associateContext != nullptr)
                    host.savedInputContext = host.associateContext(window, nullptr);
            }
            host.anchor = calls.cursorPos(window);
            if (!host.preview) calls.hideCursor();
            return Pass(calls, window, message, wParam, lParam);
        case WM_DESTROY:
            if (host.imeModule != nullptr && host.associateContext != nullptr &&
                host.savedInputContext != nullptr) {
                host.associateContext(window, host.savedInputContext);
            }
            calls.postQuit(0);
            return Pass(calls, window, message, wParam, lParam);
        case WM_SETTEXT:
            return 0;
        case WM_PAINT:
            if (host.closeApproved) return calls.defaultProc(window, message, wParam, lParam);
            if (!host.preview) calls.hideCursor();
            return Pass(calls, window, message, wParam, lParam);
        case WM_HELP:
        case WM_CONTEXTMENU:
            if (host.preview) {
                const HostHandle parent = calls.parentOf(window);
                if (parent != nullptr && calls.isWindow(parent)) {
                    calls.postMessage(parent, message, reinterpret_cast<uintptr_t>(parent), lParam);
                }
                return 1;
            }
            return Pass(calls, window, message, wParam, lParam);
        case WM_SYSCOMMAND:
            if (host.preview) return Pass(calls, window, message, wParam, lParam);
            if (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE) return 0;
            if (wParam == SC_MONITORPOWER) PostClose(calls, window);
            return Pass(calls, window, message, wParam, lParam);
        case WM_TIMER:
            // Once the close is approved no further frame is drawn.
            if (host.closeApproved) return 0;
            calls.yield();
            return Pass(calls, window, message, wParam, lParam);
        default:
            return Pass(calls, window, message, wParam, lParam);
    }
}

MessageResult DefaultSaverProc(HostState& host, const HostCalls& calls, HostHandle window, uint32_t message,
                               uintptr_t wParam, intptr_t lParam) {
    if (host.preview || host.closeApproved) return DefaultTail(host, calls, window, message, wParam, lParam);
    if (message == WM_CLOSE) {
        if (host.win9xFamily && !ApproveClose(host, calls, window)) {
            host.anchor = calls.cursorPos(window);
            return 0;
        }
        return DefaultTail(host, calls, window, message, wParam, lParam);
    }
    if (message == WM_APP && host.win9xFamily) {
        return host.verifyPassword != nullptr ? host.verifyPassword(window) : 1;
    }
    if (!host.verifying) {
        MessageResult result = 0;
        if (ApplyDismissalRules(host, calls, window, message, wParam, lParam, &result)) return result;
    }
    return DefaultTail(host, calls, window, message, wParam, lParam);
}

bool ApproveClose(HostState& host, const HostCalls& calls, HostHandle window) {
    if (host.verifying || host.closeApproved) return false;
    if (host.verifyPassword == nullptr) {
        host.closeApproved = 1;
        return true;
    }
    if (host.lastVerifyTick != kNeverVerified && calls.tickCount() - host.lastVerifyTick < kVerifyHoldOffMs) {
        return host.closeApproved != 0;
    }
    host.verifying = 1;
    // No queued frame is drawn before the prompt shows.
    calls.dropTimerMessage(window);
    calls.dropTimerMessage(window);
    const MessageResult result = calls.sendMessage(window, WM_APP, 0, 0);
    host.closeApproved = result != 0 ? 1 : 0;
    host.verifying = 0;
    if (!host.closeApproved) calls.hideCursor();
    host.lastVerifyTick = calls.tickCount();
    return host.closeApproved != 0;
}

void SetSaverRunning(const HostState& host, const HostCalls& calls, int32_t flag) {
    if (host.win9xFamily) calls.screenSaverRunning(flag);
}

void LoadPasswordHook(HostState& host, const HostCalls& calls) {
    if (!host.win9xFamily) return;
    if (host.passwordModule != nullptr) UnloadPasswordHook(host, calls);
    // Cleared first, so a value stored in fewer than four bytes reads as the small number it is.
    uint8_t value[4] = {0, 0, 0, 0};
    uint32_t size = sizeof value;
    if (!calls.readDesktopValue("ScreenSaveUsePassword", value, &size)) return;
    const uint32_t usePassword =
        uint32_t(value[0]) | uint32_t(value[1]) << 8 | uint32_t(value[2]) << 16 | uint32_t(value[3]) << 24;
    if (usePassword == 0) return;
    host.passwordModule = calls.loadLibrary("PASSWORD.CPL");
    if (host.passwordModule == nullptr) return;
    host.verifyPassword =
        reinterpret_cast<VerifyPasswordProc>(calls.findProc(host.passwordModule, "VerifyScreenSavePwd"));
    if (host.verifyPassword != nullptr) {
        SetSaverRunning(host, calls, 1);
    } else {
        UnloadPasswordHook(host, calls);
    }
}

void UnloadPasswordHook(HostState& host, const HostCalls& calls) {
    if (!host.win9xFamily || host.passwordModule == nullptr) return;
    calls.freeLibrary(host.passwordModule);
    host.passwordModule = nullptr;
    if (host.verifyPassword != nullptr) {
        host.verifyPassword = nullptr;
        SetSaverRunning(host, calls, 0);
    }
}
