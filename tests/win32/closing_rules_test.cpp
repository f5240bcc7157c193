// The closing rules of the saver window, on a real window whose procedure ends in
// DefaultSaverProc, with the real cursor and, for the password cases, the
// "PASSWORD.CPL" double beside this executable.
#include <gtest/gtest.h>

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

typedef void(WINAPI* VerifierWhileOpen)(HWND owner);
typedef void(WINAPI* ResetVerifierEntry)();
typedef void(WINAPI* SetAnswersEntry)(const char* answers);
typedef int(WINAPI* VerifierCallsEntry)();
typedef HWND(WINAPI* LastOwnerEntry)();
typedef void(WINAPI* SetWhileOpenEntry)(VerifierWhileOpen whileOpen);

// The controls of the verifier double, reached through the test's own reference.
struct VerifierControls {
    HMODULE module;
    ResetVerifierEntry reset;
    SetAnswersEntry setAnswers;
    VerifierCallsEntry calls;
    LastOwnerEntry lastOwner;
    SetWhileOpenEntry setWhileOpen;
};
VerifierControls verifierDouble;

LRESULT CALLBACK TestSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultSaverProc(window, message, wParam, lParam);
}

HWND MakeTestWindow()
{
    return CreateWindowExA(0, TEST_CLASS, "Screen Saver", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

int CloseIsQueued(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE);
}

POINT CursorNow()
{
    POINT cursor{-1, -1};
    GetCursorPos(&cursor);
    return cursor;
}

void MoveCursorTo(int x, int y)
{
    SetCursorPos(x, y);
    POINT cursor = CursorNow();
    ASSERT_EQ(cursor.x, x);
    ASSERT_EQ(cursor.y, y);
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
        ResetHostState();
        window = MakeTestWindow();
        ASSERT_NE(window, nullptr);
        MoveCursorTo(START_X, START_Y);
        startCursor = POINT{START_X, START_Y};
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        if (verifierModule)
            FreeLibrary(verifierModule);
        if (verifierDouble.module) {
            verifierDouble.setWhileOpen(nullptr);
            FreeLibrary(verifierDouble.module);
        }
        verifierDouble = VerifierControls();
        ResetHostState();
        PumpPendingMessages();
    }

    // The 9x family with password protection: the saver holds the double as its
    // verifier, and the test holds its own reference for the controls.
    void UseVerifier(const char* answers)
    {
        verifierDouble.module = LoadLibraryA(VERIFIER_LIBRARY);
        ASSERT_NE(verifierDouble.module, nullptr) << "the PASSWORD.CPL double is not beside the test";
        verifierDouble.reset = FindEntry<ResetVerifierEntry>(verifierDouble.module, "DoubleResetVerifier");
        verifierDouble.setAnswers = FindEntry<SetAnswersEntry>(verifierDouble.module, "DoubleSetVerifierAnswers");
        verifierDouble.calls = FindEntry<VerifierCallsEntry>(verifierDouble.module, "DoubleVerifierCalls");
        verifierDouble.lastOwner = FindEntry<LastOwnerEntry>(verifierDouble.module, "DoubleLastVerifierOwner");
        verifierDouble.setWhileOpen = FindEntry<SetWhileOpenEntry>(verifierDouble.module, "DoubleSetVerifierWhileOpen");
        ASSERT_TRUE(verifierDouble.reset && verifierDouble.setAnswers && verifierDouble.calls &&
                    verifierDouble.lastOwner && verifierDouble.setWhileOpen);
        verifierDouble.reset();
        verifierDouble.setAnswers(answers);

        win9xFamily = 1;
        verifierModule = LoadLibraryA(VERIFIER_LIBRARY);
        verifierEntry = FindEntry<VerifyScreenSavePwdEntry>(verifierModule, "VerifyScreenSavePwd");
        ASSERT_NE(verifierEntry, nullptr);
    }

    int VerifierCalls() { return verifierDouble.calls(); }

    HWND window = nullptr;
};

// --- Mouse travel -----------------------------------------------------------------

