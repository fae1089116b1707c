#include "settings/win32/config_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/app_state.h"
#include "config_dialog_ids.h"
#include "settings/dialog_placement.h"
#include "settings/settings.h"
#include "settings/win32/registry_store.h"

// The controls of each setting: its label, its list or slider, and a slider's two ends. Their texts come
// from the settings table; a list's items are its words in value order, so an item's index is the value.
struct SettingControls {
    SettingField field;
    int label;
    int control;
    int low;  // 0 for a list
    int high;
};
static constexpr SettingControls kSettingControls[] = {
    {kFieldDirection, IDC_DIRECTION_LABEL, IDC_DIRECTION_LIST, 0, 0},
    {kFieldColor, IDC_COLORS_LABEL, IDC_COLORS_LIST, 0, 0},
    {kFieldQuantity, IDC_PARTICLES_LABEL, IDC_PARTICLES_SLIDER, IDC_FEW, IDC_MANY},
    {kFieldSize, IDC_SIZE_LABEL, IDC_SIZE_SLIDER, IDC_SMALL, IDC_BIG},
    {kFieldSpeed, IDC_SPEED_LABEL, IDC_SPEED_SLIDER, IDC_SLOW, IDC_FAST},
};

static void InitCommonControlsForDialog() {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&controls);
}

BOOL WINAPI RegisterConfigClasses(HINSTANCE) {
    // The dialog needs no classes of its own. The trackbar class has to exist before the template is
    // instantiated (the dialog procedure's own call comes after its controls are created), so the common
    // controls are made ready here.
    InitCommonControlsForDialog();
    return TRUE;
}

static bool IsList(const SettingControls& controls) {
    return !kSettingRules[controls.field].words.empty();
}

// The labels, a list's items and a slider's ends and range.
static void SetUpControls(HWND dialog) {
    for (const SettingControls& controls : kSettingControls) {
        const SettingRule& rule = kSettingRules[controls.field];
        char label[32];
        std::snprintf(label, sizeof label, "%s:", rule.label);
        SetDlgItemTextA(dialog, controls.label, label);
        if (IsList(controls)) {
            for (const char* word : rule.words) {
                SendDlgItemMessageA(dialog, controls.control, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(CapitalisedWord(word).text));
            }
            continue;
        }
        SetDlgItemTextA(dialog, controls.low, rule.low);
        SetDlgItemTextA(dialog, controls.high, rule.high);
        SendDlgItemMessageA(dialog, controls.control, TBM_SETRANGEMIN, FALSE, rule.min);
        SendDlgItemMessageA(dialog, controls.control, TBM_SETRANGEMAX, FALSE, rule.max);
        SendDlgItemMessageA(dialog, controls.control, TBM_SETTICFREQ, 10, 0);
    }
}

static void ShowSettings(HWND dialog, const StoredSettings& shown) {
    for (const SettingControls& controls : kSettingControls) {
        const uint32_t value = GetSettingField(shown, controls.field);
        if (IsList(controls)) {
            SendDlgItemMessageA(dialog, controls.control, CB_SETCURSEL, value, 0);
        } else {
            SendDlgItemMessageA(dialog, controls.control, TBM_SETPOS, TRUE, value);
        }
    }
}

// What the controls show, in stored form. A list without a selection reads as CB_ERR, which is far out
// of range once unsigned and so becomes the default when the values are applied.
static StoredSettings ReadControls(HWND dialog) {
    StoredSettings shown{};
    for (const SettingControls& controls : kSettingControls) {
        const UINT message = IsList(controls) ? CB_GETCURSEL : TBM_GETPOS;
        SetSettingField(shown, controls.field,
                        static_cast<uint32_t>(SendDlgItemMessageA(dialog, controls.control, message, 0, 0)));
    }
    return shown;
}

static ScreenRect FromRect(const RECT& rect) {
    return {int32_t(rect.left), int32_t(rect.top), int32_t(rect.right), int32_t(rect.bottom)};
}

// Centred on the owner when it can be seen, else on its monitor's work area (the primary monitor's
// without an owner); always inside that work area.
static void PlaceOnScreen(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                        : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO monitorInfo{};
    monitorInfo.cbSize = sizeof monitorInfo;
    RECT ownerRect{}, dialogRect{};
    if (!GetMonitorInfoA(monitor, &monitorInfo) || !GetWindowRect(dialog, &dialogRect)) return;
    const bool ownerShown =
        owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &ownerRect);
    const ScreenRect placed =
        PlaceDialog({FromRect(ownerRect), ownerShown, FromRect(monitorInfo.rcWork)},
                    dialogRect.right - dialogRect.left, dialogRect.bottom - dialogRect.top);
    SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void InitDialog(HWND dialog) {
    LoadSettings(appState);
    InitCommonControlsForDialog();
    SetUpControls(dialog);
    ShowSettings(dialog, StoredFromApp(appState));
    PlaceOnScreen(dialog);
}

// OK could not store the settings: say so, with the system's reason, over the dialog, which stays open
// so that the person can try again or cancel.
static void ReportSaveFailure(HWND dialog, int32_t error) {
    char reason[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        DWORD(error), 0, reason, sizeof reason, nullptr);
    if (length == 0) std::snprintf(reason, sizeof reason, "Error %ld.", long(error));
    char text[600];
    std::snprintf(text, sizeof text, "The settings could not be saved.\n\n%s", reason);
    MessageBoxA(dialog, text, "Fenlight", MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK ConfigDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitDialog(hwnd);
        return TRUE;  // the system sets the default focus
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
            ApplySettings(appState, ReadControls(hwnd));
            if (const int32_t error = SaveSettings(appState); error != 0) {
                ReportSaveFailure(hwnd, error);
                return TRUE;
            }
            EndDialog(hwnd, TRUE);
            return TRUE;
        case IDCANCEL:
            EndDialog(hwnd, FALSE);
            return TRUE;
        case IDC_RESET:
            ShowSettings(hwnd, kDefaultSettings);
            return TRUE;
        default:
            return FALSE;
    }
}
