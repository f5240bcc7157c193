#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "canvas_surface.h"
#include "effect_window.h"
#include "host_state.h"
#include "saver_settings.h"
#include "win_test_support.h"

namespace {

HWND CreateEffectWindow(int width, int height)
{
    return CreateEffectPopup(width, height, WS_POPUP | WS_VISIBLE);
}

void Tick(HWND window, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick)
        SendMessageA(window, WM_TIMER, EFFECT_TIMER_ID, 0);
}

// The timers the effect starts, through this executable's import of SetTimer.
UINT_PTR(WINAPI* realSetTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
std::vector<std::pair<UINT_PTR, UINT>> timersStarted;
UINT_PTR WINAPI NoteTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure)
{
    timersStarted.push_back({id, period});
    return realSetTimer(window, id, period, procedure);
}

// The system's entry that answers whether it keeps the vector registers, answering as told.
DWORD featureAsked;
BOOL systemAnswer;
BOOL WINAPI AnswerAsTold(DWORD feature)
{
    featureAsked = feature;
    return systemAnswer;
}

// Counts the paints and erases the window gets, before the effect's own procedure.
WNDPROC effectProcedure;
int paintsMade;
int erasesAsked;
LRESULT CALLBACK CountPaintsAndErases(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    paintsMade += message == WM_PAINT;
    erasesAsked += message == WM_ERASEBKGND;
    return CallWindowProcA(effectProcedure, window, message, wParam, lParam);
}

class EffectWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        RemoveSettingsFile();
        // A preview applies no closing rule, so every message's default
        // handling is the platform's own.
        hostState.isPreview = 1;
    }
    void TearDown() override
    {
        hostState.isPreview = 0;
        RemoveSettingsFile();
    }
};

}  // namespace

// The canvas jumps with the 101st tick since the last jump (where the draws place it: native.CanvasJump; where a
// fresh process shows it: e2e.full_screen); a preview's canvas starts centred and jumps right and down.
TEST_F(EffectWindow, APreviewStartsCentredAndJumpsRightAndDownWithTheHundredAndFirstTick)
{
    SeedJumpRandom(flameCanvas, JUMP_RANDOM_START);
    flameCanvas.frameCount = 0;  // the count runs on from the last window's ticks
    HWND window = CreateEffectWindow(152, 112);
    std::pair<int32_t, int32_t> place = {flameCanvas.originX, flameCanvas.originY};
    EXPECT_EQ(place, std::make_pair(-84, -60));
    for (int jump = 1; jump <= 5; ++jump) {
        Tick(window, 100);
        EXPECT_EQ(place, std::make_pair(flameCanvas.originX, flameCanvas.originY)) << "jump " << jump << " too early";
        Tick(window, 1);
        EXPECT_NE(place, std::make_pair(flameCanvas.originX, flameCanvas.originY)) << "jump " << jump;
        EXPECT_EQ(flameCanvas.frameCount, 0u);
        place = {flameCanvas.originX, flameCanvas.originY};
        EXPECT_TRUE(place.first >= 0 && place.first <= 167 && place.second >= 0 && place.second <= 119)
            << place.first << "," << place.second;
    }
    DestroyWindow(window);
}

// One 100 ms timer: neither faster nor slower than the tick the flames are made for.
TEST_F(EffectWindow, CreationLoadsTheSettingsBuildsTheCanvasAndStartsTheTimer)
{
    WriteSetting("BURNING", "TEXT", "AB");
    WriteSetting("FONT", "SIZE", "40");
    timersStarted.clear();
    realSetTimer = ReplaceImport("SetTimer", NoteTimer);
    HWND window = CreateEffectWindow(1024, 768);
    ReplaceImport("SetTimer", realSetTimer);
    EXPECT_EQ(flameCanvas.clientWidth, 1024);
    EXPECT_EQ(flameCanvas.clientHeight, 768);
    EXPECT_EQ(flameCanvas.width, 80);
    EXPECT_EQ(flameCanvas.height, 240);
    EXPECT_EQ(flameCanvas.originX, 472);
    EXPECT_EQ(canvasSurface.logsPicture, nullptr);
    EXPECT_EQ(timersStarted, (std::vector<std::pair<UINT_PTR, UINT>>{{0x7FFF, 100}}));
    DestroyWindow(window);
}

