#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "fault_guard.h"
#include "win_test_support.h"

namespace {

const UINT FAULT_MESSAGE = WM_APP + 1;
const UINT ECHO_MESSAGE = WM_APP + 2;
const char FAULT_CLASS[] = "TamblornFaultGuardTest";
const int NORMAL_RESULT = 7;
const int PAGE_VALUE = 42;

int cleanUps;
int outerCleanUps;
LONG filterCalls;
DWORD filteredCode;
ULONG_PTR filteredAccess;
ULONG_PTR filteredAddress;
int* readOnlyPage;
HWND faultWindow;

void CountCleanUp()
{
    ++cleanUps;
}

void CountOuterCleanUp()
{
    ++outerCleanUps;
}

int WriteThroughNull(const char*)
{
    volatile int* volatile target = nullptr;
    *target = 1;
    return NORMAL_RESULT;
}

int ReturnLength(const char* text)
{
    return static_cast<int>(strlen(text));
}

int FaultTwoCallsDeep(const char* text)
{
    return WriteThroughNull(text) + 1;
}

int FaultOneCallDeep(const char* text)
{
    return FaultTwoCallsDeep(text) + 1;
}

int WriteToReadOnlyPage(const char*)
{
    volatile int* target = readOnlyPage;
    *target = PAGE_VALUE;
    return *target;
}

// Stands in for the platform's crash dialog, which UnhandledExceptionFilter
// consults first.
LONG WINAPI RecordingFilter(EXCEPTION_POINTERS* fault)
{
    ++filterCalls;
    filteredCode = fault->ExceptionRecord->ExceptionCode;
    filteredAccess = fault->ExceptionRecord->ExceptionInformation[0];
    filteredAddress = fault->ExceptionRecord->ExceptionInformation[1];
    return EXCEPTION_EXECUTE_HANDLER;
}

LONG WINAPI RepairingFilter(EXCEPTION_POINTERS*)
{
    ++filterCalls;
    DWORD previous;
    VirtualProtect(readOnlyPage, sizeof(int), PAGE_READWRITE, &previous);
    return EXCEPTION_CONTINUE_EXECUTION;
}

LRESULT CALLBACK FaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case FAULT_MESSAGE:
        return WriteThroughNull("");
    case ECHO_MESSAGE:
        return static_cast<LRESULT>(wParam + 1);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RunMessageLoop(const char*)
{
    PostMessageA(faultWindow, FAULT_MESSAGE, 0, 0);
    PostQuitMessage(0);  // ends the loop should the fault go unnoticed
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return NORMAL_RESULT;
}

int SendFaultMessage(const char*)
{
    return static_cast<int>(SendMessageA(faultWindow, FAULT_MESSAGE, 0, 0));
}

// Each test may put its own top-level filter in place and may fault in the window's procedure.
class FaultGuard : public ::testing::Test {
protected:
    void SetUp() override
    {
        cleanUps = 0;
        filterCalls = 0;
        previousFilter = SetUnhandledExceptionFilter(nullptr);
        SetUnhandledExceptionFilter(previousFilter);
        RegisterTestClass(FAULT_CLASS, FaultWindowProc);
        faultWindow =
            CreateWindowExA(0, FAULT_CLASS, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(faultWindow, nullptr);
    }
    void TearDown() override
    {
        SetUnhandledExceptionFilter(previousFilter);
        DestroyWindow(faultWindow);
    }
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter;
};

}  // namespace

// In this order each body after the first fault runs in a guard used before.
TEST_F(FaultGuard, ABodyKeepsItsResultAndAFaultEndsItsGuardWithMinusOneAndOneCleanUp)
{
    const struct {
        const char* what;
        GuardedBody body;
        const char* text;
        FaultCleanUp cleanUp;
        int result;
        int cleanUps;
        int outerCleanUps;
    } cases[] = {
        {"a length", ReturnLength, "abcd", CountCleanUp, 4, 0, 0},
        {"no length", ReturnLength, "", CountCleanUp, 0, 0, 0},
        {"minus one returned", [](const char*) { return -1; }, "", CountCleanUp, -1, 0, 0},
        {"a write through null", WriteThroughNull, "", CountCleanUp, GUARD_FAULT_RESULT, 1, 0},
        {"the guard used again", WriteThroughNull, "", CountCleanUp, GUARD_FAULT_RESULT, 1, 0},
        {"a length after faults", ReturnLength, "xyz", CountCleanUp, 3, 0, 0},
        {"a fault two calls deep", FaultOneCallDeep, "", CountCleanUp, GUARD_FAULT_RESULT, 1, 0},
        {"the innermost guard takes the fault",
         [](const char*) { return RunGuarded(WriteThroughNull, "", CountCleanUp) + 100; }, "", CountOuterCleanUp,
         GUARD_FAULT_RESULT + 100, 1, 0},
        {"a finished inner guard leaves the outer one in charge",
         [](const char* text) { return RunGuarded(ReturnLength, text, CountCleanUp) + WriteThroughNull(text); }, "ab",
         CountOuterCleanUp, GUARD_FAULT_RESULT, 0, 1},
    };
    for (const auto& c : cases) {
        cleanUps = 0;
        outerCleanUps = 0;
        EXPECT_EQ(RunGuarded(c.body, c.text, c.cleanUp), c.result) << c.what;
        EXPECT_EQ(cleanUps, c.cleanUps) << c.what;
        EXPECT_EQ(outerCleanUps, c.outerCleanUps) << c.what;
    }
}

TEST_F(FaultGuard, ThePlatformFilterSeesTheFault)
{
    SetUnhandledExceptionFilter(RecordingFilter);
    EXPECT_EQ(RunGuarded(WriteThroughNull, "", CountCleanUp), GUARD_FAULT_RESULT);
    EXPECT_EQ(filterCalls, 1);
    EXPECT_EQ(filteredCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(filteredAccess, 1u) << "a write";
    EXPECT_EQ(filteredAddress, 0u);
    EXPECT_EQ(cleanUps, 1);
}

TEST_F(FaultGuard, AFaultThePlatformRepairsLetsTheBodyGoOn)
{
    readOnlyPage = static_cast<int*>(VirtualAlloc(nullptr, sizeof(int), MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
    ASSERT_NE(readOnlyPage, nullptr);
    SetUnhandledExceptionFilter(RepairingFilter);
    EXPECT_EQ(RunGuarded(WriteToReadOnlyPage, "", CountCleanUp), PAGE_VALUE);
    EXPECT_EQ(filterCalls, 1);
    EXPECT_EQ(cleanUps, 0);
    VirtualFree(readOnlyPage, 0, MEM_RELEASE);
}

TEST_F(FaultGuard, AFaultInADispatchedMessageIsCaught)
{
    EXPECT_EQ(RunGuarded(RunMessageLoop, "", CountCleanUp), GUARD_FAULT_RESULT);
    EXPECT_EQ(cleanUps, 1);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop ended at the fault";
    // The window and this thread's messages still work afterwards.
    EXPECT_EQ(SendMessageA(faultWindow, ECHO_MESSAGE, 41, 0), 42);
    PostMessageA(faultWindow, ECHO_MESSAGE, 0, 0);
    ASSERT_TRUE(PeekMessageA(&message, faultWindow, ECHO_MESSAGE, ECHO_MESSAGE, PM_REMOVE));
    EXPECT_EQ(DispatchMessageA(&message), 1);
}

TEST_F(FaultGuard, AFaultInASentMessageIsCaught)
{
    EXPECT_EQ(RunGuarded(SendFaultMessage, "", CountCleanUp), GUARD_FAULT_RESULT);
    EXPECT_EQ(cleanUps, 1);
    EXPECT_EQ(SendMessageA(faultWindow, ECHO_MESSAGE, 1, 0), 2);
}
