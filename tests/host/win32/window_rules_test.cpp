// The saver window's message handling through the host's own path: class procedure, a saver
// procedure that hands everything it does not draw with to the default procedure, the dismissal
// rules, close approval behind the password prompt, and the password hook. The system is faked.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/win32/window_rules.h"
#include "host/win32/window_plan.h"
#include "host/win_words.h"

namespace {

struct Message {
    HostHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
};

HostHandle const kSaver = reinterpret_cast<HostHandle>(uintptr_t(0x1004e));
HostHandle const kParent = reinterpret_cast<HostHandle>(uintptr_t(0x20010));
HostHandle const kImm = reinterpret_cast<HostHandle>(uintptr_t(0x7000));
HostHandle const kPasswordCpl = reinterpret_cast<HostHandle>(uintptr_t(0x7100));
HostHandle const kOldContext = reinterpret_cast<HostHandle>(uintptr_t(0x33));
constexpr uint32_t kAutoPlay = 0xC0DE;
constexpr MessageResult kDefaultResult = 0x5151;

// Everything the faked system was asked to do, and what it answers.
struct FakeSystem {
    std::vector<Message> posted;
    std::vector<Message> toSaverProc;
    std::vector<Message> toDefault;
    std::vector<std::string> events;  // other calls, in order
    HostPoint cursor{100, 100};
    uint32_t tick = 10000;
    uint8_t acLine = 1;
    bool immLoaded = false;
    bool passwordCplPresent = true;
    bool verifyExported = true;
    bool desktopKeyPresent = true;
    std::vector<uint8_t> usePasswordBytes;  // what the registry delivers, empty when the value is absent
    int32_t promptAnswer = 0;
    int32_t runningFlag = -1;
    HostState* host = nullptr;
    void (*duringPrompt)() = nullptr;
};

FakeSystem fake;
HostCalls calls;

const HostCalls& Calls();

MessageResult ToSaverProc(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    fake.toSaverProc.push_back({window, message, wParam, lParam});
    // The program's saver procedure: creation, timer and destruction are its own, the rest goes on.
    if (message == WM_CREATE || message == WM_TIMER || message == WM_DESTROY) return 0;
    return DefaultSaverProc(*fake.host, Calls(), window, message, wParam, lParam);
}

MessageResult ToDefault(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    fake.toDefault.push_back({window, message, wParam, lParam});
    return kDefaultResult;
}

MessageResult Send(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    fake.events.push_back("send " + std::to_string(message));
    return SaverClassProc(*fake.host, Calls(), window, message, wParam, lParam);
}

void Post(HostHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    fake.posted.push_back({window, message, wParam, lParam});
}

int32_t HOST_SYSCALL VerifyScreenSavePwd(HostHandle window) {
    fake.events.push_back(window == kSaver ? "prompt" : "prompt for another window");
    if (fake.duringPrompt != nullptr) fake.duringPrompt();
    return fake.promptAnswer;
}

HostHandle HOST_SYSCALL ImmAssociateContext(HostHandle window, HostHandle context) {
    fake.events.push_back(std::string("associate ") + (window == kSaver ? "saver " : "? ") +
                          (context == nullptr       ? "none"
                           : context == kOldContext ? "old"
                                                    : "?"));
    return kOldContext;
}

const HostCalls& Calls() {
    calls.saverProc = ToSaverProc;
    calls.defaultProc = ToDefault;
    calls.sendMessage = Send;
    calls.postMessage = Post;
    calls.dropTimerMessage = [](HostHandle) { fake.events.push_back("drop timer"); };
    calls.postQuit = [](int32_t code) { fake.events.push_back("quit " + std::to_string(code)); };
    calls.cursorPos = [](HostHandle) { return fake.cursor; };
    calls.hideCursor = [] { fake.events.push_back("hide cursor"); };
    calls.tickCount = [] { return fake.tick; };
    calls.yield = [] { fake.events.push_back("yield"); };
    calls.acLineStatus = [] { return fake.acLine; };
    calls.parentOf = [](HostHandle window) { return window == kSaver ? kParent : nullptr; };
    calls.isWindow = [](HostHandle window) { return window == kParent || window == kSaver; };
    calls.loadedModule = [](const char* name) {
        return std::string(name) == "IMM32.DLL" && fake.immLoaded ? kImm : HostHandle(nullptr);
    };
    calls.loadLibrary = [](const char* name) {
        fake.events.push_back(std::string("load ") + name);
        return std::string(name) == "PASSWORD.CPL" && fake.passwordCplPresent ? kPasswordCpl
                                                                              : HostHandle(nullptr);
    };
    calls.findProc = [](HostHandle module, const char* name) -> AnyProc {
        const std::string wanted(name);
        if (module == kImm && wanted == "ImmAssociateContext")
            return reinterpret_cast<AnyProc>(ImmAssociateContext);
        if (module == kPasswordCpl && wanted == "VerifyScreenSavePwd" && fake.verifyExported) {
            return reinterpret_cast<AnyProc>(VerifyScreenSavePwd);
        }
        return nullptr;
    };
    calls.freeLibrary = [](HostHandle module) {
        fake.events.push_back(module == kPasswordCpl ? "free PASSWORD.CPL" : "free ?");
    };
    calls.readDesktopValue = [](const char* name, uint8_t* buffer, uint32_t* size) {
        fake.events.push_back(std::string("read ") + name);
        if (!fake.desktopKeyPresent || fake.usePasswordBytes.empty()) return false;
        // Only the bytes stored are written, as the registry does.
        for (size_t i = 0; i < fake.usePasswordBytes.size() && i < *size; ++i)
            buffer[i] = fake.usePasswordBytes[i];
        *size = uint32_t(fake.usePasswordBytes.size());
        return true;
    };
    calls.screenSaverRunning = [](int32_t flag) { fake.runningFlag = flag; };
    return calls;
}

class SaverMessages : public ::testing::Test {
protected:
    void SetUp() override {
        fake = FakeSystem{};
        host = kInitialHostState;
        fake.host = &host;
    }

