// Message storms against running saver windows, and create/destroy cycles of
// the preview and of the effect's set-up, of which what the first made is all
// that stays. Each harness prints what it tried; TAMBLORN_STRESS=1 runs the
// full counts.
#include <gtest/gtest.h>

#include <algorithm>
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
// Wine's own heaps and caches still grow over the first few cycles (by up to
// a third of a megabyte on a busy machine), so the count starts after them.
// A canvas left behind is far more: a text canvas's heat and fuel alone are
// 148 KB, and every later cycle would add one.
const int WARM_UP_CYCLES = 4;
const size_t MEMORY_SLACK_BYTES = 512 * 1024;

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

template <typename T, size_t N> bool IsListed(const T (&list)[N], T value)
{
    return std::find(list, list + N, value) != list + N;
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

// The message in hand, reported should the process stop or die in it.
void NoteStormMessage(const StormMessage& drawn)
{
    char text[128];
    snprintf(text, sizeof text, "message 0x%04x wParam %llx lParam %llx after %d messages (seed %llu)", drawn.message,
             static_cast<unsigned long long>(drawn.wParam), static_cast<unsigned long long>(drawn.lParam), storm.sent,
             static_cast<unsigned long long>(storm.seed));
    currentCase = text;
}

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
            fprintf(stderr, "stuck in %s\n", currentCase.c_str());
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), STUCK_EXIT_CODE);
        }
    }
    return 0;
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
    bool systemCommand = drawn.message == WM_SYSCOMMAND;
    WPARAM command = drawn.wParam & SYSTEM_COMMAND_MASK;
    return IsListed(POINTER_MESSAGES, drawn.message) || IsListed(MODAL_INPUT_MESSAGES, drawn.message) ||
           ((drawn.message == WM_KEYUP || drawn.message == WM_SYSKEYUP) && IsListed(MENU_KEYS, drawn.wParam)) ||
           (systemCommand && IsListed(MODAL_SYSTEM_COMMANDS, command)) ||
           (!endingAllowed && (IsListed(ENDING_MESSAGES, drawn.message) || (systemCommand && command == SC_CLOSE)));
}

