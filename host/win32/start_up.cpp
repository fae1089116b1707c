// The program's entry: the command tail, the mode, and the process exit with the mode's result.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "host/win32/saver_proc.h"
#include "host/win32/command_line.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_window.h"
#include "settings/win32/config_dialog.h"

namespace {

constexpr WORD kConfigDialogId = 2003;

const char* NextCharacter(const char* p) {
    return CharNextA(p);
}

HWND WindowFromNumber(uint32_t window) {
    return reinterpret_cast<HWND>(WindowHandleValue(window));
}

bool IsWindowNumber(uint32_t window) {
    return IsWindow(WindowFromNumber(window)) != FALSE;
}

BOOL IsWin9xFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return FALSE;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? TRUE : FALSE;
}

// A fault that escapes the running mode must not leave the system believing a protected saver still
// runs, and must end with the rejection code rather than a crash report that waits for the user.
LONG WINAPI FaultGuard(EXCEPTION_POINTERS*) {
    SetSaverRunning(FALSE);
    TerminateProcess(GetCurrentProcess(), UINT(kRejectedExitCode));
    return EXCEPTION_EXECUTE_HANDLER;
}

HWND ResolveOwner(const StartPlan& plan) {
    switch (plan.owner) {
        case OwnerKind::kWindow:
            return WindowFromNumber(plan.window);
        case OwnerKind::kForeground:
            return GetForegroundWindow();
        case OwnerKind::kNone:
            break;
    }
    return nullptr;
}

int32_t RunMode(const char* tail) {
    const StartPlan plan = PlanStart(ReadSwitch(tail), hostState.win9xFamily != FALSE, IsWindowNumber);
    switch (plan.action) {
        case StartAction::kRunSaver:
            return RunSaver(plan.owner == OwnerKind::kWindow ? WindowFromNumber(plan.window) : nullptr,
                            SaverProc);
        case StartAction::kShowDialog:
            return int32_t(ShowConfigDialog(ResolveOwner(plan)));
        case StartAction::kChangePassword:
            ChangeSaverPassword(ResolveOwner(plan));
            return 0;
        case StartAction::kReject:
            break;
    }
    return kRejectedExitCode;
}

}  // namespace

INT_PTR ShowConfigDialog(HWND owner) {
    HINSTANCE instance = static_cast<HINSTANCE>(hostState.instance);
    if (!RegisterConfigClasses(instance)) return 0;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(kConfigDialogId), owner, ConfigDialogProc, 0);
}

void ChangeSaverPassword(HWND owner) {
    using PwdChangePassword = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);
    HMODULE provider = LoadLibraryA("MPR.DLL");
    if (provider == nullptr) return;
    const auto change = reinterpret_cast<PwdChangePassword>(
        reinterpret_cast<void (*)()>(GetProcAddress(provider, "PwdChangePasswordA")));
    if (change != nullptr) change("SCRSAVE", owner, 0, 0);
    FreeLibrary(provider);
}

int32_t SelectMode(HINSTANCE instance, const char* tail) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
    hostState.instance = instance;
    hostState.win9xFamily = IsWin9xFamily();

    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(FaultGuard);
    const int32_t result = RunMode(tail);
    SetUnhandledExceptionFilter(previous);
    return result;
}

void HostStart() {
    const char* tail = FindCommandTail(GetCommandLineA(), NextCharacter);
    const int32_t result = SelectMode(GetModuleHandleA(nullptr), tail);
    ExitProcess(UINT(result));
}

// The program throws no exceptions; should the runtime ever terminate it, it ends without the runtime's
// message printer, which would bring a C++ name demangler of some 45 KB into the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HostStart();
}
