// The closing rules of the saver window, on a real window whose procedure ends in
// DefaultSaverProc, with the real cursor and, for the password cases, the
// "PASSWORD.CPL" double beside this executable.
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "host_state.h"
#include "win_test_support.h"

namespace {

const char TEST_CLASS[] = "TamblornClosingRulesTest";
const char VERIFIER_LIBRARY[] = "PASSWORD.CPL";
const char AUTOPLAY_MESSAGE_NAME[] = "QueryCancelAutoPlay";
const int START_X = 500;
const int START_Y = 400;
const LPARAM CURSOR_OVER_CLIENT = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
const LPARAM FAR_AWAY = MAKELPARAM(5, 5);  // the message's own coordinates must not count
const LPARAM RESUMED_FROM_FAILURE = PBTF_APMRESUMEFROMFAILURE;

// The controls of the verifier double, reached through the test's own reference.
struct VerifierControls {
    HMODULE module;
    void(WINAPI* reset)();
    void(WINAPI* setAnswers)(const char* answers);
    int(WINAPI* calls)();
    HWND(WINAPI* lastOwner)();
    void(WINAPI* setWhileOpen)(void(WINAPI* whileOpen)(HWND owner));
};
VerifierControls verifierDouble;

LRESULT CALLBACK TestSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultSaverProc(window, message, wParam, lParam);
}

HWND MakeTestWindow()
{
    return CreateWindowExA(0, TEST_CLASS, "Screen Saver", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
}

void MoveCursorTo(int x, int y)
{
    SetCursorPos(x, y);
    POINT cursor{-1, -1};
    GetCursorPos(&cursor);
    ASSERT_TRUE(cursor.x == x && cursor.y == y);
}

// Moves the real pointer and tells the window, as the platform would.
int MoveAndCountCloses(HWND window, int x, int y)
{
    MoveCursorTo(x, y);
    SendMessageA(window, WM_MOUSEMOVE, 0, FAR_AWAY);
    return TakePostedCloses(window);
}

class ClosingRules : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterTestClass(TEST_CLASS, TestSaverProc, LoadCursor(nullptr, IDC_ARROW)); }

    void SetUp() override
    {
        hostState = HostState();
        window = MakeTestWindow();
        ASSERT_NE(window, nullptr);
        MoveCursorTo(START_X, START_Y);
        hostState.startCursor = POINT{START_X, START_Y};
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        if (hostState.verifierModule)
            FreeLibrary(hostState.verifierModule);
        if (verifierDouble.module) {
            verifierDouble.setWhileOpen(nullptr);
            FreeLibrary(verifierDouble.module);
        }
        verifierDouble = VerifierControls();
        hostState = HostState();
        PumpMessages();
    }

    // The 9x family with password protection: the saver holds the double as its
    // verifier, and the test holds its own reference for the controls.
    void UseVerifier(const char* answers)
    {
        verifierDouble.module = LoadLibraryA(VERIFIER_LIBRARY);
        ASSERT_NE(verifierDouble.module, nullptr) << "the PASSWORD.CPL double is not beside the test";
        auto find = [](auto& entry, const char* name) {
            entry = FindEntry<std::remove_reference_t<decltype(entry)>>(verifierDouble.module, name);
            return entry != nullptr;
        };
        ASSERT_TRUE(find(verifierDouble.reset, "DoubleResetVerifier") &&
                    find(verifierDouble.setAnswers, "DoubleSetVerifierAnswers") &&
                    find(verifierDouble.calls, "DoubleVerifierCalls") &&
                    find(verifierDouble.lastOwner, "DoubleLastVerifierOwner") &&
                    find(verifierDouble.setWhileOpen, "DoubleSetVerifierWhileOpen"));
        verifierDouble.reset();
        verifierDouble.setAnswers(answers);

        hostState.win9xFamily = 1;
        hostState.verifierModule = LoadLibraryA(VERIFIER_LIBRARY);
        hostState.verifierEntry = FindEntry<VerifyScreenSavePwdEntry>(hostState.verifierModule, "VerifyScreenSavePwd");
        ASSERT_NE(hostState.verifierEntry, nullptr);
    }

    HWND window = nullptr;
};

