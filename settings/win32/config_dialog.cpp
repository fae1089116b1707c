#include "settings/win32/config_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/app_state.h"
#include "config_dialog_ids.h"
#include "settings/dialog_placement.h"
#include "settings/settings.h"
#include "settings/win32/registry_store.h"

// The list items in value order: an item's index is the setting's value.
static const char* const kDirectionItems[] = {"Up", "Down", "In", "Random", "Cycle"};
static const char* const kColourItems[] = {"Emerald", "Lapis", "Amber", "Amethyst", "Random", "Cycle"};

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

static void FillList(HWND dialog, int id, const char* const* items, int count, uint32_t selected) {
    for (int i = 0; i < count; ++i) {
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
    }
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, selected, 0);
}

static void SetUpSlider(HWND dialog, int id, SettingField field, uint32_t position) {
    SendDlgItemMessageA(dialog, id, TBM_SETRANGEMIN, FALSE, kSettingRules[field].min);
    SendDlgItemMessageA(dialog, id, TBM_SETRANGEMAX, FALSE, kSettingRules[field].max);
    SendDlgItemMessageA(dialog, id, TBM_SETTICFREQ, 10, 0);
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
}

static void ShowSettings(HWND dialog, const StoredSettings& shown) {
    SendDlgItemMessageA(dialog, IDC_DIRECTION_LIST, CB_SETCURSEL, shown.direction, 0);
    SendDlgItemMessageA(dialog, IDC_COLORS_LIST, CB_SETCURSEL, shown.color, 0);
    SendDlgItemMessageA(dialog, IDC_PARTICLES_SLIDER, TBM_SETPOS, TRUE, shown.quantity);
    SendDlgItemMessageA(dialog, IDC_SIZE_SLIDER, TBM_SETPOS, TRUE, shown.size);
    SendDlgItemMessageA(dialog, IDC_SPEED_SLIDER, TBM_SETPOS, TRUE, shown.speed);
}

// What the controls show, in stored form. A list without a selection reads as CB_ERR, which is far out
// of range once unsigned and so becomes the default when the values are applied.
static StoredSettings ReadControls(HWND dialog) {
    StoredSettings shown;
    shown.direction =
        static_cast<uint32_t>(SendDlgItemMessageA(dialog, IDC_DIRECTION_LIST, CB_GETCURSEL, 0, 0));
    shown.color = static_cast<uint32_t>(SendDlgItemMessageA(dialog, IDC_COLORS_LIST, CB_GETCURSEL, 0, 0));
    shown.quantity =
        static_cast<uint32_t>(SendDlgItemMessageA(dialog, IDC_PARTICLES_SLIDER, TBM_GETPOS, 0, 0));
    shown.size = static_cast<uint32_t>(SendDlgItemMessageA(dialog, IDC_SIZE_SLIDER, TBM_GETPOS, 0, 0));
    shown.speed = static_cast<uint32_t>(SendDlgItemMessageA(dialog, IDC_SPEED_SLIDER, TBM_GETPOS, 0, 0));
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
    const StoredSettings loaded = StoredFromApp(appState);
    FillList(dialog, IDC_DIRECTION_LIST, kDirectionItems, 5, loaded.direction);
    FillList(dialog, IDC_COLORS_LIST, kColourItems, 6, loaded.color);
    SetUpSlider(dialog, IDC_PARTICLES_SLIDER, kFieldQuantity, loaded.quantity);
    SetUpSlider(dialog, IDC_SIZE_SLIDER, kFieldSize, loaded.size);
    SetUpSlider(dialog, IDC_SPEED_SLIDER, kFieldSpeed, loaded.speed);
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