TEST_F(ClosingRules, TravelOfFourIsWithinTheSlackAndFiveCloses)
{
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 3, START_Y + 1), 0);
    EXPECT_EQ(startCursor.x, START_X);
    EXPECT_EQ(startCursor.y, START_Y);

    EXPECT_EQ(MoveAndCountCloses(window, START_X + 3, START_Y + 2), 1);
    EXPECT_EQ(startCursor.x, START_X + 3);
    EXPECT_EQ(startCursor.y, START_Y + 2);

    EXPECT_EQ(MoveAndCountCloses(window, START_X + 3, START_Y + 2 - 4), 0) << "measured from the new start";
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 3 - 1, START_Y + 2 - 4), 1) << "leftwards and upwards count too";
    EXPECT_TRUE(IsWindow(window)) << "a close request is only queued";
}

TEST_F(ClosingRules, TravelIsMeasuredFromTheStartNotFromTheLastMove)
{
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 2, START_Y), 0);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 4, START_Y), 0);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 6, START_Y), 1);
}

TEST_F(ClosingRules, AMoveMessageWithoutTravelPostsNothing)
{
    EXPECT_EQ(MoveAndCountCloses(window, START_X, START_Y), 0);
    EXPECT_EQ(startCursor.x, START_X);
    EXPECT_EQ(startCursor.y, START_Y);
}

// --- Keys, buttons and activation ------------------------------------------------------

TEST_F(ClosingRules, KeyAndButtonPressesClose)
{
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        LRESULT result = SendMessageA(window, message, 'A', 0);
        EXPECT_EQ(result, DefWindowProcA(window, message, 'A', 0)) << "message " << message;
        EXPECT_EQ(TakePostedCloses(window), 1) << "message " << message;
    }
}

TEST_F(ClosingRules, ReleasesAndDoubleClicksDoNotClose)
{
    for (UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_CHAR, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONDBLCLK,
                         WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) {
        SendMessageA(window, message, 'A', 0);
        EXPECT_EQ(TakePostedCloses(window), 0) << "message " << message;
    }
}

TEST_F(ClosingRules, LosingActivationClosesAndGainingItDoesNot)
{
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
}

TEST_F(ClosingRules, AfterTheCloseIsApprovedNoRuleRuns)
{
    closeApproved = 1;
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 50, START_Y), 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
}

// --- Power events ---------------------------------------------------------------------

TEST_F(ClosingRules, PowerBroadcastEventsCloseAsTabled)
{
    struct Case {
        WPARAM event;
        LPARAM flags;
        int closes;
    };
    const Case cases[] = {
        {PBT_APMQUERYSUSPEND, 0, 1},
        {PBT_APMQUERYSTANDBY, 0, 1},
        {PBT_APMQUERYSUSPENDFAILED, 0, 1},
        {PBT_APMQUERYSTANDBYFAILED, 0, 1},
        {PBT_APMSUSPEND, 0, 1},
        {PBT_APMSTANDBY, 0, 1},
        {PBT_APMRESUMECRITICAL, 0, 1},
        {PBT_APMRESUMECRITICAL, RESUMED_FROM_FAILURE, 0},
        {PBT_APMRESUMESUSPEND, 0, 1},
        {PBT_APMRESUMESUSPEND, RESUMED_FROM_FAILURE, 0},
        {PBT_APMRESUMESTANDBY, 0, 1},
        {PBT_APMRESUMESTANDBY, RESUMED_FROM_FAILURE, 0},
        {PBT_APMRESUMESUSPEND, 2, 1},
        {PBT_APMRESUMESUSPEND, 3, 0},
        {PBT_APMBATTERYLOW, 0, 1},
        {PBT_APMBATTERYLOW, RESUMED_FROM_FAILURE, 1},
        {PBT_APMOEMEVENT, 0, 1},
        {17, RESUMED_FROM_FAILURE, 1},
        {PBT_APMRESUMEAUTOMATIC, 0, 1},
        {PBT_APMRESUMEAUTOMATIC, RESUMED_FROM_FAILURE, 0},
        {19, 0, 1},
        {19, RESUMED_FROM_FAILURE, 1},
        {PBT_POWERSETTINGCHANGE, 0, 1},
        {static_cast<WPARAM>(-1), RESUMED_FROM_FAILURE, 1},
    };
    for (const Case& c : cases) {
        SendMessageA(window, WM_POWERBROADCAST, c.event, c.flags);
        EXPECT_EQ(TakePostedCloses(window), c.closes) << "event " << c.event << " flags " << c.flags;
    }
}