// Each input with what it does to a full-screen saver; a preview and an approved close ignore them all.
struct Input {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int closes;
};
// clang-format off
const Input INPUTS[] = {
    {WM_KEYDOWN, 'A', 0, 1}, {WM_SYSKEYDOWN, 'A', 0, 1}, {WM_LBUTTONDOWN, 0, 0, 1}, {WM_RBUTTONDOWN, 0, 0, 1},
    {WM_MBUTTONDOWN, 0, 0, 1}, {WM_KEYUP, 'A', 0, 0}, {WM_SYSKEYUP, 'A', 0, 0}, {WM_CHAR, 'A', 0, 0},
    {WM_LBUTTONUP, 0, 0, 0}, {WM_RBUTTONUP, 0, 0, 0}, {WM_MBUTTONUP, 0, 0, 0}, {WM_LBUTTONDBLCLK, 0, 0, 0},
    {WM_RBUTTONDBLCLK, 0, 0, 0}, {WM_MBUTTONDBLCLK, 0, 0, 0}, {WM_ACTIVATEAPP, TRUE, 0, 0},
    {WM_ACTIVATEAPP, FALSE, 0, 1},
    {WM_NULL, 0, 0, 0},  // the autoplay id outside the 9x family is 0, which never matches
    {WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0, 1}, {WM_POWERBROADCAST, PBT_APMQUERYSTANDBY, 0, 1},
    {WM_POWERBROADCAST, PBT_APMQUERYSUSPENDFAILED, 0, 1}, {WM_POWERBROADCAST, PBT_APMQUERYSTANDBYFAILED, 0, 1},
    {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, 1}, {WM_POWERBROADCAST, PBT_APMSTANDBY, 0, 1},
    {WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, 0, 1},
    {WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, RESUMED_FROM_FAILURE, 0},
    {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, 1},
    {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, RESUMED_FROM_FAILURE, 0},
    {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 2, 1}, {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 3, 0},
    {WM_POWERBROADCAST, PBT_APMRESUMESTANDBY, 0, 1}, {WM_POWERBROADCAST, PBT_APMRESUMESTANDBY, RESUMED_FROM_FAILURE, 0},
    {WM_POWERBROADCAST, PBT_APMBATTERYLOW, 0, 1}, {WM_POWERBROADCAST, PBT_APMBATTERYLOW, RESUMED_FROM_FAILURE, 1},
    {WM_POWERBROADCAST, PBT_APMOEMEVENT, 0, 1}, {WM_POWERBROADCAST, 12, 0, 1}, {WM_POWERBROADCAST, 13, 0, 1},
    {WM_POWERBROADCAST, 14, 0, 1}, {WM_POWERBROADCAST, 15, 0, 1}, {WM_POWERBROADCAST, 16, 0, 1},
    {WM_POWERBROADCAST, 17, 0, 1},
    {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, 1},
    {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, RESUMED_FROM_FAILURE, 0},
    {WM_POWERBROADCAST, 19, 0, 1}, {WM_POWERBROADCAST, 19, RESUMED_FROM_FAILURE, 1},
    {WM_POWERBROADCAST, static_cast<WPARAM>(-1), 0, 1},
    {WM_POWER, PWR_SUSPENDREQUEST, 0, 0}, {WM_POWER, PWR_SUSPENDRESUME, 0, 0}, {WM_POWER, PWR_CRITICALRESUME, 0, 1}};
// clang-format on

// Sends every input; each must keep the default answer and post `closes` or, if `ignored`, nothing.
void SendEveryInput(HWND window, bool ignored)
{
    for (const Input& input : INPUTS) {
        LRESULT result = SendMessageA(window, input.message, input.wParam, input.lParam);
        EXPECT_EQ(result, DefWindowProcA(window, input.message, input.wParam, input.lParam));
        EXPECT_EQ(TakePostedCloses(window), ignored ? 0 : input.closes)
            << "message " << input.message << " " << input.wParam << " " << input.lParam;
    }
}

TEST_F(ClosingRules, TravelOfFourIsWithinTheSlackAndFiveClosesMeasuredFromTheStart)
{
    struct Move {
        int x, y, closes;
    };
    const Move moves[] = {{START_X, START_Y, 0},         {START_X + 3, START_Y + 1, 0}, {START_X + 3, START_Y + 2, 1},
                          {START_X + 3, START_Y - 2, 0}, {START_X + 2, START_Y - 2, 1}, {START_X + 4, START_Y - 2, 0},
                          {START_X + 6, START_Y - 2, 0}, {START_X + 8, START_Y - 2, 1}};
    for (const Move& move : moves) {
        SCOPED_TRACE(::testing::Message() << move.x - START_X << "," << move.y - START_Y);
        EXPECT_EQ(MoveAndCountCloses(window, move.x, move.y), move.closes);
        if (move.closes) {
            EXPECT_EQ(hostState.startCursor.x, move.x);
            EXPECT_EQ(hostState.startCursor.y, move.y);
        }
    }
    EXPECT_TRUE(IsWindow(window)) << "a close request is only queued";
}