// Sends the next random message that is not left out.
void SendStormMessage(HWND window, bool endingAllowed)
{
    StormMessage drawn = DrawMessage();
    while (IsLeftOut(drawn, endingAllowed)) {
        ++storm.leftOut;
        drawn = DrawMessage();
    }
    NoteStormMessage(drawn);
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

// Compares the window's client area, as the screen shows it, with the canvas
// at its origin: how many of the canvas's pixels it does not show, and how
// many it shows lit.
int PixelsNotShown(HWND window, int* litShown)
{
    RECT client;
    GetClientRect(window, &client);
    HDC windowContext = GetDC(window);
    HBITMAP shot = CreateCompatibleBitmap(windowContext, client.right, client.bottom);
    HDC shotContext = CreateCompatibleDC(windowContext);
    HGDIOBJ previous = SelectObject(shotContext, shot);
    BitBlt(shotContext, 0, 0, client.right, client.bottom, windowContext, 0, 0, SRCCOPY);
    SelectObject(shotContext, previous);
    DeleteDC(shotContext);
    ReleaseDC(window, windowContext);
    int width;
    int height;
    std::vector<uint32_t> shown = ReadBitmapPixels(shot, &width, &height);
    DeleteObject(shot);
    const FlameCanvas& canvas = flameCanvas;
    int differing = 0;
    *litShown = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int canvasX = x - canvas.originX;
            int canvasY = y - canvas.originY;
            if (canvasX < 0 || canvasY < 0 || canvasX >= canvas.width || canvasY >= canvas.height)
                continue;
            uint32_t pixel = shown[y * width + x] & 0xFFFFFF;
            differing += pixel != (canvas.pixels[canvasY * canvas.width + canvasX] & 0xFFFFFF);
            *litShown += pixel != 0;
        }
    }
    return differing;
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
        previousFilter = SetUnhandledExceptionFilter(ReportFaultingCase);
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
    int litShown = 0;
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
            const uint32_t* pixels = flameCanvas.pixels;
            const uint32_t* end = pixels + flameCanvas.cellCount;
            lit = static_cast<int>(flameCanvas.cellCount - std::count(pixels, end, 0u));
            // The paint is judged where the flames are: the first lit pixel at the middle of the top row.
            int firstLit = static_cast<int>(std::find_if(pixels, end, [](uint32_t pixel) { return pixel; }) - pixels);
            if (lit > 0) {
                flameCanvas.originX = PREVIEW_WIDTH / 2 - firstLit % flameCanvas.width;
                flameCanvas.originY = -(firstLit / flameCanvas.width);
            }
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            differing = PixelsNotShown(window, &litShown);
            DestroyWindow(parent);
        },
        START_CHECKS_MS);
    printf("preview storm: %d messages sent (%d drawn and left out) in %lu ms, seed %llu\n", storm.sent, storm.leftOut,
           GetTickCount() - start, static_cast<unsigned long long>(storm.seed));
    EXPECT_EQ(storm.sent, count);
    EXPECT_TRUE(alive) << "the preview ended during the storm, after " << currentCase;
    EXPECT_TRUE(ticked) << "the effect's timer no longer ticks";
    EXPECT_GT(lit, 100) << "no flames on the canvas";
    EXPECT_GT(litShown, 0) << "no flames in the window";
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
    while (storm.sent < count && !HasFailure()) {
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
        ASSERT_EQ(result, 0) << "after " << currentCase;
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

TEST_F(SaverStress, PreviewsStartedAndEndedOneAfterAnotherHoldNothingBack)
{
    const int count = StressCount(25, 100);
    int objectsAfterFirst = 0;
    size_t bytesAfterFirst = 0;
    DWORD start = GetTickCount();
    StartRecordingGdiObjects();
    for (int cycle = 0; cycle < count; ++cycle) {
        ResetHostBetweenRuns();
        HWND parent = CreateSilentPreviewParent();
        ASSERT_NE(parent, nullptr);
        bool made = false;
        int result = RunSaverWith(
            parent,
            [&] {
                made = IsWindow(hostState.saverWindow) && flameCanvas.heat != nullptr;
                DestroyWindow(parent);
            },
            START_CHECKS_MS);
        ASSERT_TRUE(made) << "cycle " << cycle;
        ASSERT_EQ(result, 0) << "cycle " << cycle;
        ASSERT_EQ(flameCanvas.heat, nullptr) << "cycle " << cycle;
        if (cycle == 0)
            objectsAfterFirst = LiveRecordedGdiObjects();
        if (cycle == WARM_UP_CYCLES - 1)
            bytesAfterFirst = PrivateBytes();
    }
    int objectsAfterLast = LiveRecordedGdiObjects();
    size_t bytesAfterLast = PrivateBytes();
    StopRecordingGdiObjects();
    printf("preview cycles: %d in %lu ms; %zu GDI objects made; live after the first %d, after the last %d; "
           "private bytes after the warm-up %zu, after the last %zu\n",
           count, GetTickCount() - start, RecordedGdiObjects().size(), objectsAfterFirst, objectsAfterLast,
           bytesAfterFirst, bytesAfterLast);
    EXPECT_EQ(objectsAfterLast, objectsAfterFirst);
    EXPECT_LE(bytesAfterLast, bytesAfterFirst + MEMORY_SLACK_BYTES);
}

TEST_F(SaverStress, SetUpsInARowReleaseWhatTheFirstBuilt)
{
    const int count = StressCount(8, 20);
    hostState.isPreview = 1;  // no closing rules: the default handling is the platform's
    DWORD start = GetTickCount();
    StartRecordingGdiObjects();
    HWND window = CreateEffectPopup(640, 480);
    ASSERT_NE(window, nullptr);
    int objectsAfterFirst = LiveRecordedGdiObjects();
    size_t bytesAfterFirst = PrivateBytes();
    CREATESTRUCTA creation = {};
    for (int setUp = 1; setUp < count; ++setUp) {
        // Text and bonfire in turn, each a whole creation (settings, picture,
        // canvas, timer); the last is text again, like the first.
        WriteSetting("WHITCH", "FIRE", setUp % 2 && setUp < count - 1 ? "1" : "0");
        SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
        ASSERT_TRUE(CanvasHasCells(flameCanvas)) << "set-up " << setUp;
    }
    int objectsAfterLast = LiveRecordedGdiObjects();
    size_t bytesAfterLast = PrivateBytes();
    DestroyWindow(window);  // what the last set-up made goes with the window: the effect window's test
    StopRecordingGdiObjects();
    printf("set-ups in a row: %d in %lu ms; live GDI objects after the first %d, after the last %d; private bytes "
           "after the first %zu, after the last %zu\n",
           count, GetTickCount() - start, objectsAfterFirst, objectsAfterLast, bytesAfterFirst, bytesAfterLast);
    EXPECT_EQ(objectsAfterLast, objectsAfterFirst);
    EXPECT_LE(bytesAfterLast, bytesAfterFirst + MEMORY_SLACK_BYTES);
}
