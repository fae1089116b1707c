// The setup dialog, run modally on its own thread as the host runs it, and driven from the test thread
// the way a person would: find the window, read what the controls show, change them, press buttons.
// Everything it stores lands in the real registry of the test's Wine prefix.
#include "settings/win32/config_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "config_dialog_ids.h"
#include "registry_test_util.h"
#include "settings/texts.h"

namespace {

constexpr INT_PTR kStillOpen = -2;
constexpr DWORD kPollLimitMs = 20000;

// The language this run's Windows speaks, as its test names it (English unless told otherwise).
uint32_t ExpectedLanguage() {
    const char* tag = std::getenv("FENLIGHT_EXPECT_LANGUAGE");
    return PickLanguage(tag != nullptr ? tag : "en");
}

std::wstring Wide(const std::string& text) {
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, int(std::size(wide)));
    return wide;
}

std::string Utf8(const wchar_t* text) {
    char narrow[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// One modal run of the dialog, from DialogBoxParamW to its result.
struct RunningDialog {
    std::thread thread;
    std::atomic<INT_PTR> result{kStillOpen};
    HWND hwnd = nullptr;
};

bool PollUntil(auto condition) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > kPollLimitMs) return false;
        // Keep this thread's queue served: the system may send it messages while the dialog's
        // windows come and go.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

// Opens the dialog as the host does (class hook, then DialogBoxParamW with no owner) and waits until
// it is on screen.
void Open(RunningDialog& dialog) {
    dialog.result = kStillOpen;
    dialog.hwnd = nullptr;
    dialog.thread = std::thread([&dialog] {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!RegisterConfigClasses(instance)) {
            dialog.result = 0;
            return;
        }
        dialog.result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONFIG), nullptr, ConfigDialogProc, 0);
    });
    const std::wstring caption = Wide(LanguageText(ExpectedLanguage(), "dialog.caption").text);
    const bool shown = PollUntil([&dialog, &caption] {
        if (dialog.result != kStillOpen) return true;
        dialog.hwnd = FindWindowW(L"#32770", caption.c_str());
        return dialog.hwnd != nullptr && IsWindowVisible(dialog.hwnd);
    });
    if (!shown || dialog.result != kStillOpen) {
        std::fprintf(stderr, "the setup dialog did not open (result %d)\n", static_cast<int>(dialog.result));
        if (dialog.thread.joinable()) dialog.thread.detach();
        ExitProcess(1);
    }
}

// Waits for the dialog to end and returns what DialogBoxParamA returned.
INT_PTR WaitClosed(RunningDialog& dialog) {
    if (!PollUntil([&dialog] { return dialog.result != kStillOpen; })) {
        std::fprintf(stderr, "the setup dialog did not close\n");
        ExitProcess(1);
    }
    dialog.thread.join();
    EXPECT_FALSE(IsWindow(dialog.hwnd));
    return dialog.result;
}

void Press(const RunningDialog& dialog, int id) {
    SendMessageA(GetDlgItem(dialog.hwnd, id), BM_CLICK, 0, 0);
}

LRESULT Ask(const RunningDialog& dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(GetDlgItem(dialog.hwnd, id), message, wParam, lParam);
}

std::string Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, int(std::size(text)));
    return Utf8(text);
}

