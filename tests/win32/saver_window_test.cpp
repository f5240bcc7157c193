#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "win_test_support.h"

namespace {

const UINT GIVE_UP_MS = 3000;

// A laptop on battery, as GetSystemPowerStatus tells it.
BOOL WINAPI ReportOnBattery(LPSYSTEM_POWER_STATUS status)
{
    *status = SYSTEM_POWER_STATUS();
    status->ACLineStatus = AC_LINE_OFFLINE;
    return TRUE;
}

// A system without virtual-screen metrics (Windows 95, NT 4.0): they read 0.
int(WINAPI* realGetSystemMetrics)(int);
int WINAPI NoVirtualScreenMetrics(int index)
{
    bool virtualScreen = index == SM_XVIRTUALSCREEN || index == SM_YVIRTUALSCREEN || index == SM_CXVIRTUALSCREEN ||
                         index == SM_CYVIRTUALSCREEN;
    return virtualScreen ? 0 : realGetSystemMetrics(index);
}

// The input method's attachment to windows, through the entry the saver finds in IMM32.
const HIMC TYPISTS_CONTEXT = reinterpret_cast<HIMC>(0x5A5A);
std::vector<std::pair<HWND, HIMC>> contextsAssociated;
HIMC WINAPI NoteAssociateContext(HWND window, HIMC context)
{
    contextsAssociated.push_back({window, context});
    return context ? nullptr : TYPISTS_CONTEXT;
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHostBetweenRuns();
        RemoveSettingsFile();
    }
    void TearDown() override { ResetHostBetweenRuns(); }
};

}  // namespace