TEST_F(ClosingRules, DownsLosingActivationAndPowerEventsCloseAsTabled)
{
    SendEveryInput(window, false);
}

TEST_F(ClosingRules, APowerStatusChangeClosesOnlyWhenTheAcLineChanged)
{
    SYSTEM_POWER_STATUS status;
    BYTE reported = GetSystemPowerStatus(&status) ? status.ACLineStatus : AC_LINE_UNKNOWN;
    const BYTE other = reported == AC_LINE_OFFLINE ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
    for (BYTE held : {reported, other}) {
        hostState.acLineStatus = held;
        SendMessageA(window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        EXPECT_EQ(TakePostedCloses(window), held == reported ? 0 : 1);
        EXPECT_EQ(hostState.acLineStatus, reported) << "the new status is kept";
    }
}

TEST_F(ClosingRules, AfterTheCloseIsApprovedNoRuleRuns)
{
    hostState.closeApproved = 1;
    SendEveryInput(window, true);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 50, START_Y), 0);
}

TEST_F(ClosingRules, TheSaverHidesThePointerWithoutTheDefaultHandlingAndAPreviewGetsIt)
{
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_EQ(GetCursor(), arrow);
    SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(GetCursor(), nullptr) << "being shown hides it";

    const WPARAM self = reinterpret_cast<WPARAM>(window);
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, self, CURSOR_OVER_CLIENT), 1);
    EXPECT_EQ(GetCursor(), nullptr) << "the default handling would show the class's arrow";

    hostState.isPreview = 1;
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    LRESULT result = SendMessageA(window, WM_SETCURSOR, self, CURSOR_OVER_CLIENT);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(result, DefWindowProcA(window, WM_SETCURSOR, self, CURSOR_OVER_CLIENT));
    EXPECT_EQ(TakePostedCloses(window), 0);
}

// --- Closing with and without the password ---------------------------------------------

TEST_F(ClosingRules, OutsideTheNineXFamilyACloseDestroysAtOnceAndTheVerifyRequestIsDefault)
{
    UseVerifier("0");
    hostState.win9xFamily = 0;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), DefWindowProcA(window, WM_APP, 0, 0));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(verifierDouble.calls(), 0);
}

TEST_F(ClosingRules, OnTheNineXFamilyWithoutVerifierACloseIsApprovedAtOnce)
{
    hostState.win9xFamily = 1;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(hostState.closeApproved);
}

TEST_F(ClosingRules, TheVerifyRequestAsksTheVerifierForTheWindow)
{
    UseVerifier("10");
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
    EXPECT_EQ(verifierDouble.calls(), 2);
    EXPECT_EQ(verifierDouble.lastOwner(), window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(hostState.closeApproved) << "the request alone approves nothing";
}

TEST_F(ClosingRules, ARefusedPasswordKeepsTheSaverAndTakesTheNewStart)
{
    UseVerifier("0");
    MoveCursorTo(START_X + 40, START_Y + 30);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    DWORD before = GetTickCount();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    DWORD after = GetTickCount();

    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(verifierDouble.calls(), 1);
    EXPECT_EQ(verifierDouble.lastOwner(), window);
    EXPECT_FALSE(hostState.closeApproved);
    EXPECT_FALSE(hostState.verifying);
    EXPECT_EQ(hostState.startCursor.x, START_X + 40);
    EXPECT_EQ(hostState.startCursor.y, START_Y + 30);
    EXPECT_EQ(GetCursor(), nullptr) << "the pointer the dialog showed is hidden again";
    EXPECT_LE(hostState.lastVerifyTick - before, after - before) << "the end of the dialog is remembered";
    EXPECT_EQ(TakePostedCloses(window), 0);
}

const DWORD PAST_THE_GUARD_MS = 250;
const DWORD TICK_WAIT_MS = 10;
const int TICK_WAITS = 6000;

// The last step's tick lies 2^32 - 50 ms back, as seen after the counter wrapped.
TEST_F(ClosingRules, WithinTwoHundredMillisecondsOfTheDialogNoNewOneOpens)
{
    UseVerifier("0001");
    struct Step {
        DWORD sinceDialog;
        int calls;
    };
    const Step steps[] = {{0, 1}, {0, 1}, {150, 1}, {200, 2}, {static_cast<DWORD>(-50), 3}};
    for (const Step& step : steps) {
        if (step.sinceDialog)
            hostState.lastVerifyTick = GetTickCount() - step.sinceDialog;
        EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0) << step.sinceDialog << " ms after the dialog";
        EXPECT_EQ(verifierDouble.calls(), step.calls) << step.sinceDialog << " ms after the dialog";
    }
    EXPECT_TRUE(IsWindow(window));
    // Until the system's tick count is past the guard: on a busy machine Wine's count lagged a fixed sleep.
    for (int waits = 0; waits < TICK_WAITS && GetTickCount() - hostState.lastVerifyTick < PAST_THE_GUARD_MS; ++waits)
        Sleep(TICK_WAIT_MS);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(verifierDouble.calls(), 4) << "after a real wait";
    EXPECT_TRUE(hostState.closeApproved);
    EXPECT_FALSE(IsWindow(window)) << "the fourth answer accepts and the default handling destroys";
}
// What the saver window did while the verifier's "dialog" was open.
struct DialogObservations {
    int verifyingWhileOpen;
    LRESULT nestedCloseResult;
    int callsWhileOpen;
    int saverTicksWhileOpen;
    int otherTicksWhileOpen;
    int otherMessagesWhileOpen;
};
DialogObservations seen;
HWND otherWindow;
decltype(VerifierControls::calls) callsWhileOpen;

