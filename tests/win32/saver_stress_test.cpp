// Message storms against running saver windows. Each harness prints what it
// tried; TAMBLORN_STRESS=1 runs the full counts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <random>

#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "saver_settings.h"
#include "win_test_support.h"

namespace {

const UINT START_CHECKS_MS = 1;
const DWORD TICK_WAIT_MS = 5000;
const int TICKS_AFTER_STORM = 5;

// Messages left out of every storm because the platform itself reads or
// writes through their parameters as pointers (in its default handling or in
// the hand-over of the message): random numbers there fault inside the
// platform, whatever the saver does.
const UINT POINTER_MESSAGES[] = {
    WM_CREATE,           WM_NCCREATE,      WM_GETTEXT,       WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING,
    WM_WINDOWPOSCHANGED, WM_NCCALCSIZE,    WM_STYLECHANGING, WM_STYLECHANGED,  WM_DRAWITEM,
    WM_MEASUREITEM,      WM_DELETEITEM,    WM_COMPAREITEM,   WM_COPYDATA,      WM_HELP,
    WM_NOTIFY,           WM_GETDLGCODE,    WM_NEXTMENU,      WM_SIZING,        WM_MOVING,
    WM_DEVICECHANGE,     WM_SETTINGCHANGE, WM_IME_CONTROL,   WM_IME_REQUEST,   WM_MDICREATE,
};

// System commands whose default handling starts the platform's own modal
// tracking (moving, sizing, scrolling, menus) or another program, and waits
// for a person; a preview passes system commands on by design.
const WPARAM MODAL_SYSTEM_COMMANDS[] = {SC_SIZE,      SC_MOVE,    SC_VSCROLL,  SC_HSCROLL,
                                        SC_MOUSEMENU, SC_KEYMENU, SC_TASKLIST, SC_SCREENSAVE};
const WPARAM SYSTEM_COMMAND_MASK = 0xFFF0;

// Messages whose default handling opens a menu or a tracking loop through
// those system commands: non-client clicks (at a caption, border or system
// menu), the system-character key and the release of the menu keys.
const UINT MODAL_INPUT_MESSAGES[] = {WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONDBLCLK,
                                     WM_NCRBUTTONUP,   WM_NCMBUTTONDOWN,   WM_SYSCHAR};
const WPARAM MENU_KEYS[] = {VK_F10, VK_MENU, VK_LMENU, VK_RMENU};

// Messages that end a preview as designed: they are the storm's end, so the
// preview storm leaves them out and the full-screen storm counts up to them.
const UINT ENDING_MESSAGES[] = {WM_CLOSE, WM_DESTROY};

// The messages the saver, the effect and the closing rules handle, drawn for
// half of the storm so that they are hit often.
const UINT HANDLED_MESSAGES[] = {
    WM_PAINT,       WM_TIMER,       WM_SIZE,       WM_SETTEXT,         WM_ACTIVATEAPP, WM_POWERBROADCAST,
    WM_SYSCOMMAND,  WM_KEYDOWN,     WM_SYSKEYDOWN, WM_KEYUP,           WM_MOUSEMOVE,   WM_LBUTTONDOWN,
    WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONUP,  WM_MOUSEWHEEL,      WM_ACTIVATE,    WM_SETCURSOR,
    WM_SHOWWINDOW,  WM_ERASEBKGND,  WM_POWER,      WM_CONTEXTMENU,     WM_SETFOCUS,    WM_KILLFOCUS,
    WM_NCHITTEST,   WM_APP,         WM_USER,       WM_QUERYENDSESSION, WM_ENDSESSION,  WM_DISPLAYCHANGE};

template <size_t N> bool IsListed(const UINT (&list)[N], UINT message)
{
    for (UINT listed : list)
        if (listed == message)
            return true;
    return false;
}

bool IsMenuKeyRelease(UINT message, WPARAM wParam)
{
    if (message != WM_KEYUP && message != WM_SYSKEYUP)
        return false;
    for (WPARAM key : MENU_KEYS)
        if (wParam == key)
            return true;
    return false;
}

bool IsModalSystemCommand(UINT message, WPARAM wParam)
{
    if (message != WM_SYSCOMMAND)
        return false;
    for (WPARAM command : MODAL_SYSTEM_COMMANDS)
        if ((wParam & SYSTEM_COMMAND_MASK) == command)
            return true;
    return false;
}

struct StormMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

const char STORM_TEXT[] = "storm";

struct Storm {
    std::mt19937_64 random;
    uint64_t seed;
    int sent;
    int leftOut;
    StormMessage last;
};
Storm storm;

// A message stuck in a loop that waits for a person: reported and the process
// ended, so that the suite shows which one instead of timing out.
const DWORD STUCK_MS = 10000;
const DWORD WATCH_PERIOD_MS = 250;
const UINT STUCK_EXIT_CODE = 3;
std::atomic<int> sentSoFar;
std::atomic<bool> sending;
std::atomic<bool> watching;

DWORD WINAPI WatchForStuckMessages(void*)
{
    int lastSeen = -1;
    DWORD since = GetTickCount();
    while (watching) {
        Sleep(WATCH_PERIOD_MS);
        int now = sentSoFar;
        if (now != lastSeen || !sending) {
            lastSeen = now;
            since = GetTickCount();
        } else if (GetTickCount() - since > STUCK_MS) {
            fprintf(stderr, "stuck for %lu ms in message 0x%04x wParam %llx lParam %llx (seed %llu)\n", STUCK_MS,
                    storm.last.message, static_cast<unsigned long long>(storm.last.wParam),
                    static_cast<unsigned long long>(storm.last.lParam), static_cast<unsigned long long>(storm.seed));
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), STUCK_EXIT_CODE);
        }
    }
    return 0;
}