// What a person sees in the five controls.
struct Shown {
    std::string direction;
    std::string colours;
    int particles;
    int size;
    int speed;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{" << s.direction << ", " << s.colours << ", " << s.particles << ", " << s.size << ", "
               << s.speed << "}";
}

Shown ReadShown(const RunningDialog& dialog) {
    return Shown{Text(GetDlgItem(dialog.hwnd, IDC_DIRECTION_LIST)),
                 Text(GetDlgItem(dialog.hwnd, IDC_COLORS_LIST)),
                 static_cast<int>(Ask(dialog, IDC_PARTICLES_SLIDER, TBM_GETPOS)),
                 static_cast<int>(Ask(dialog, IDC_SIZE_SLIDER, TBM_GETPOS)),
                 static_cast<int>(Ask(dialog, IDC_SPEED_SLIDER, TBM_GETPOS))};
}

const char* const kDirections[] = {"Up", "Down", "In", "Random", "Cycle"};
const char* const kColours[] = {"Emerald", "Lapis", "Amber", "Amethyst", "Random", "Cycle"};

Shown ShownFor(const StoredSettings& s) {
    return Shown{kDirections[s.direction], kColours[s.color], static_cast<int>(s.quantity),
                 static_cast<int>(s.size), static_cast<int>(s.speed)};
}

class ConfigDialog : public testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(ConfigDialog, OpensWithTheDefaultsAndOkStoresThem) {
    RunningDialog dialog;
    Open(dialog);
    EXPECT_EQ(ReadShown(dialog), (Shown{"Down", "Cycle", 77, 26, 33}));
    // Both lists hold their items in value order.
    for (int i = 0; i < 5; ++i) {
        char item[32] = {};
        Ask(dialog, IDC_DIRECTION_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, kDirections[i]);
    }
    for (int i = 0; i < 6; ++i) {
        char item[32] = {};
        Ask(dialog, IDC_COLORS_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, kColours[i]);
    }
    EXPECT_EQ(Ask(dialog, IDC_DIRECTION_LIST, CB_GETCOUNT), 5);
    EXPECT_EQ(Ask(dialog, IDC_COLORS_LIST, CB_GETCOUNT), 6);
    EXPECT_EQ(Ask(dialog, IDC_PARTICLES_SLIDER, TBM_GETRANGEMIN), 20);
    EXPECT_EQ(Ask(dialog, IDC_PARTICLES_SLIDER, TBM_GETRANGEMAX), 120);
    for (int id : {IDC_SIZE_SLIDER, IDC_SPEED_SLIDER}) {
        EXPECT_EQ(Ask(dialog, id, TBM_GETRANGEMIN), 0);
        EXPECT_EQ(Ask(dialog, id, TBM_GETRANGEMAX), 100);
    }
    EXPECT_FALSE(SettingsKeyExists()) << "opening must not store anything";
    Press(dialog, IDOK);
    EXPECT_EQ(WaitClosed(dialog), TRUE);
    EXPECT_EQ(ReadStoredDwords(), kDefaultSettings);
}

TEST_F(ConfigDialog, OkStoresExactlyWhatIsShown) {
    RunningDialog dialog;
    Open(dialog);
    Ask(dialog, IDC_DIRECTION_LIST, CB_SETCURSEL, 2);  // In
    Ask(dialog, IDC_COLORS_LIST, CB_SETCURSEL, 2);     // Amber
    Ask(dialog, IDC_PARTICLES_SLIDER, TBM_SETPOS, TRUE, 120);
    Ask(dialog, IDC_SIZE_SLIDER, TBM_SETPOS, TRUE, 3);
    // The speed slider moved with the keyboard: Home, then three steps right.
    const HWND speed = GetDlgItem(dialog.hwnd, IDC_SPEED_SLIDER);
    SendMessageA(speed, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < 3; ++i) SendMessageA(speed, WM_KEYDOWN, VK_RIGHT, 0);
    const Shown shown = ReadShown(dialog);
    EXPECT_EQ(shown, (Shown{"In", "Amber", 120, 3, 3}));
    Press(dialog, IDOK);
    EXPECT_EQ(WaitClosed(dialog), TRUE);
    const auto stored = ReadStoredDwords();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(ShownFor(*stored), shown);

    // The next opening shows what was stored.
    Open(dialog);
    EXPECT_EQ(ReadShown(dialog), shown);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(WaitClosed(dialog), FALSE);
}

TEST_F(ConfigDialog, ResetAndCancelLeaveTheRegistryAlone) {
    WriteSettings(StoredSettings{0, 3, 20, 100, 0});
    const RegistrySnapshot before = ReadSnapshot();
    RunningDialog dialog;
    Open(dialog);
    EXPECT_EQ(ReadShown(dialog), (Shown{"Random", "Emerald", 20, 100, 0}));
    Press(dialog, IDC_RESET);
    EXPECT_EQ(ReadShown(dialog), (Shown{"Down", "Cycle", 77, 26, 33}));
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd)) << "Reset must not close the dialog";
    EXPECT_EQ(ReadSnapshot(), before);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(WaitClosed(dialog), FALSE);
    EXPECT_EQ(ReadSnapshot(), before);

    // Closing from the system menu is a Cancel too.
    Open(dialog);
    Ask(dialog, IDC_PARTICLES_SLIDER, TBM_SETPOS, TRUE, 50);
    PostMessageA(dialog.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitClosed(dialog), FALSE);
    EXPECT_EQ(ReadSnapshot(), before);

    // Reset then OK stores the defaults.
    Open(dialog);
    Press(dialog, IDC_RESET);
    Press(dialog, IDOK);
    EXPECT_EQ(WaitClosed(dialog), TRUE);
    EXPECT_EQ(ReadStoredDwords(), kDefaultSettings);
}

BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) *reinterpret_cast<std::string*>(text) += Text(child);
    return TRUE;
}

// OK with a store that cannot be written: the message box over the dialog, its text, once it is closed.
std::string FailedSaveMessage(const RunningDialog& dialog) {
    // Posted: the message box runs modally inside the dialog's OK handling.
    PostMessageA(dialog.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.hwnd, IDOK)));
    HWND box = nullptr;
    std::string text;
    EXPECT_TRUE(PollUntil([&box] {
        box = FindWindowA("#32770", "Fenlight");
        return box != nullptr && IsWindowVisible(box);
    }));
    if (box == nullptr) return text;
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog.hwnd);
    EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PollUntil([box] { return !IsWindow(box); }));
    return text;
}

TEST_F(ConfigDialog, OkThatCannotSaveSaysWhyAndStaysOpen) {
    MakeStoreUnwritable(true);
    RunningDialog dialog;
    Open(dialog);
    Ask(dialog, IDC_PARTICLES_SLIDER, TBM_SETPOS, TRUE, 50);
    const std::string messageText = FailedSaveMessage(dialog);
    const std::string headline = "The settings could not be saved.";
    EXPECT_EQ(messageText.substr(0, headline.size()), headline) << messageText;
    // Then the system's reason, whatever words this system has for it.
    EXPECT_NE(messageText.find_first_not_of(" \r\n", headline.size()), std::string::npos) << messageText;

    EXPECT_EQ(dialog.result, kStillOpen) << "the dialog stays open for another try";
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd));
    EXPECT_EQ(Ask(dialog, IDC_PARTICLES_SLIDER, TBM_GETPOS), 50);
    EXPECT_FALSE(SettingsKeyExists());

    // Once the store can be written, OK stores the choices and closes.
    MakeStoreUnwritable(false);
    Press(dialog, IDOK);
    EXPECT_EQ(WaitClosed(dialog), TRUE);
    const auto stored = ReadStoredDwords();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->quantity, 50u);
}

TEST_F(ConfigDialog, OkWithoutChangesWritesBackWhatWasLoaded) {
    // Every position goes through the same conversions in the native and registry tests; here the ends,
    // the defaults and a few between, since every closing of a dialog costs Wine about two seconds on a
    // display without a window manager.
    for (uint32_t p : {0u, 1u, 2u, 26u, 33u, 49u, 50u, 77u, 98u, 99u, 100u}) {
        const StoredSettings stored{p % 6, p % 5, 20 + p, p, 100 - p};
        WriteSettings(stored);
        RunningDialog dialog;
        Open(dialog);
        EXPECT_EQ(ReadShown(dialog), ShownFor(stored)) << "position " << p;
        Press(dialog, IDOK);
        EXPECT_EQ(WaitClosed(dialog), TRUE);
        EXPECT_EQ(ReadStoredDwords(), stored) << "position " << p;
    }
}

// --- In the user's language: the program runs under Wine with LANG set to it, as well as in English. ---

// The width a control's text takes in the control's own font, and its height.
SIZE Extent(HWND control, const std::string& text) {
    const std::wstring wide = Wide(text);
    const HDC dc = GetDC(control);
    const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    return size;
}

// Where a control draws, in the dialog's client area: a static only as far as its text reaches.
RECT Drawn(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) return rect;
    const SIZE text = Extent(control, Text(control));
    const LONG style = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    if (style == SS_CENTER) rect.left += (rect.right - rect.left - text.cx) / 2;
    return RECT{rect.left, rect.top, rect.left + text.cx, rect.top + text.cy};
}