// Each tick repaints the canvas over the last frame before it returns: the window is never erased first, which
// would flash it black between frames.
TEST_F(EffectWindow, EachTickRepaintsAtOnceWithoutErasing)
{
    HWND window = CreateEffectWindow(320, 240);
    PumpMessages();
    effectProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaintsAndErases)));
    paintsMade = 0;
    erasesAsked = 0;
    uint32_t frames = flameCanvas.frameCount;
    for (int tick = 1; tick <= 5; ++tick) {
        Tick(window, 1);
        EXPECT_EQ(paintsMade, tick);
    }
    EXPECT_EQ(flameCanvas.frameCount, frames + 5);
    EXPECT_EQ(erasesAsked, 0);
    DestroyWindow(window);
}

// Where the system does not say that it keeps the vector registers, the canvas is told it does not, and
// SSE2 stays unused.
TEST_F(EffectWindow, TheSystemsAnswerOnTheVectorRegistersReachesTheCanvas)
{
    const struct {
        FARPROC entry;
        int32_t keeps;
    } cases[] = {{nullptr, 0}, {AsEntry(AnswerAsTold), 0}, {AsEntry(AnswerAsTold), 1}};
    for (const auto& c : cases) {
        featureAsked = 0;
        systemAnswer = c.keeps;
        OfferEntry("IsProcessorFeaturePresent", c.entry);
        flameCanvas.systemKeepsSse = 1 - c.keeps;
        HWND window = CreateEffectWindow(64, 48);
        StopOfferingEntry();
        EXPECT_EQ(flameCanvas.systemKeepsSse, c.keeps);
        EXPECT_EQ(featureAsked, c.entry ? static_cast<DWORD>(PF_XMMI64_INSTRUCTIONS_AVAILABLE) : 0u);
        DestroyWindow(window);
    }
}

TEST_F(EffectWindow, OtherMessagesReachTheDefaultHandlingUntouched)
{
    HWND window = CreateEffectWindow(320, 240);
    EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed")));
    char title[32] = "";
    EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title)), 7);
    EXPECT_STREQ(title, "renamed");
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 7);
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCLIENT);
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, 0, 0), 0) << "a class without a background brush";
    EXPECT_EQ(SendMessageA(window, WM_APP + 5, 1, 2), 0);
    // The four messages the effect handles still end in the default handling:
    // after the effect's paint the window holds no update region.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    DestroyWindow(window);
}

TEST_F(EffectWindow, DestructionReleasesEveryObjectTheEffectMade)
{
    for (int fireMode : {static_cast<int>(FIRE_TEXT), static_cast<int>(FIRE_BONFIRE)}) {
        WriteSetting("WHITCH", "FIRE", fireMode ? "1" : "0");
        StartRecordingGdiObjects();
        HWND window = CreateEffectWindow(400, 300);
        Tick(window, 120);  // through a jump and its erase
        EXPECT_NE(flameCanvas.heat, nullptr);
        EXPECT_EQ(canvasSurface.logsPicture != nullptr, fireMode == FIRE_BONFIRE);
        DestroyWindow(window);
        StopRecordingGdiObjects();

        std::set<DWORD> kinds;
        for (const RecordedGdiObject& object : RecordedGdiObjects()) {
            ASSERT_NE(object.handle, nullptr);
            kinds.insert(object.typeWhenMade);
            EXPECT_EQ(GetObjectType(object.handle), 0u)
                << "object " << object.handle << " of type " << object.typeWhenMade << " is still alive";
        }
        std::set<DWORD> expected = {OBJ_PEN, OBJ_BRUSH, OBJ_MEMDC, OBJ_BITMAP};
        if (fireMode == FIRE_TEXT)
            expected.insert(OBJ_FONT);
        EXPECT_EQ(kinds, expected);
        EXPECT_EQ(flameCanvas.heat, nullptr);
        EXPECT_EQ(flameCanvas.fuel, nullptr);
        EXPECT_EQ(canvasSurface.canvasBitmap, nullptr);
        EXPECT_EQ(canvasSurface.canvasContext, nullptr);
        EXPECT_EQ(canvasSurface.logsPicture, nullptr);
    }
}