// The draw the process dies in, should it die.
LONG WINAPI ReportStormFault(EXCEPTION_POINTERS* fault)
{
    fprintf(stderr, "fault %08lx after %d messages, in message 0x%04x wParam %llx lParam %llx (seed %llu)\n",
            fault->ExceptionRecord->ExceptionCode, storm.sent, storm.last.message,
            static_cast<unsigned long long>(storm.last.wParam), static_cast<unsigned long long>(storm.last.lParam),
            static_cast<unsigned long long>(storm.seed));
    return EXCEPTION_CONTINUE_SEARCH;
}

WPARAM DrawParameter()
{
    switch (storm.random() % 4) {
    case 0:
        return 0;
    case 1:
        return static_cast<WPARAM>(storm.random() % 16);
    case 2:
        return static_cast<WPARAM>(static_cast<uint32_t>(storm.random()));
    default:
        return static_cast<WPARAM>(storm.random());
    }
}

StormMessage DrawMessage()
{
    StormMessage drawn;
    drawn.message = storm.random() % 2 ? static_cast<UINT>(storm.random() & 0xFFFF)
                                       : HANDLED_MESSAGES[storm.random() % (sizeof HANDLED_MESSAGES / sizeof(UINT))];
    drawn.wParam = DrawParameter();
    drawn.lParam = static_cast<LPARAM>(DrawParameter());
    if (drawn.message == WM_SYSCOMMAND && storm.random() % 2)
        drawn.wParam = SC_SIZE + (storm.random() % 0x20) * 0x10 + storm.random() % 0x10;
    if (drawn.message == WM_SETTEXT && storm.random() % 2)
        drawn.lParam = reinterpret_cast<LPARAM>(STORM_TEXT);
    return drawn;
}

bool IsLeftOut(const StormMessage& drawn, bool endingAllowed)
{
    return IsListed(POINTER_MESSAGES, drawn.message) || IsListed(MODAL_INPUT_MESSAGES, drawn.message) ||
           IsMenuKeyRelease(drawn.message, drawn.wParam) || IsModalSystemCommand(drawn.message, drawn.wParam) ||
           (!endingAllowed && (IsListed(ENDING_MESSAGES, drawn.message) ||
                               (drawn.message == WM_SYSCOMMAND && (drawn.wParam & SYSTEM_COMMAND_MASK) == SC_CLOSE)));
}