TEST_F(SaverWindow, FullScreenCoversTheVirtualScreenTopMostAndRunsItsLoop)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    int result = RunSaverWith(nullptr, [] {
        WNDCLASSA registered = {};
        ASSERT_TRUE(GetClassInfoA(hostState.moduleInstance, SAVER_WINDOW_CLASS, &registered));
        EXPECT_EQ(registered.style, 0x2Bu);
        EXPECT_EQ(registered.hIcon, nullptr) << "no icon under id 100";
        EXPECT_EQ(registered.hCursor, nullptr);
        EXPECT_EQ(registered.hbrBackground, GetStockObject(BLACK_BRUSH));
        EXPECT_EQ(registered.lpfnWndProc, SaverWindowProc);

        ASSERT_NE(hostState.saverWindow, nullptr);
        EXPECT_EQ(FindWindowA(SAVER_WINDOW_CLASS, "Screen Saver"), hostState.saverWindow);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hostState.saverWindow, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
        EXPECT_TRUE(GetWindowLongA(hostState.saverWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT frame;
        GetWindowRect(hostState.saverWindow, &frame);
        EXPECT_EQ(frame.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
        EXPECT_EQ(frame.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
        EXPECT_EQ(frame.right - frame.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_EQ(frame.bottom - frame.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        EXPECT_EQ(GetForegroundWindow(), hostState.saverWindow);
        EXPECT_EQ(GetCursor(), nullptr) << "full-screen creation hides the pointer";
        EXPECT_EQ(hostState.isPreview, 0);
        EXPECT_EQ(hostState.autoPlayMessage, 0u) << "outside the 9x family";

        EXPECT_EQ(SendMessageA(hostState.saverWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed")), 0);
        char title[32];
        GetWindowTextA(hostState.saverWindow, title, sizeof title);
        EXPECT_STREQ(title, "Screen Saver");
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(hostState.saverWindow));
    EXPECT_EQ(flameCanvas.heat, nullptr) << "the effect let go of its canvas";
}

TEST_F(SaverWindow, FullScreenSwallowsSwitchingAndItsOwnStartAndEndsWhenTheMonitorGoesOff)
{
    RunSaverWith(nullptr, [] {
        for (WPARAM swallowed : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW})
            EXPECT_EQ(SendMessageA(hostState.saverWindow, WM_SYSCOMMAND, swallowed, 0), 0);
        EXPECT_EQ(TakePostedCloses(hostState.saverWindow), 0);
        SendMessageA(hostState.saverWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
        EXPECT_EQ(TakePostedCloses(hostState.saverWindow), 1);
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
}

TEST_F(SaverWindow, APreviewFillsItsParentRelaysHelpToItAndPassesSystemCommandsOn)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    HWND parent = CreateSilentPreviewParent();
    int result = RunSaverWith(parent, [parent, arrow] {
        ASSERT_NE(hostState.saverWindow, nullptr);
        EXPECT_EQ(GetParent(hostState.saverWindow), parent);
        EXPECT_EQ(hostState.isPreview, 1);
        char title[32];
        GetWindowTextA(hostState.saverWindow, title, sizeof title);
        EXPECT_STREQ(title, "Preview");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hostState.saverWindow, GWL_STYLE)) & 0xFFFF0000u, 0x52000000u);
        EXPECT_EQ(GetWindowLongA(hostState.saverWindow, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        RECT client;
        GetClientRect(hostState.saverWindow, &client);
        EXPECT_EQ(client.right, 152);
        EXPECT_EQ(client.bottom, 112);
        POINT corner = {0, 0};
        MapWindowPoints(hostState.saverWindow, parent, &corner, 1);
        EXPECT_EQ(corner.x, 0);
        EXPECT_EQ(corner.y, 0);
        EXPECT_EQ(flameCanvas.clientWidth, 152);
        EXPECT_EQ(GetCursor(), arrow) << "a preview leaves the pointer alone";

        EXPECT_EQ(SendMessageA(hostState.saverWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hostState.saverWindow),
                               MAKELPARAM(70, 80)),
                  1);
        PumpMessages();
        EXPECT_EQ(relayedToPreviewParent.message, static_cast<UINT>(WM_CONTEXTMENU));
        EXPECT_EQ(relayedToPreviewParent.wParam, reinterpret_cast<WPARAM>(parent));
        EXPECT_EQ(relayedToPreviewParent.lParam, MAKELPARAM(70, 80));
        // Help carries a pointer, which the platform may refuse to post;
        // the preview answers 1 either way.
        HELPINFO help = {sizeof help, HELPINFO_WINDOW, 0, hostState.saverWindow, 0, {1, 2}};
        EXPECT_EQ(SendMessageA(hostState.saverWindow, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
        PumpMessages();

        // Input (the closing rules' preview case) and system commands never end a preview.
        SendMessageA(hostState.saverWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
        EXPECT_EQ(TakePostedCloses(hostState.saverWindow), 0);
        DestroyWindow(parent);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(SaverWindow, ARunningSaverIsBroughtForwardInsteadOfASecondOne)
{
    // Another program's saver window, of its own class registration.
    WNDCLASSA otherClass = {};
    otherClass.lpfnWndProc = DefWindowProcA;
    otherClass.hInstance = GetModuleHandleA("kernel32.dll");
    otherClass.lpszClassName = SAVER_WINDOW_CLASS;
    ASSERT_TRUE(RegisterClassA(&otherClass));
    HWND running = CreateWindowExA(0, SAVER_WINDOW_CLASS, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                   nullptr, otherClass.hInstance, nullptr);
    ASSERT_NE(running, nullptr);
    HWND other = CreateSilentPreviewParent();
    SetForegroundWindow(other);

    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    EXPECT_EQ(hostState.saverWindow, nullptr);
    EXPECT_EQ(GetForegroundWindow(), running);
    WNDCLASSA registered;
    EXPECT_FALSE(GetClassInfoA(hostState.moduleInstance, SAVER_WINDOW_CLASS, &registered)) << "no class registered";
    EXPECT_EQ(hostState.verifierModule, nullptr);

    // A preview is made all the same.
    HWND parent = CreateSilentPreviewParent();
    bool made = false;
    RunSaverWith(parent, [parent, &made] {
        made = hostState.saverWindow != nullptr && IsWindow(hostState.saverWindow);
        DestroyWindow(parent);
    });
    EXPECT_TRUE(made);
    DestroyWindow(other);
    DestroyWindow(running);
    UnregisterClassA(SAVER_WINDOW_CLASS, otherClass.hInstance);
}

TEST_F(SaverWindow, OnceCloseIsApprovedTicksAndPaintBypassTheEffect)
{
    RunSaverWith(nullptr, [] {
        hostState.closeApproved = 1;
        uint32_t frames = flameCanvas.frameCount;
        EXPECT_EQ(SendMessageA(hostState.saverWindow, WM_TIMER, EFFECT_TIMER_ID, 0), 0);
        EXPECT_EQ(flameCanvas.frameCount, frames);
        InvalidateRect(hostState.saverWindow, nullptr, FALSE);
        UpdateWindow(hostState.saverWindow);
        EXPECT_FALSE(GetUpdateRect(hostState.saverWindow, nullptr, FALSE));
        EXPECT_EQ(flameCanvas.frameCount, frames);
        hostState.closeApproved = 0;
        SendMessageA(hostState.saverWindow, WM_TIMER, EFFECT_TIMER_ID, 0);
        EXPECT_EQ(flameCanvas.frameCount, frames + 1);
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
}

namespace {

bool gaveUp;

void CALLBACK GiveUpOnTheSaver(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    gaveUp = true;
    DestroyWindow(hostState.saverWindow);
}

}  // namespace

TEST_F(SaverWindow, AFailedCheckInsideTheLoopStillEndsTheSaver)
{
    ::testing::TestPartResultArray failures;
    gaveUp = false;
    UINT_PTR watchdog = SetTimer(nullptr, 0, GIVE_UP_MS, GiveUpOnTheSaver);
    int result;
    {
        ::testing::ScopedFakeTestPartResultReporter intercept(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        result = RunSaverWith(nullptr, [] {
            ASSERT_TRUE(false) << "a deliberate failure";
            PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
        });
    }
    KillTimer(nullptr, watchdog);
    EXPECT_FALSE(gaveUp) << "the saver ran on after the failed check";
    EXPECT_EQ(result, 0);
    ASSERT_GE(failures.size(), 1);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("a deliberate failure"), std::string::npos);
}

TEST_F(SaverWindow, AWindowThatCannotBeMadeIsAFailure)
{
    const int FAILED = -1;
    struct Case {
        const char* what;
        std::function<HWND()> prepare;
    };
    const Case cases[] = {
        {"the class is taken",
         [] {
             RegisterTestClass(SAVER_WINDOW_CLASS, DefWindowProcA);
             return static_cast<HWND>(nullptr);
         }},
        {"the preview's parent is gone",
         [] {
             HWND parent = CreateSilentPreviewParent();
             DestroyWindow(parent);
             return parent;
         }},
    };
    for (const Case& failing : cases) {
        ResetHostBetweenRuns();
        HWND parent = failing.prepare();
        EXPECT_EQ(RunSaverWindow(parent), FAILED) << failing.what;
        EXPECT_FALSE(IsWindow(hostState.saverWindow)) << failing.what;
        EXPECT_EQ(hostState.verifierModule, nullptr) << failing.what;
    }
}

// A laptop's first power broadcast compares with the AC line status read at the start, not with "unknown".
TEST_F(SaverWindow, ALaptopsFirstPowerStatusBroadcastLeavesTheSaverRunning)
{
    auto realStatus = ReplaceImport("GetSystemPowerStatus", ReportOnBattery);
    RunSaverWith(nullptr, [] {
        SendMessageA(hostState.saverWindow, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        EXPECT_EQ(TakePostedCloses(hostState.saverWindow), 0);
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
    ReplaceImport("GetSystemPowerStatus", realStatus);
}

TEST_F(SaverWindow, WithoutVirtualScreenMetricsTheScreensClipBoxIsCovered)
{
    RECT box = {};
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &box);
    ReleaseDC(nullptr, screen);
    ASSERT_GT(box.right - box.left, 0);
    realGetSystemMetrics = ReplaceImport("GetSystemMetrics", NoVirtualScreenMetrics);
    RECT frame = {};
    RunSaverWith(nullptr, [&frame] {
        GetWindowRect(hostState.saverWindow, &frame);
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
    ReplaceImport("GetSystemMetrics", realGetSystemMetrics);
    EXPECT_TRUE(EqualRect(&frame, &box)) << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
}

// Keys typed at the saver go to no input method, and the typist's gets its window back afterwards.
TEST_F(SaverWindow, TheInputMethodIsDetachedForTheRunAndGivenBack)
{
    ASSERT_NE(LoadLibraryA("IMM32.DLL"), nullptr);
    contextsAssociated.clear();
    OfferEntry("ImmAssociateContext", AsEntry(NoteAssociateContext));
    HWND saver = nullptr;
    RunSaverWith(nullptr, [&saver] {
        saver = hostState.saverWindow;
        EXPECT_EQ(contextsAssociated, (std::vector<std::pair<HWND, HIMC>>{{saver, nullptr}}));
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
    StopOfferingEntry();
    EXPECT_EQ(contextsAssociated, (std::vector<std::pair<HWND, HIMC>>{{saver, nullptr}, {saver, TYPISTS_CONTEXT}}));
}