    MessageResult Dispatch(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return SaverClassProc(host, Calls(), kSaver, message, wParam, lParam);
    }

    // Creates the window as the system would: WM_CREATE through the class procedure.
    void Create(bool preview = false, bool win9x = false) {
        host.preview = preview ? 1 : 0;
        host.win9xFamily = win9x ? 1 : 0;
        host.autoPlayMessage = win9x ? kAutoPlay : 0;
        Dispatch(WM_CREATE);
        fake.events.clear();
        fake.toSaverProc.clear();
    }

    size_t Closes() const {
        return size_t(std::count(fake.posted.begin(), fake.posted.end(), Message{kSaver, WM_CLOSE, 0, 0}));
    }

    // How many closes one message asks for.
    size_t ClosesFrom(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        const size_t before = Closes();
        Dispatch(message, wParam, lParam);
        return Closes() - before;
    }

    size_t Count(const std::string& event) const {
        return size_t(std::count(fake.events.begin(), fake.events.end(), event));
    }
    bool Happened(const std::string& event) const { return Count(event) > 0; }

    HostState host{};
};

TEST_F(SaverMessages, MouseTravelBeyondFourPixelsCloses) {
    Create();
    fake.cursor = {103, 101};  // travel 4
    EXPECT_EQ(ClosesFrom(WM_MOUSEMOVE, 0, 0x00010001), 0u);
    fake.cursor = {103, 102};  // travel 5
    EXPECT_EQ(ClosesFrom(WM_MOUSEMOVE), 1u);
    EXPECT_EQ(host.anchor.x, 103);
    EXPECT_EQ(host.anchor.y, 102);
}

TEST_F(SaverMessages, SmallMovesAddUpAgainstTheSameAnchor) {
    Create();
    fake.cursor = {97, 100};
    EXPECT_EQ(ClosesFrom(WM_MOUSEMOVE), 0u);
    fake.cursor = {94, 100};
    EXPECT_EQ(ClosesFrom(WM_MOUSEMOVE), 1u);
    // Far corners of the coordinate range do not overflow into a small travel.
    host.anchor = {INT32_MIN, INT32_MIN};
    fake.cursor = {INT32_MAX, INT32_MAX};
    EXPECT_EQ(ClosesFrom(WM_MOUSEMOVE), 1u);
}

TEST_F(SaverMessages, PressesCloseReleasesDoNot) {
    Create();
    for (uint32_t release : {WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP}) {
        EXPECT_EQ(Dispatch(release), kDefaultResult);
    }
    EXPECT_EQ(Closes(), 0u);
    for (uint32_t press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        EXPECT_EQ(ClosesFrom(press, 0x41), 1u) << "message " << press;
    // Every one of them still ends in default processing.
    EXPECT_EQ(fake.toDefault.size(), 10u);
}

TEST_F(SaverMessages, LosingActivationCloses) {
    Create();
    EXPECT_EQ(ClosesFrom(WM_ACTIVATEAPP, 1), 0u);
    EXPECT_EQ(ClosesFrom(WM_ACTIVATEAPP, 0), 1u);
}

TEST_F(SaverMessages, SystemCommandsInFullScreen) {
    Create();
    for (uintptr_t command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
        EXPECT_EQ(Dispatch(WM_SYSCOMMAND, command), 0);
    }
    EXPECT_TRUE(fake.toSaverProc.empty());
    EXPECT_TRUE(fake.toDefault.empty());
    EXPECT_EQ(Closes(), 0u);
    EXPECT_EQ(Dispatch(WM_SYSCOMMAND, SC_MONITORPOWER, 2), kDefaultResult);
    EXPECT_EQ(Closes(), 1u);
    EXPECT_EQ(fake.toDefault.back(), (Message{kSaver, WM_SYSCOMMAND, SC_MONITORPOWER, 2}));
    // Help in full screen is not forwarded anywhere.
    EXPECT_EQ(Dispatch(WM_HELP), kDefaultResult);
    EXPECT_EQ(Closes(), 1u);
    EXPECT_EQ(fake.posted.size(), 1u);
}

TEST_F(SaverMessages, PowerEvents) {
    Create();
    host.acLineStatus = 1;  // as read when the saver started
    for (uintptr_t resume :
         {PBT_APMRESUMECRITICAL, PBT_APMRESUMESUSPEND, PBT_APMRESUMESTANDBY, PBT_APMRESUMEAUTOMATIC}) {
        EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, resume, PBTF_APMRESUMEFROMFAILURE), 0u)
            << "from failure " << resume;
        EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, resume, 0), 1u) << "resume " << resume;
    }
    fake.acLine = 1;
    EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), 0u);
    fake.acLine = 0;
    EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), 1u);
    EXPECT_EQ(host.acLineStatus, 0);
    EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), 0u);
    for (uintptr_t other : {0, 4, 5, 9, 0x0B, 0x11, 0x13, 0x8013})
        EXPECT_EQ(ClosesFrom(WM_POWERBROADCAST, other), 1u) << "event " << other;
    EXPECT_EQ(ClosesFrom(WM_POWER, 1), 0u);
    EXPECT_EQ(ClosesFrom(WM_POWER, PWR_CRITICALRESUME), 1u);
}