// Sends the next random message that is not left out.
void SendStormMessage(HWND window, bool endingAllowed)
{
    StormMessage drawn = DrawMessage();
    while (IsLeftOut(drawn, endingAllowed)) {
        ++storm.leftOut;
        drawn = DrawMessage();
    }
    storm.last = drawn;
    sending = true;
    SendMessageA(window, drawn.message, drawn.wParam, drawn.lParam);
    sending = false;
    sentSoFar = ++storm.sent;
}

// Lets the saver's own timer run until the effect has stepped `ticks` times.
bool WaitForTicks(int ticks)
{
    int seen = 0;
    uint32_t lastFrame = flameCanvas.frameCount;
    DWORD start = GetTickCount();
    while (seen < ticks) {
        if (GetTickCount() - start > TICK_WAIT_MS)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, TICK_WAIT_MS, QS_ALLINPUT);
        PumpMessages();
        if (flameCanvas.frameCount != lastFrame) {
            ++seen;
            lastFrame = flameCanvas.frameCount;
        }
    }
    return true;
}

int LitPixels(const uint32_t* pixels, int count)
{
    int lit = 0;
    for (int i = 0; i < count; ++i)
        lit += pixels[i] != 0;
    return lit;
}

// The window's client area as the screen shows it, compared with the canvas
// at its origin: how many visible canvas pixels differ, and how many are lit.
void CompareWindowWithCanvas(HWND window, int* differing, int* lit)
{
    RECT client;
    GetClientRect(window, &client);
    int width = client.right;
    int height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC shotContext = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(shotContext, shot);
    HDC windowContext = GetDC(window);
    BitBlt(shotContext, 0, 0, width, height, windowContext, 0, 0, SRCCOPY);
    ReleaseDC(window, windowContext);
    GdiFlush();
    const uint32_t* shown = static_cast<const uint32_t*>(bits);
    *differing = 0;
    *lit = 0;
    const FlameCanvas& canvas = flameCanvas;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int canvasX = x - canvas.originX;
            int canvasY = y - canvas.originY;
            if (canvasX < 0 || canvasY < 0 || canvasX >= canvas.width || canvasY >= canvas.height)
                continue;
            uint32_t expected = canvas.pixels[canvasY * canvas.width + canvasX] & 0xFFFFFF;
            uint32_t got = shown[y * width + x] & 0xFFFFFF;
            *differing += got != expected;
            *lit += got != 0;
        }
    }
    SelectObject(shotContext, previous);
    DeleteDC(shotContext);
    DeleteObject(shot);
}

class SaverStress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHostBetweenRuns();
        RemoveSettingsFile();
        storm = Storm();
        storm.seed = GetTickCount();
        storm.random.seed(storm.seed);
        sentSoFar = 0;
        previousFilter = SetUnhandledExceptionFilter(ReportStormFault);
        watching = true;
        watchdog = CreateThread(nullptr, 0, WatchForStuckMessages, nullptr, 0, nullptr);
    }
    void TearDown() override
    {
        watching = false;
        WaitForSingleObject(watchdog, INFINITE);
        CloseHandle(watchdog);
        SetUnhandledExceptionFilter(previousFilter);
        ResetHostBetweenRuns();
    }
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter;
    HANDLE watchdog;
};

}  // namespace

