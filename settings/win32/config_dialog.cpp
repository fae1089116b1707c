#include "settings/win32/config_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "app/app_state.h"
#include "config_dialog_ids.h"
#include "settings/dialog_layout.h"
#include "settings/dialog_placement.h"
#include "settings/settings.h"
#include "settings/texts.h"
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

// The language of the user's Windows, English where Fenlight does not speak it.
static uint32_t UserLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH,
                         0) == 0) {
        return kEnglish;
    }
    char tag[LOCALE_NAME_MAX_LENGTH] = "";
    for (int i = 0; name[i] != 0 && name[i] < 0x80; ++i) tag[i] = char(name[i]);
    return PickLanguage(tag);
}

struct WideText {
    wchar_t text[sizeof ShownText::text];
};

static WideText Wide(const ShownText& shown) {
    WideText wide{};
    MultiByteToWideChar(CP_UTF8, 0, shown.text, -1, wide.text, int(std::size(wide.text)) - 1);
    return wide;
}

static void SetText(HWND dialog, int id, const ShownText& text) {
    SetDlgItemTextW(dialog, id, Wide(text).text);
}

// The texts in the user's language: the title, the labels, a list's items, a slider's ends and range.
static void SetUpControls(HWND dialog, uint32_t language) {
    SetWindowTextW(dialog, Wide(LanguageText(language, "dialog.caption")).text);
    SetText(dialog, IDC_TAGLINE, LanguageText(language, "dialog.tagline"));
    SetText(dialog, IDOK, LanguageText(language, "ok"));
    SetText(dialog, IDCANCEL, LanguageText(language, "cancel"));
    SetText(dialog, IDC_RESET, LanguageText(language, "reset"));
    for (const SettingControls& controls : kSettingControls) {
        const SettingRule& rule = kSettingRules[controls.field];
        SetText(dialog, controls.label,
                LanguageText(language, "dialog.label", "label", SettingLabel(language, controls.field).text));
        if (IsList(controls)) {
            for (uint32_t value = 0; value < rule.words.size(); ++value) {
                SendDlgItemMessageW(
                    dialog, controls.control, CB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(Wide(SettingWord(language, controls.field, value)).text));
            }
            continue;
        }
        SetText(dialog, controls.low, SettingEnd(language, controls.field, false));
        SetText(dialog, controls.high, SettingEnd(language, controls.field, true));
        SendDlgItemMessageA(dialog, controls.control, TBM_SETRANGEMIN, FALSE, rule.min);
        SendDlgItemMessageA(dialog, controls.control, TBM_SETRANGEMAX, FALSE, rule.max);
        SendDlgItemMessageA(dialog, controls.control, TBM_SETTICFREQ, 10, 0);
    }
}

// A control's text's width in the dialog's font, in pixels.
static int32_t TextWidth(HDC dc, const wchar_t* text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size.cx;
}

static int32_t TextWidth(HDC dc, HWND control) {
    wchar_t text[sizeof ShownText::text] = L"";
    GetWindowTextW(control, text, int(std::size(text)));
    return TextWidth(dc, text);
}

// Where a control is in the dialog's client area, and the width its text needs: a button's with its margins,
// a list's longest item with the room the list keeps beside its text (its button and borders).
static LaidControl Measure(HWND dialog, HDC dc, int id) {
    const HWND control = GetDlgItem(dialog, id);
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    LaidControl laid{{int32_t(rect.left), int32_t(rect.top), int32_t(rect.right), int32_t(rect.bottom)}, 0};
    wchar_t className[16] = L"";
    GetClassNameW(control, className, int(std::size(className)));
    if (lstrcmpiW(className, L"ComboBox") == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(control, &info);
        const int32_t count = int32_t(SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int32_t i = 0; i < count; ++i) {
            wchar_t item[sizeof ShownText::text] = L"";
            if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) < LRESULT(std::size(item))) {
                SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            }
            laid.needed = std::max(laid.needed, TextWidth(dc, item));
        }
        // The item's box draws its text from its very edge: two edges' width either side keep it off the
        // button.
        laid.needed += (rect.right - rect.left) - (info.rcItem.right - info.rcItem.left) +
                       4 * GetSystemMetrics(SM_CXEDGE);
    } else if (lstrcmpiW(className, L"Button") == 0) {
        RECT margin{};
        if (!SendMessageW(control, BCM_GETTEXTMARGIN, 0, reinterpret_cast<LPARAM>(&margin))) margin = {};
        laid.needed = TextWidth(dc, control) + margin.left + margin.right + 4 * GetSystemMetrics(SM_CXEDGE);
    } else if (lstrcmpiW(className, L"Static") == 0) {
        laid.needed = TextWidth(dc, control);
    }
    return laid;
}