TEST_F(ClosingRules, ASuspendQueryClosesAndKeepsTheDefaultAnswer)
{
    LRESULT answer = SendMessageA(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
    EXPECT_EQ(answer, DefWindowProcA(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0));
}

TEST_F(ClosingRules, APowerStatusChangeClosesOnlyWhenTheAcLineChanged)
{
    SYSTEM_POWER_STATUS status;
    BYTE reported = GetSystemPowerStatus(&status) ? status.ACLineStatus : AC_LINE_UNKNOWN;

    acLineStatus = reported;
    SendMessageA(window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
    EXPECT_EQ(acLineStatus, reported);

    acLineStatus = reported == AC_LINE_OFFLINE ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
    SendMessageA(window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
    EXPECT_EQ(acLineStatus, reported) << "the new status is kept";
}

TEST_F(ClosingRules, OnlyACriticalResumeOfTheOldPowerMessageCloses)
{
    for (WPARAM event : {PWR_SUSPENDREQUEST, PWR_SUSPENDRESUME}) {
        SendMessageA(window, WM_POWER, event, 0);
        EXPECT_EQ(TakePostedCloses(window), 0) << "event " << event;
    }
    SendMessageA(window, WM_POWER, PWR_CRITICALRESUME, 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
}

// --- The pointer ----------------------------------------------------------------------

TEST_F(ClosingRules, SetCursorHidesThePointerWithoutTheDefaultHandling)
{
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), CURSOR_OVER_CLIENT), 1);
    EXPECT_EQ(GetCursor(), nullptr) << "the default handling would show the class's arrow";
    EXPECT_EQ(TakePostedCloses(window), 0);
}

TEST_F(ClosingRules, SetCursorInAPreviewGetsTheDefaultHandling)
{
    isPreview = 1;
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    LRESULT result = SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), CURSOR_OVER_CLIENT);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(result, DefWindowProcA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), CURSOR_OVER_CLIENT));
}

TEST_F(ClosingRules, BeingShownHidesThePointer)
{
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_EQ(GetCursor(), arrow);
    SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(TakePostedCloses(window), 0);
}

// --- Closing with and without the password ---------------------------------------------

TEST_F(ClosingRules, OutsideTheNineXFamilyACloseDestroysAtOnceAndTheVerifyRequestIsDefault)
{
    UseVerifier("0");
    win9xFamily = 0;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), DefWindowProcA(window, WM_APP, 0, 0));
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(VerifierCalls(), 0);
}

TEST_F(ClosingRules, OnTheNineXFamilyWithoutVerifierACloseIsApprovedAtOnce)
{
    win9xFamily = 1;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(closeApproved);
}