TEST_F(SaverStress, APreviewOutlivesAStormOfRandomMessagesAndStillBurns)
{
    const int count = StressCount(10000, 100000);
    HWND parent = CreateSilentPreviewParent();
    ASSERT_NE(parent, nullptr);
    bool alive = false;
    bool ticked = false;
    int lit = 0;
    int differing = -1;
    DWORD start = GetTickCount();
    int result = RunSaverWith(
        parent,
        [&] {
            HWND window = hostState.saverWindow;
            for (int i = 0; i < count && IsWindow(window); ++i)
                SendStormMessage(window, false);
            alive = IsWindow(window) && flameCanvas.heat != nullptr;
            // What the default handling may have done to the window's state, a
            // parent undoes: shown, restored, redrawing.
            SendMessageA(window, WM_SETREDRAW, TRUE, 0);
            ShowWindow(window, SW_RESTORE);
            ticked = WaitForTicks(TICKS_AFTER_STORM);
            lit = LitPixels(flameCanvas.pixels, flameCanvas.cellCount);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            int shownLit = 0;
            CompareWindowWithCanvas(window, &differing, &shownLit);
            DestroyWindow(parent);
        },
        START_CHECKS_MS);
    printf("preview storm: %d messages sent (%d drawn and left out) in %lu ms, seed %llu\n", storm.sent, storm.leftOut,
           GetTickCount() - start, static_cast<unsigned long long>(storm.seed));
    EXPECT_EQ(storm.sent, count);
    EXPECT_TRUE(alive) << "the preview ended during the storm, after 0x" << std::hex << storm.last.message;
    EXPECT_TRUE(ticked) << "the effect's timer no longer ticks";
    EXPECT_GT(lit, 100) << "no flames on the canvas";
    EXPECT_EQ(differing, 0) << "the paint no longer shows the canvas";
    EXPECT_EQ(result, 0);
}

// The storm goes on after the saver has asked to close (the request waits in
// the queue behind it) until the count is sent or a message closed the
// window at once; then the next full-screen saver takes the rest.
TEST_F(SaverStress, FullScreenSaversCloseInAStormAndEndCleanly)
{
    const int count = StressCount(10000, 100000);
    int runs = 0;
    int fewest = INT32_MAX;
    int most = 0;
    long long untilClose = 0;
    DWORD start = GetTickCount();
    while (storm.sent < count) {
        ResetHostBetweenRuns();
        int sentBefore = storm.sent;
        int closeRequestedAfter = -1;
        int result = RunSaverWith(
            nullptr,
            [&] {
                HWND window = hostState.saverWindow;
                MSG queued;
                while (storm.sent < count && IsWindow(window) &&
                       !PeekMessageA(&queued, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
                    SendStormMessage(window, true);
                    if (closeRequestedAfter < 0 && (!IsWindow(window) || hostState.closeApproved ||
                                                    PeekMessageA(&queued, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)))
                        closeRequestedAfter = storm.sent - sentBefore;
                }
                // A forged WM_DESTROY ends the loop and leaves the window.
                if (IsWindow(window) && PeekMessageA(&queued, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
                    DestroyWindow(window);
                else if (closeRequestedAfter < 0)
                    PostMessageA(window, WM_CLOSE, 0, 0);
            },
            START_CHECKS_MS);
        ++runs;
        ASSERT_EQ(result, 0) << "after 0x" << std::hex << storm.last.message;
        ASSERT_FALSE(IsWindow(hostState.saverWindow));
        ASSERT_EQ(flameCanvas.heat, nullptr) << "the canvas outlived the window";
        if (closeRequestedAfter < 0)
            continue;  // the count ran out first
        fewest = std::min(fewest, closeRequestedAfter);
        most = std::max(most, closeRequestedAfter);
        untilClose += closeRequestedAfter;
    }
    printf("full-screen storm: %d messages sent (%d drawn and left out) to %d savers in %lu ms; each asked to "
           "close after %d to %d messages, %.1f on average; seed %llu\n",
           storm.sent, storm.leftOut, runs, GetTickCount() - start, fewest, most,
           static_cast<double>(untilClose) / runs, static_cast<unsigned long long>(storm.seed));
    EXPECT_GE(storm.sent, count);
    EXPECT_LE(most, count);
}