static void Place(HWND dialog, int id, const LaidControl& laid) {
    const HWND control = GetDlgItem(dialog, id);
    int32_t height = laid.rect.bottom - laid.rect.top;
    RECT dropped{};
    // A list's window is as high as its open list, not as the closed box it shows.
    if (SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
        height = dropped.bottom - dropped.top;
    }
    SetWindowPos(control, nullptr, laid.rect.left, laid.rect.top, laid.rect.right - laid.rect.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The layout's place of each control: the five outside the settings' rows, and a row's four parts (a list's
// ends are 0, no control).
static constexpr struct {
    int id;
    LaidControl DialogLayout::*place;
} kOtherControls[] = {{IDC_VERSION, &DialogLayout::version},
                      {IDC_TAGLINE, &DialogLayout::tagline},
                      {IDOK, &DialogLayout::ok},
                      {IDCANCEL, &DialogLayout::cancel},
                      {IDC_RESET, &DialogLayout::reset}};
static constexpr struct {
    int SettingControls::*id;
    LaidControl LaidRow::*place;
} kRowParts[] = {{&SettingControls::label, &LaidRow::label},
                 {&SettingControls::control, &LaidRow::control},
                 {&SettingControls::low, &LaidRow::low},
                 {&SettingControls::high, &LaidRow::high}};

// Every text where it fits: the template's places for those that fit them, wider ones where not.
static void LayOut(HWND dialog) {
    const HDC dc = GetDC(dialog);
    const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    RECT client{}, units{7, 0, 4, 0};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &units);
    DialogLayout laid{
        int32_t(client.right), int32_t(units.left), int32_t(units.right), {}, {}, {}, {}, {}, {}};
    for (const auto& other : kOtherControls) laid.*other.place = Measure(dialog, dc, other.id);
    for (size_t i = 0; i < std::size(kSettingControls); ++i) {
        laid.rows[i].slider = !IsList(kSettingControls[i]);
        for (const auto& part : kRowParts) {
            const int id = kSettingControls[i].*part.id;
            if (id != 0) laid.rows[i].*part.place = Measure(dialog, dc, id);
        }
    }
    SelectObject(dc, font);
    ReleaseDC(dialog, dc);
    const DialogLayout out = LayOutDialog(laid);
    for (const auto& other : kOtherControls) Place(dialog, other.id, out.*other.place);
    for (size_t i = 0; i < std::size(kSettingControls); ++i) {
        for (const auto& part : kRowParts) {
            const int id = kSettingControls[i].*part.id;
            if (id != 0) Place(dialog, id, out.rows[i].*part.place);
        }
    }
    if (out.width == laid.width) return;
    RECT outer{};
    GetWindowRect(dialog, &outer);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left + out.width - laid.width,
                 outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    SetUpControls(dialog, UserLanguage());
    ShowSettings(dialog, StoredFromApp(appState));
    LayOut(dialog);
    PlaceOnScreen(dialog);
}

// OK could not store the settings: say so, with the system's reason, over the dialog, which stays open
// so that the person can try again or cancel.
static void ReportSaveFailure(HWND dialog, int32_t error) {
    const uint32_t language = UserLanguage();
    wchar_t text[1024] = L"";
    const int headline = MultiByteToWideChar(CP_UTF8, 0, LanguageText(language, "dialog.not-saved").text, -1,
                                             text, int(std::size(text)) / 2);
    wchar_t* reason = text + std::max(headline - 1, 0);
    lstrcpyW(reason, L"\n\n");
    reason += 2;
    const DWORD room = DWORD(text + std::size(text) - reason);
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(error), 0,
                       reason, room, nullptr) == 0) {
        char code[16];
        std::snprintf(code, sizeof code, "%ld", long(error));
        MultiByteToWideChar(CP_UTF8, 0, LanguageText(language, "dialog.error", "code", code).text, -1, reason,
                            int(room));
    }
    MessageBoxW(dialog, text, L"Fenlight", MB_OK | MB_ICONERROR);
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