TEST_F(SaverMessages, CreationDetachesTheInputMethodAndDestructionRestoresIt) {
    fake.immLoaded = true;
    fake.cursor = {640, 512};
    host.win9xFamily = 0;
    Dispatch(WM_CREATE);
    EXPECT_EQ(fake.events, (std::vector<std::string>{"associate saver none", "hide cursor"}));
    EXPECT_EQ(host.anchor.x, 640);
    EXPECT_EQ(host.savedInputContext, kOldContext);
    EXPECT_EQ(fake.toSaverProc.back().message, uint32_t(WM_CREATE));
    fake.events.clear();
    Dispatch(WM_DESTROY);
    EXPECT_EQ(fake.events, (std::vector<std::string>{"associate saver old", "quit 0"}));
    EXPECT_EQ(fake.toSaverProc.back().message, uint32_t(WM_DESTROY));
}

TEST_F(SaverMessages, WithoutTheInputMethodLoadedNothingIsAssociated) {
    Dispatch(WM_CREATE);
    Dispatch(WM_DESTROY);
    EXPECT_EQ(fake.events, (std::vector<std::string>{"hide cursor", "quit 0"}));
}

TEST_F(SaverMessages, EveryTimerYieldsThenDrawsUntilTheCloseIsApproved) {
    Create();
    EXPECT_EQ(Dispatch(WM_TIMER, 1), 0);
    EXPECT_EQ(Dispatch(WM_TIMER, 7), 0);
    EXPECT_EQ(fake.events, (std::vector<std::string>{"yield", "yield"}));
    ASSERT_EQ(fake.toSaverProc.size(), 2u);
    EXPECT_EQ(fake.toSaverProc[1].wParam, 7u);
    // NT: a close is approved at once; from then on nothing more is drawn.
    Dispatch(WM_CLOSE);
    EXPECT_EQ(fake.toDefault.back().message, uint32_t(WM_CLOSE));
    host.closeApproved = 1;
    fake.toSaverProc.clear();
    EXPECT_EQ(Dispatch(WM_TIMER, 1), 0);
    EXPECT_EQ(Dispatch(WM_PAINT), kDefaultResult);
    EXPECT_EQ(Dispatch(WM_KEYDOWN), kDefaultResult);
    EXPECT_EQ(Dispatch(WM_MOUSEMOVE), kDefaultResult);
    EXPECT_TRUE(fake.toSaverProc.empty());
    EXPECT_EQ(Closes(), 0u);
}

