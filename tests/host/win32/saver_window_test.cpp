// The saver window for real under Windows (Wine in the tests): creation loads the settings, makes
// the OpenGL context and the scene and starts the frame timer; every timer message, whatever its id,
// runs a frame; a resize does not change the drawing size; frames stop while the display is off;
// destruction releases everything and ends the message loop. The preview runs until its parent goes away.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "app/app_state.h"
#include "app/tick.h"
#include "host/win32/saver_proc.h"
#include "host/win32/host_state.h"
#include "host/win32/window_plan.h"
#include "host/win32/saver_window.h"
#include "settings/settings.h"
#include "tests/app/fake_tick.h"
#include "tests/settings/win32/registry_test_util.h"

namespace {

// Dispatches what is pending (a window's paint request stays pending until it is dispatched); true
// when the loop's quit message was among it.
bool PumpMessages() {
    bool quit = false;
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(message.wParam, 0u);
        } else {
            DispatchMessageA(&message);
        }
    }
    return quit;
}

// Dispatches messages for a while (or until `done`); the real frame timer's messages among them.
template <typename Done>
void RunMessagesFor(DWORD milliseconds, Done done) {
    const DWORD deadline = GetTickCount() + milliseconds;
    MSG message;
    while (!done() && GetTickCount() < deadline) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override {
        appState = AppState{};
        hostState = kInitialHostState;
        hostState.instance = GetModuleHandleA(nullptr);
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = ParentProc;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "SaverTestParent";
        RegisterClassA(&parentClass);
        parent = CreateWindowExA(0, "SaverTestParent", "Parent", WS_POPUP | WS_VISIBLE, 10, 10, 200, 150,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }

    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
        UnregisterClassA("SaverTestParent", GetModuleHandleA(nullptr));
        PumpMessages();
    }

    // The saver class with the program's procedure, for saver windows the test makes itself.
    static bool RegisterSaverClass(bool preview) {
        hostState.preview = preview ? TRUE : FALSE;
        WNDCLASSA saverClass{};
        saverClass.style = kSaverClassStyle;
        saverClass.lpfnWndProc = SaverClassProc;
        saverClass.hInstance = GetModuleHandleA(nullptr);
        saverClass.lpszClassName = kSaverClassName;
        UseSaverProc(SaverProc);
        return RegisterClassA(&saverClass) != 0;
    }

    // A preview of the given size in the parent, through the saver class.
    HWND MakePreview(int width, int height) {
        if (!RegisterSaverClass(true)) return nullptr;
        return CreateWindowExA(0, kSaverClassName, kPreviewTitle, kPreviewStyle, 0, 0, width, height, parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    // A full-screen saver's window, where the dismissal rules apply, of the given size.
    HWND MakeFullScreen(int width, int height) {
        if (!RegisterSaverClass(false)) return nullptr;
        return CreateWindowExA(kFullScreenExStyle, kSaverClassName, kFullScreenTitle, kFullScreenStyle, 0, 0,
                               width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    HWND parent = nullptr;
};

TEST_F(SaverWindow, LivesFromCreationToDestruction) {
    FakeTickScope tick(50000);
    HWND saver = MakePreview(200, 150);
    ASSERT_NE(saver, nullptr);

    EXPECT_EQ(appState.clientWidth, 200);
    EXPECT_EQ(appState.clientHeight, 150);
    EXPECT_NE(hostState.hdc, nullptr);
    EXPECT_NE(hostState.hglrc, nullptr);
    ASSERT_NE(appState.clock, nullptr);
    ASSERT_NE(appState.swarm, nullptr);
    EXPECT_EQ(appState.swarm->wispCount, 2 * appState.quantity);
    EXPECT_GE(appState.quantity, 20);
    EXPECT_EQ(appState.clock->current, fakeTick);

    // A timer of any id draws a frame: the clock reads the tick count again.
    fakeTick += 16;
    SendMessageA(saver, WM_TIMER, 7, 0);
    EXPECT_EQ(appState.clock->current, fakeTick);
    EXPECT_EQ(appState.clock->step, 16u);
    fakeTick += 20;
    SendMessageA(saver, WM_TIMER, kFrameTimerId, 0);
    EXPECT_EQ(appState.clock->step, 20u);

    // The size measured at creation stays.
    SetWindowPos(saver, nullptr, 0, 0, 120, 90, SWP_NOZORDER | SWP_NOMOVE);
    fakeTick += 10;
    SendMessageA(saver, WM_TIMER, kFrameTimerId, 0);
    EXPECT_EQ(appState.clientWidth, 200);
    EXPECT_EQ(appState.clientHeight, 150);

    // The real timer runs frames on its own.
    SetTickSource(nullptr);
    const uint32_t before = appState.clock->current;
    RunMessagesFor(5000, [before] { return appState.clock->current != before; });
    EXPECT_NE(appState.clock->current, before);

    DestroyWindow(saver);
    EXPECT_EQ(hostState.hglrc, nullptr);
    EXPECT_EQ(hostState.hdc, nullptr);
    EXPECT_EQ(appState.swarm, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(PumpMessages());
}

TEST_F(SaverWindow, FramesStopWhileTheDisplayIsOffAndGoOnWithoutAJump) {
    FakeTickScope tick(50000);
    // Full screen, where the dismissal rules would close the saver on whatever they take for input.
    HWND saver = MakeFullScreen(200, 150);
    ASSERT_NE(saver, nullptr);
    // What Windows 8 and later send for the console display: 0 off, 1 on, 2 dimmed.
    const GUID consoleDisplay{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    const auto display = [&](DWORD state) {
        struct {
            GUID powerSetting;
            DWORD dataLength;
            DWORD data;  // where POWERBROADCAST_SETTING's Data starts
        } setting{consoleDisplay, sizeof state, state};
        return SendMessageA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(&setting));
    };
    const auto drawn = [] { return appState.clock->current == fakeTick; };

    fakeTick += 16;
    RunMessagesFor(5000, drawn);
    ASSERT_TRUE(drawn());
    // A minute off: the frame timer's messages stop, and nothing closes the saver.
    EXPECT_EQ(display(0), TRUE);
    fakeTick += 60000;
    RunMessagesFor(300, drawn);
    EXPECT_FALSE(drawn());
    EXPECT_TRUE(IsWindow(saver));
    // Dimmed counts as on: frames go on, and the first one's step holds its own time, not the minute off.
    display(2);
    fakeTick += 20;
    RunMessagesFor(5000, drawn);
    EXPECT_TRUE(drawn());
    EXPECT_EQ(appState.clock->step, 20u);
    DestroyWindow(saver);
    PumpMessages();
}

TEST_F(SaverWindow, APowerSettingChangeWithoutItsSettingIsIgnored) {
    // Any process may send one, with any lParam: the saver neither reads it nor stops drawing.
    FakeTickScope tick(50000);
    HWND saver = MakePreview(200, 150);
    ASSERT_NE(saver, nullptr);
    void* freed = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(freed, nullptr);
    VirtualFree(freed, 0, MEM_RELEASE);
    for (const LPARAM setting : {LPARAM(0), LPARAM(1), LPARAM(freed)}) {
        SCOPED_TRACE(setting);
        EXPECT_EQ(SendMessageA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, setting), TRUE);
        fakeTick += 16;
        SendMessageA(saver, WM_TIMER, kFrameTimerId, 0);
        EXPECT_EQ(appState.clock->current, fakeTick);
    }
    DestroyWindow(saver);
    PumpMessages();
}

bool AllWispsFinite(const Swarm& swarm) {
    for (int32_t i = 0; i < swarm.wispCount; ++i) {
        const Vec3& p = swarm.wisps[i].position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    }
    return true;
}

TEST_F(SaverWindow, AWindowWithoutWidthOrHeightDrawsFiniteWisps) {
    // A settings page may hand over a preview parent that has no size yet.
    ASSERT_TRUE(RegisterSaverClass(true));
    FakeTickScope tick(50000);
    const struct {
        int width;
        int height;
        uint8_t direction;
    } views[] = {{0, 0, kDirectionIn}, {0, 600, kDirectionIn}, {600, 0, kDirectionUp}};
    for (const auto& view : views) {
        SCOPED_TRACE(testing::Message() << view.width << "x" << view.height);
        WriteDword("Direction", view.direction);
        HWND saver = CreateWindowExA(0, kSaverClassName, kPreviewTitle, kPreviewStyle, 0, 0, view.width,
                                     view.height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(saver, nullptr);
        EXPECT_EQ(appState.clientWidth, view.width > 0 ? view.width : 1);
        EXPECT_EQ(appState.clientHeight, view.height > 0 ? view.height : 1);
        ASSERT_NE(appState.swarm, nullptr);
        EXPECT_EQ(appState.swarm->direction, view.direction);
        // Finite from the start and on every frame of twenty seconds, in which every wisp re-enters.
        int framesFinite = AllWispsFinite(*appState.swarm) ? 1 : 0;
        for (int frame = 0; frame < 1000; ++frame) {
            fakeTick += 20;
            SendMessageA(saver, WM_TIMER, kFrameTimerId, 0);
            if (AllWispsFinite(*appState.swarm)) ++framesFinite;
        }
        EXPECT_EQ(framesFinite, 1001);
        DestroyWindow(saver);
        PumpMessages();
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

VOID CALLBACK EndPreview(HWND parentWindow, UINT, UINT_PTR timer, DWORD) {
    // Once some frames have been drawn the settings page goes away, taking the preview with it.
    if (appState.clock != nullptr && appState.clock->current - appState.clock->start >= 100) {
        KillTimer(parentWindow, timer);
        DestroyWindow(parentWindow);
    }
}

TEST_F(SaverWindow, PreviewRunsUntilItsParentIsDestroyed) {
    SetTimer(parent, 99, 20, EndPreview);
    EXPECT_EQ(RunSaver(parent, SaverProc), 0);
    EXPECT_TRUE(hostState.preview);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_EQ(hostState.hglrc, nullptr);
    EXPECT_EQ(hostState.passwordModule, nullptr);
}

}  // namespace