TEST_F(ClosingRules, TheVerifyRequestAsksTheVerifierForTheWindow)
{
    UseVerifier("10");
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
    EXPECT_EQ(VerifierCalls(), 2);
    EXPECT_EQ(verifierDouble.lastOwner(), window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(closeApproved) << "the request alone approves nothing";
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
    EXPECT_EQ(VerifierCalls(), 1);
    EXPECT_EQ(verifierDouble.lastOwner(), window);
    EXPECT_FALSE(closeApproved);
    EXPECT_FALSE(verifying);
    EXPECT_EQ(startCursor.x, START_X + 40);
    EXPECT_EQ(startCursor.y, START_Y + 30);
    EXPECT_EQ(GetCursor(), nullptr) << "the pointer the dialog showed is hidden again";
    EXPECT_LE(lastVerifyTick - before, after - before) << "the end of the dialog is remembered";
    EXPECT_EQ(TakePostedCloses(window), 0);
}

TEST_F(ClosingRules, WithinTwoHundredMillisecondsOfTheDialogNoNewOneOpens)
{
    UseVerifier("001");
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(VerifierCalls(), 1) << "right after the dialog";

    lastVerifyTick = GetTickCount() - 150;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(VerifierCalls(), 1) << "150 ms after the dialog";

    lastVerifyTick = GetTickCount() - 200;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(VerifierCalls(), 2) << "200 ms after the dialog";
    EXPECT_TRUE(IsWindow(window));

    Sleep(250);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(VerifierCalls(), 3) << "after a real wait";
    EXPECT_FALSE(IsWindow(window)) << "the third answer accepts";
}

TEST_F(ClosingRules, TheGuardCountsTicksModuloTheirWrapAround)
{
    UseVerifier("0");
    lastVerifyTick = GetTickCount() + 50;  // 2^32 - 50 ms ago, as seen after the counter wrapped
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(VerifierCalls(), 1);
}

TEST_F(ClosingRules, AnAcceptedPasswordLetsTheDefaultHandlingDestroyTheWindow)
{
    UseVerifier("1");
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(VerifierCalls(), 1);
    EXPECT_TRUE(closeApproved);
    EXPECT_FALSE(IsWindow(window));
}

// What the saver window did while the verifier's "dialog" was open.
struct DialogObservations {
    int verifyingWhileOpen;
    int closesQueuedWhileOpen;
    LRESULT nestedCloseResult;
    int callsWhileOpen;
    int saverTicksWhileOpen;
    int otherTicksWhileOpen;
    int otherMessagesWhileOpen;
};
DialogObservations seen;
HWND otherWindow;
VerifierCallsEntry callsWhileOpen;

void WINAPI UseTheSaverWhileOpen(HWND owner)
{
    seen.verifyingWhileOpen = verifying;
    SetCursorPos(START_X + 60, START_Y + 60);
    SendMessageA(owner, WM_MOUSEMOVE, 0, FAR_AWAY);
    SendMessageA(owner, WM_KEYDOWN, 'A', 0);
    SendMessageA(owner, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(owner, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageA(owner, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    seen.closesQueuedWhileOpen = CloseIsQueued(owner);
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
    EXPECT_EQ(seen.closesQueuedWhileOpen, 0);
    EXPECT_EQ(seen.nestedCloseResult, 0);
    EXPECT_EQ(seen.callsWhileOpen, 1) << "a second dialog opened";
    EXPECT_EQ(VerifierCalls(), 1);
    EXPECT_EQ(TakePostedCloses(window), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(verifying);
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

// --- The preview ---------------------------------------------------------------------

TEST_F(ClosingRules, InAPreviewNothingClosesAndACloseDestroysAtOnce)
{
    UseVerifier("0");
    isPreview = 1;
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageA(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageA(window, WM_POWER, PWR_CRITICALRESUME, 0);
    EXPECT_EQ(MoveAndCountCloses(window, START_X + 50, START_Y + 50), 0);
    EXPECT_EQ(TakePostedCloses(window), 0);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(VerifierCalls(), 0);
}

// --- The autoplay query ----------------------------------------------------------------

TEST_F(ClosingRules, TheAutoplayQueryClosesAndCancelsOnlyWithAVerifier)
{
    autoPlayMessage = RegisterWindowMessageA(AUTOPLAY_MESSAGE_NAME);
    ASSERT_NE(autoPlayMessage, 0u);
    EXPECT_EQ(SendMessageA(window, autoPlayMessage, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 1);

    UseVerifier("0");
    EXPECT_EQ(SendMessageA(window, autoPlayMessage, 0, 0), 1);
    EXPECT_EQ(TakePostedCloses(window), 1);
    EXPECT_EQ(VerifierCalls(), 0);
}

TEST_F(ClosingRules, AnAutoplayIdOfZeroNeverMatches)
{
    UseVerifier("0");
    autoPlayMessage = 0;
    EXPECT_EQ(SendMessageA(window, WM_NULL, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
}

}  // namespace