TEST_F(SaverMessages, CursorStaysHidden) {
    Create();
    EXPECT_EQ(Dispatch(WM_SETCURSOR, 0, 1), 1);
    EXPECT_TRUE(fake.toDefault.empty());
    Dispatch(WM_SHOWWINDOW, 0);
    Dispatch(WM_SHOWWINDOW, 1);
    Dispatch(WM_PAINT);
    EXPECT_EQ(fake.events, (std::vector<std::string>{"hide cursor", "hide cursor", "hide cursor"}));
    EXPECT_EQ(Dispatch(WM_SETTEXT), 0);
}

TEST_F(SaverMessages, PreviewIgnoresInputAndForwardsHelpToItsParent) {
    Create(true);
    for (uint32_t input :
         {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_ACTIVATEAPP}) {
        EXPECT_EQ(Dispatch(input), kDefaultResult);
    }
    fake.cursor = {500, 500};
    Dispatch(WM_MOUSEMOVE);
    Dispatch(WM_POWERBROADCAST, 4);
    EXPECT_EQ(Closes(), 0u);
    // No hidden cursor over the settings page.
    Dispatch(WM_PAINT);
    EXPECT_EQ(Dispatch(WM_SETCURSOR), kDefaultResult);
    EXPECT_FALSE(Happened("hide cursor"));

    EXPECT_EQ(Dispatch(WM_HELP, 0, 0x1234), 1);
    EXPECT_EQ(Dispatch(WM_CONTEXTMENU, uintptr_t(kSaver), 0x00200010), 1);
    EXPECT_EQ(fake.posted, (std::vector<Message>{{kParent, WM_HELP, uintptr_t(kParent), 0x1234},
                                                 {kParent, WM_CONTEXTMENU, uintptr_t(kParent), 0x00200010}}));
    EXPECT_EQ(Dispatch(WM_SETTEXT, 0, 0), 0);
    EXPECT_EQ(Dispatch(WM_SYSCOMMAND, SC_SCREENSAVE), kDefaultResult);
    EXPECT_EQ(Dispatch(WM_CLOSE), kDefaultResult);
    // Without a parent window help goes nowhere, and is still answered.
    fake.posted.clear();
    calls.parentOf = [](HostHandle) { return HostHandle(nullptr); };
    const HostCalls noParent = calls;
    EXPECT_EQ(SaverClassProc(host, noParent, kSaver, WM_HELP, 0, 0), 1);
    EXPECT_TRUE(fake.posted.empty());
}

TEST_F(SaverMessages, NtFamilyHasNoPasswordStep) {
    Create();
    EXPECT_EQ(Dispatch(WM_APP), kDefaultResult);
    EXPECT_EQ(Dispatch(WM_CLOSE), kDefaultResult);
    EXPECT_FALSE(Happened("prompt"));
    EXPECT_EQ(Dispatch(kAutoPlay), kDefaultResult);
    EXPECT_EQ(Closes(), 0u);
    LoadPasswordHook(host, Calls());
    SetSaverRunning(host, Calls(), 1);
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(fake.runningFlag, -1);
}