void WINAPI UseTheSaverWhileOpen(HWND owner)
{
    seen.verifyingWhileOpen = hostState.verifying;
    SetCursorPos(START_X + 60, START_Y + 60);
    SendMessageA(owner, WM_MOUSEMOVE, 0, FAR_AWAY);
    SendEveryInput(owner, true);
    seen.nestedCloseResult = SendMessageA(owner, WM_CLOSE, 0, 0);
    seen.callsWhileOpen = callsWhileOpen();
}

void WINAPI CountQueuedTicksWhileOpen(HWND owner)
{
    seen.saverTicksWhileOpen = TakeQueued(owner, WM_TIMER);
    seen.otherTicksWhileOpen = TakeQueued(otherWindow, WM_TIMER);
    seen.otherMessagesWhileOpen = TakeQueued(owner, WM_USER);
}

TEST_F(ClosingRules, InputDuringTheDialogPostsNothingAndANestedCloseIsRefused)
{
    UseVerifier("0");
    seen = DialogObservations();
    callsWhileOpen = verifierDouble.calls;
    verifierDouble.setWhileOpen(UseTheSaverWhileOpen);

    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(seen.verifyingWhileOpen, 1);
    EXPECT_EQ(seen.nestedCloseResult, 0);
    EXPECT_EQ(seen.callsWhileOpen, 1) << "a second dialog opened";
    EXPECT_EQ(verifierDouble.calls(), 1);
    EXPECT_EQ(TakePostedCloses(window), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(hostState.verifying);
}

TEST_F(ClosingRules, TwoQueuedTimerTicksAreDroppedBeforeTheDialog)
{
    UseVerifier("0");
    otherWindow = MakeTestWindow();
    ASSERT_NE(otherWindow, nullptr);
    // Queued ahead of the saver's ticks: a message that is not a tick, and another window's tick.
    PostMessageA(window, WM_USER, 0, 0);
    PostMessageA(otherWindow, WM_TIMER, 1, 0);
    const int queuedTicks = 3;
    for (int tick = 0; tick < queuedTicks; ++tick)
        PostMessageA(window, WM_TIMER, 1, 0);
    seen = DialogObservations();
    verifierDouble.setWhileOpen(CountQueuedTicksWhileOpen);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(seen.saverTicksWhileOpen, 1);
    EXPECT_EQ(seen.otherTicksWhileOpen, 1) << "another window's tick was taken";
    EXPECT_EQ(seen.otherMessagesWhileOpen, 1) << "a message other than a tick was taken";
    DestroyWindow(otherWindow);
}

TEST_F(ClosingRules, InAPreviewNothingClosesAndACloseDestroysAtOnce)
{
    UseVerifier("0");
    hostState.isPreview = 1;
    SendEveryInput(window, true);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 50, START_Y + 50), 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(verifierDouble.calls(), 0);
}

TEST_F(ClosingRules, TheAutoplayQueryClosesAndCancelsOnlyWithAVerifier)
{
    hostState.autoPlayMessage = RegisterWindowMessageA(AUTOPLAY_MESSAGE_NAME);
    ASSERT_NE(hostState.autoPlayMessage, 0u);
    EXPECT_EQ(SendMessageA(window, hostState.autoPlayMessage, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 1);

    UseVerifier("0");
    EXPECT_EQ(SendMessageA(window, hostState.autoPlayMessage, 0, 0), 1);
    EXPECT_EQ(TakePostedCloses(window), 1);
    EXPECT_EQ(verifierDouble.calls(), 0);
}

}  // namespace