TEST(ConfigDialogLanguage, SpeaksTheUsersLanguageEveryTextFitsAndOkStoresTheSameNumbers) {
    DeleteSettingsKey();
    const uint32_t language = ExpectedLanguage();
    RunningDialog dialog;
    Open(dialog);
    // Spelled out for the languages the tests run in, so that a wrong choice of file shows.
    const struct {
        const char* tag;
        const char* cancel;
        const char* direction;
    } kSpoken[] = {{"en", "Cancel", "Direction:"},
                   {"de", "Abbrechen", "Richtung:"},
                   {"ja", "\u30AD\u30E3\u30F3\u30BB\u30EB", "\u65B9\u5411\uFF1A"},
                   {"zh-CN", "\u53D6\u6D88", "\u65B9\u5411\uFF1A"}};
    bool spoken = false;
    for (const auto& words : kSpoken) {
        if (std::string(words.tag) != kLanguageFiles[language].tag) continue;
        EXPECT_EQ(Text(GetDlgItem(dialog.hwnd, IDCANCEL)), words.cancel);
        EXPECT_EQ(Text(GetDlgItem(dialog.hwnd, IDC_DIRECTION_LABEL)), words.direction);
        spoken = true;
    }
    EXPECT_TRUE(spoken) << kLanguageFiles[language].tag;
    // Every text fits its control (a list's every item the box the closed list shows it in), and no
    // control's drawing overlaps another's or leaves the dialog.
    RECT client;
    GetClientRect(dialog.hwnd, &client);
    std::vector<std::pair<std::string, RECT>> drawn;
    for (HWND child = GetWindow(dialog.hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        RECT room;
        GetClientRect(child, &room);
        std::vector<std::string> texts{Text(child)};
        COMBOBOXINFO list{};
        list.cbSize = sizeof list;
        if (lstrcmpiA(className, "Button") == 0) InflateRect(&room, -2 * GetSystemMetrics(SM_CXEDGE), 0);
        if (lstrcmpiA(className, "ComboBox") == 0 && GetComboBoxInfo(child, &list)) {
            room = list.rcItem;
            texts.clear();
            for (LRESULT i = 0; i < SendMessageW(child, CB_GETCOUNT, 0, 0); ++i) {
                wchar_t item[64] = L"";
                SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                texts.push_back(Utf8(item));
            }
        }
        for (const std::string& text : texts)
            EXPECT_LE(Extent(child, text).cx, room.right - room.left) << text;
        const std::string text = texts.empty() ? "" : texts[0];
        const RECT rect = Drawn(dialog.hwnd, child);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right &&
                    rect.bottom <= client.bottom)
            << text << " leaves the dialog";
        for (const auto& [otherText, other] : drawn) {
            RECT both;
            EXPECT_FALSE(IntersectRect(&both, &rect, &other)) << text << " overlaps " << otherText;
        }
        drawn.emplace_back(text.empty() ? className : text, rect);
    }

    // The message box of a failed save speaks the language too; then OK stores the numbers it stores in
    // every language.
    Ask(dialog, IDC_DIRECTION_LIST, CB_SETCURSEL, 2);
    Ask(dialog, IDC_COLORS_LIST, CB_SETCURSEL, 3);
    Ask(dialog, IDC_PARTICLES_SLIDER, TBM_SETPOS, TRUE, 120);
    Ask(dialog, IDC_SIZE_SLIDER, TBM_SETPOS, TRUE, 3);
    Ask(dialog, IDC_SPEED_SLIDER, TBM_SETPOS, TRUE, 97);
    MakeStoreUnwritable(true);
    const std::string messageText = FailedSaveMessage(dialog);
    const std::string headline = LanguageText(language, "dialog.not-saved").text;
    EXPECT_EQ(messageText.substr(0, headline.size()), headline) << messageText;
    MakeStoreUnwritable(false);
    Press(dialog, IDOK);
    EXPECT_EQ(WaitClosed(dialog), TRUE);
    EXPECT_EQ(ReadStoredDwords(), (StoredSettings{3, 2, 120, 3, 97}));
    DeleteSettingsKey();
}

// --- The template, as stored in the resource and as the system builds it. ---