class PasswordProtected : public SaverMessages {
protected:
    void SetUp() override {
        SaverMessages::SetUp();
        fake.usePasswordBytes = {1, 0, 0, 0};
        host.win9xFamily = 1;
        LoadPasswordHook(host, Calls());
        ASSERT_NE(host.verifyPassword, nullptr);
        Create(false, true);
    }
};

TEST_F(PasswordProtected, RefusedPromptKeepsTheSaverRunningWithTheCursorHidden) {
    EXPECT_EQ(fake.runningFlag, 1);
    fake.promptAnswer = 0;
    fake.cursor = {300, 200};
    EXPECT_EQ(Dispatch(WM_CLOSE), 0);
    EXPECT_EQ(fake.events,
              (std::vector<std::string>{"drop timer", "drop timer", "send 32768", "prompt", "hide cursor"}));
    EXPECT_FALSE(host.closeApproved);
    EXPECT_FALSE(host.verifying);
    EXPECT_EQ(host.lastVerifyTick, fake.tick);
    EXPECT_EQ(host.anchor.x, 300);
    EXPECT_TRUE(fake.toDefault.empty());
}

TEST_F(PasswordProtected, CloseRequestsRightAfterAPromptAreIgnored) {
    fake.promptAnswer = 0;
    Dispatch(WM_CLOSE);
    fake.events.clear();
    fake.tick += 150;
    EXPECT_EQ(Dispatch(WM_CLOSE), 0);
    EXPECT_FALSE(Happened("prompt"));
    fake.tick += 100;  // 250 ms after the prompt closed
    fake.promptAnswer = 1;
    EXPECT_EQ(Dispatch(WM_CLOSE), kDefaultResult);
    EXPECT_TRUE(Happened("prompt"));
    EXPECT_TRUE(host.closeApproved);
    EXPECT_EQ(fake.toDefault.back().message, uint32_t(WM_CLOSE));
}

TEST_F(PasswordProtected, HoldOffSurvivesTheTickCountWrapping) {
    fake.promptAnswer = 0;
    fake.tick = 0xFFFFFFF0u;
    Dispatch(WM_CLOSE);
    fake.events.clear();
    fake.tick = 0x50;  // 96 ms later
    Dispatch(WM_CLOSE);
    EXPECT_FALSE(Happened("prompt"));
    fake.tick = 0xF0;  // 256 ms later
    Dispatch(WM_CLOSE);
    EXPECT_TRUE(Happened("prompt"));
}

TEST_F(PasswordProtected, InputDuringThePromptIsInert) {
    fake.promptAnswer = 1;
    fake.duringPrompt = [] {
        SaverClassProc(*fake.host, Calls(), kSaver, WM_KEYDOWN, 0x41, 0);
        fake.cursor = {900, 900};
        SaverClassProc(*fake.host, Calls(), kSaver, WM_MOUSEMOVE, 0, 0);
        // A second close request while the prompt is up neither prompts again nor closes.
        EXPECT_EQ(SaverClassProc(*fake.host, Calls(), kSaver, WM_CLOSE, 0, 0), 0);
    };
    EXPECT_EQ(Dispatch(WM_CLOSE), kDefaultResult);
    EXPECT_EQ(Closes(), 0u);
    EXPECT_EQ(Count("prompt"), 1u);
    EXPECT_TRUE(host.closeApproved);
}

TEST_F(PasswordProtected, AutoPlayIsCancelledWhileAPasswordIsInForce) {
    EXPECT_EQ(Dispatch(kAutoPlay), 1);
    EXPECT_EQ(Closes(), 1u);
    UnloadPasswordHook(host, Calls());
    EXPECT_EQ(fake.runningFlag, 0);
    EXPECT_EQ(Dispatch(kAutoPlay), 0);
    EXPECT_EQ(Closes(), 2u);
}

TEST_F(SaverMessages, Win9xWithoutPasswordClosesOnTheFirstRequest) {
    Create(false, true);
    LoadPasswordHook(host, Calls());
    EXPECT_EQ(host.passwordModule, nullptr);
    EXPECT_EQ(Dispatch(WM_APP), 1);  // a password request without a password check approves
    EXPECT_EQ(Dispatch(WM_CLOSE), kDefaultResult);
    EXPECT_TRUE(host.closeApproved);
    EXPECT_FALSE(Happened("prompt"));
    EXPECT_EQ(Dispatch(WM_APP), kDefaultResult);  // approved: straight to default processing
}