struct ControlLayout {
    int id;
    const char* className;
    WORD classOrdinal;  // 0 when the template names the class as a string
    const char* text;   // what the window shows
    RECT units;         // x, y, width, height in dialog units
    DWORD style;        // beyond WS_CHILD | WS_VISIBLE
    DWORD exStyle;
};

constexpr DWORD kTrackbarStyle = TBS_AUTOTICKS | WS_TABSTOP;
constexpr DWORD kListStyle = CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kLeft = SS_LEFT | WS_GROUP;
constexpr DWORD kCentre = SS_CENTER | WS_GROUP;
constexpr DWORD kNoWrap = SS_LEFTNOWORDWRAP | WS_GROUP;

const ControlLayout kControls[] = {
    {IDOK, "Button", 0x80, "OK", {50, 229, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {IDCANCEL, "Button", 0x80, "Cancel", {112, 229, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {IDC_PARTICLES_SLIDER, "msctls_trackbar32", 0, "", {51, 95, 100, 20}, kTrackbarStyle, WS_EX_TRANSPARENT},
    {IDC_DIRECTION_LIST, "ComboBox", 0x85, "", {57, 44, 48, 95}, kListStyle, 0},
    {IDC_COLORS_LIST, "ComboBox", 0x85, "", {57, 67, 49, 72}, kListStyle, 0},
    {IDC_VERSION, "Static", 0x82, "Fenlight " FENLIGHT_PROJECT_VERSION, {54, 15, 62, 8}, kLeft, 0},
    {IDC_TAGLINE, "Static", 0x82, "Soft lights for idle screens", {30, 24, 116, 8}, kCentre, 0},
    {1019, "Static", 0x82, "Direction:", {22, 45, 32, 8}, kLeft, 0},
    {1020, "Static", 0x82, "Colors:", {29, 69, 24, 8}, kLeft, 0},
    {1010, "Static", 0x82, "Particles:", {21, 98, 30, 8}, kLeft, 0},
    {1013, "Static", 0x82, "Few", {53, 86, 15, 10}, kNoWrap, 0},
    {1014, "Static", 0x82, "Many", {133, 86, 18, 10}, kNoWrap, 0},
    {IDC_SIZE_SLIDER, "msctls_trackbar32", 0, "", {51, 129, 100, 20}, kTrackbarStyle, WS_EX_TRANSPARENT},
    {1011, "Static", 0x82, "Size:", {21, 132, 16, 8}, kLeft, 0},
    {1015, "Static", 0x82, "Small", {52, 120, 18, 10}, kCentre, 0},
    {1016, "Static", 0x82, "Big", {133, 120, 18, 10}, kCentre, 0},
    {IDC_SPEED_SLIDER, "msctls_trackbar32", 0, "", {51, 161, 100, 20}, kTrackbarStyle, WS_EX_TRANSPARENT},
    {1012, "Static", 0x82, "Speed:", {21, 164, 24, 8}, kLeft, 0},
    {1017, "Static", 0x82, "Slow", {53, 153, 15, 10}, kCentre, 0},
    {1018, "Static", 0x82, "Fast", {133, 153, 18, 10}, kCentre, 0},
    {IDC_RESET, "Button", 0x80, "Reset", {60, 198, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0},
};
constexpr size_t kControlCount = sizeof kControls / sizeof kControls[0];

// Reads the extended dialog template word by word.
struct TemplateReader {
    const uint8_t* at;
    WORD Word() {
        WORD w;
        std::memcpy(&w, at, 2);
        at += 2;
        return w;
    }
    DWORD Dword() {
        DWORD d;
        std::memcpy(&d, at, 4);
        at += 4;
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    std::string String() {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
        return text;
    }
    // A string, or an ordinal written as 0xFFFF and a word (returned in `ordinal`).
    std::string StringOrOrdinal(WORD& ordinal) {
        ordinal = 0;
        WORD first;
        std::memcpy(&first, at, 2);
        if (first == 0xFFFF) {
            at += 2;
            ordinal = Word();
            return {};
        }
        return String();
    }
    void AlignDword(const uint8_t* base) {
        while ((at - base) % 4 != 0) ++at;
    }
};

TEST(ConfigDialogTemplate, ResourceMatchesTheLayout) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HRSRC found =
        FindResourceA(instance, MAKEINTRESOURCEA(IDD_CONFIG), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(found, nullptr);
    const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    ASSERT_NE(base, nullptr);
    TemplateReader r{base};
    EXPECT_EQ(r.Word(), 1);  // extended template
    EXPECT_EQ(r.Word(), 0xFFFF);
    r.Dword();  // help id
    EXPECT_EQ(r.Dword(), 0u);
    EXPECT_EQ(r.Dword(),
              DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS});
    const WORD count = r.Word();
    EXPECT_EQ(count, kControlCount);
    const short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
    EXPECT_EQ((std::vector<int>{x, y, cx, cy}), (std::vector<int>{0, 0, 169, 250}));
    WORD ordinal;
    EXPECT_EQ(r.StringOrOrdinal(ordinal), "");  // no menu
    EXPECT_EQ(r.StringOrOrdinal(ordinal), "");  // the ordinary dialog class
    EXPECT_EQ(r.String(), "");                  // the title, which the dialog writes as its texts
    EXPECT_EQ(r.Word(), 8);                     // points
    EXPECT_EQ(r.Word(), 400);                   // weight
    r.Word();                                   // italic, character set
    EXPECT_EQ(r.String(), "MS Shell Dlg");
    for (size_t i = 0; i < count && i < kControlCount; ++i) {
        const ControlLayout& want = kControls[i];
        SCOPED_TRACE(want.text[0] ? want.text : want.className);
        r.AlignDword(base);
        r.Dword();  // help id
        EXPECT_EQ(r.Dword(), want.exStyle);
        EXPECT_EQ(r.Dword(), want.style | WS_CHILD | WS_VISIBLE);
        const short cx0 = r.Short(), cy0 = r.Short(), cw = r.Short(), ch = r.Short();
        EXPECT_EQ((std::vector<LONG>{cx0, cy0, cw, ch}),
                  (std::vector<LONG>{want.units.left, want.units.top, want.units.right, want.units.bottom}));
        EXPECT_EQ(static_cast<int>(r.Dword()), want.id);
        const std::string className = r.StringOrOrdinal(ordinal);
        if (want.classOrdinal != 0) {
            EXPECT_EQ(ordinal, want.classOrdinal);
        } else {
            EXPECT_EQ(lstrcmpiA(className.c_str(), want.className), 0) << className;
        }
        // Every text but the version line is empty: the dialog writes them in the user's language.
        EXPECT_EQ(r.StringOrOrdinal(ordinal), want.id == IDC_VERSION ? want.text : "");
        r.at += r.Word();  // creation data
    }
}

TEST(ConfigDialogTemplate, WindowShowsEveryControlInPlace) {
    DeleteSettingsKey();
    RunningDialog dialog;
    Open(dialog);
    EXPECT_EQ(Text(dialog.hwnd), "Fenlight Setup");
    const LONG style = GetWindowLongA(dialog.hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    RECT client;
    GetClientRect(dialog.hwnd, &client);
    RECT size{0, 0, 169, 250};
    MapDialogRect(dialog.hwnd, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    size_t index = 0;
    for (HWND child = GetWindow(dialog.hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ASSERT_LT(index, kControlCount) << "more controls than the layout has";
        const ControlLayout& want = kControls[index++];
        SCOPED_TRACE(want.text[0] ? want.text : want.className);
        EXPECT_EQ(static_cast<int>(GetWindowLongPtrA(child, GWLP_ID)), want.id);
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_EQ(lstrcmpiA(className, want.className), 0) << className;
        if (want.classOrdinal != 0x85) {
            EXPECT_EQ(Text(child), want.text);
        }
        // The system maps the position and the size separately, each rounded on its own.
        RECT place{want.units.left, want.units.top, want.units.right, want.units.bottom};
        MapDialogRect(dialog.hwnd, &place);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog.hwnd, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, place.left);
        EXPECT_EQ(actual.top, place.top);
        EXPECT_EQ(actual.right - actual.left, place.right);
        // A closed drop-down list is one line high; the template's height is the open list's.
        if (want.classOrdinal != 0x85) {
            EXPECT_EQ(actual.bottom - actual.top, place.bottom);
        }
        EXPECT_TRUE(IsWindowVisible(child));
    }
    EXPECT_EQ(index, kControlCount);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(WaitClosed(dialog), FALSE);
}

}  // namespace