TEST_F(SaverMessages, PasswordHookFollowsTheDesktopSetting) {
    host.win9xFamily = 1;
    struct Case {
        std::vector<uint8_t> stored;
        bool keyPresent;
        bool cplPresent;
        bool exported;
        bool expectHook;
    };
    const Case cases[] = {
        {{1, 0, 0, 0}, true, true, true, true},
        {{0, 0, 0, 0}, true, true, true, false},
        {{}, true, true, true, false},
        {{1, 0, 0, 0}, false, true, true, false},
        {{1, 0, 0, 0}, true, false, true, false},
        {{1, 0, 0, 0}, true, true, false, false},
        // A value stored in fewer than four bytes reads as the small number it is.
        {{1}, true, true, true, true},
        {{0}, true, true, true, false},
        {{0, 1}, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stored bytes " << c.stored.size() << " key " << c.keyPresent
                                          << " cpl " << c.cplPresent << " exported " << c.exported);
        fake.usePasswordBytes = c.stored;
        fake.desktopKeyPresent = c.keyPresent;
        fake.passwordCplPresent = c.cplPresent;
        fake.verifyExported = c.exported;
        fake.runningFlag = -1;
        fake.events.clear();
        host.passwordModule = nullptr;
        host.verifyPassword = nullptr;
        LoadPasswordHook(host, Calls());
        EXPECT_EQ(host.verifyPassword != nullptr, c.expectHook);
        EXPECT_EQ(host.passwordModule != nullptr, c.expectHook);
        EXPECT_EQ(fake.runningFlag, c.expectHook ? 1 : -1);
        if (c.cplPresent && !c.exported) {
            EXPECT_TRUE(Happened("free PASSWORD.CPL"));
        }
    }
}

TEST_F(SaverMessages, ReloadingThePasswordHookReleasesTheOldOneFirst) {
    host.win9xFamily = 1;
    fake.usePasswordBytes = {1, 0, 0, 0};
    LoadPasswordHook(host, Calls());
    fake.events.clear();
    LoadPasswordHook(host, Calls());
    EXPECT_EQ(fake.events, (std::vector<std::string>{"free PASSWORD.CPL", "read ScreenSaveUsePassword",
                                                     "load PASSWORD.CPL"}));
    EXPECT_EQ(fake.runningFlag, 1);
    UnloadPasswordHook(host, Calls());
    EXPECT_EQ(host.passwordModule, nullptr);
    EXPECT_EQ(fake.runningFlag, 0);
}

TEST(SaverWindowPlan, FullScreenCoversTheVirtualScreenOrTheClipBox) {
    const auto clip = [] { return HostRect{-5, 0, 1019, 768}; };
    const SaverWindowPlan both = PlanFullScreenWindow(-1280, 0, 2560, 1024, clip);
    EXPECT_EQ(both.x, -1280);
    EXPECT_EQ(both.width, 2560);
    EXPECT_EQ(both.height, 1024);
    EXPECT_EQ(both.style, 0x96000000u);
    EXPECT_EQ(both.exStyle, 8u);
    EXPECT_STREQ(both.title, "Screen Saver");
    for (const SaverWindowPlan& plan :
         {PlanFullScreenWindow(0, 0, 0, 1024, clip), PlanFullScreenWindow(0, 0, 800, 0, clip)}) {
        EXPECT_EQ(plan.x, -5);
        EXPECT_EQ(plan.y, 0);
        EXPECT_EQ(plan.width, 1024);
        EXPECT_EQ(plan.height, 768);
    }
    const SaverWindowPlan preview = PlanPreviewWindow({0, 0, 152, 112});
    EXPECT_EQ(preview.x, 0);
    EXPECT_EQ(preview.width, 152);
    EXPECT_EQ(preview.height, 112);
    EXPECT_EQ(preview.style, 0x52000000u);
    EXPECT_EQ(preview.exStyle, 0u);
    EXPECT_STREQ(preview.title, "Preview");
    EXPECT_EQ(uint32_t(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN), kPreviewStyle);
    EXPECT_EQ(uint32_t(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN), kFullScreenStyle);
}

}  // namespace
