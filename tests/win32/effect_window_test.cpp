#include <gtest/gtest.h>

#include <cstring>
#include <set>

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

class EffectWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        RemoveSettingsFile();
        // A preview applies no closing rule, so every message's default
        // handling is the platform's own.
        hostState.isPreview = 1;
        hostState.closeApproved = 0;
        flameCanvas.frameCount = 0;
    }
    void TearDown() override
    {
        hostState.isPreview = 0;
        RemoveSettingsFile();
    }
};

}  // namespace

// The draws of a fresh process: 41, 18467, 6334, 26500 from the C runtime's rand.
TEST_F(EffectWindow, TheFirstTwoJumpsOfAProcessLandAsTheRuntimeDraws)
{
    SeedJumpRandom(JUMP_RANDOM_START);
    HWND window = CreateEffectWindow(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 352);
    EXPECT_EQ(flameCanvas.originY, 268);
    Tick(window, 100);
    EXPECT_EQ(flameCanvas.originX, 352) << "no jump within the first 100 ticks";
    Tick(window, 1);
    EXPECT_EQ(flameCanvas.originX, 41);
    EXPECT_EQ(flameCanvas.originY, 243);
    EXPECT_EQ(flameCanvas.frameCount, 0u);
    Tick(window, 101);
    EXPECT_EQ(flameCanvas.originX, 702);
    EXPECT_EQ(flameCanvas.originY, 236);
    DestroyWindow(window);
}

TEST_F(EffectWindow, CreationLoadsTheSettingsBuildsTheCanvasAndStartsTheTimer)
{
    WriteSetting("BURNING", "TEXT", "AB");
    WriteSetting("FONT", "SIZE", "40");
    HWND window = CreateEffectWindow(1024, 768);
    EXPECT_EQ(flameCanvas.clientWidth, 1024);
    EXPECT_EQ(flameCanvas.clientHeight, 768);
    EXPECT_EQ(flameCanvas.width, 80);
    EXPECT_EQ(flameCanvas.height, 240);
    EXPECT_EQ(flameCanvas.originX, 472);
    EXPECT_EQ(canvasSurface.logsPicture, nullptr);
    MSG message;
    DWORD start = GetTickCount();
    bool ticked = false;
    while (!ticked && GetTickCount() - start < 3000) {
        if (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
            ticked = message.wParam == EFFECT_TIMER_ID;
        else
            Sleep(10);
    }
    EXPECT_TRUE(ticked) << "a 100 ms timer with id 0x7FFF";
    DestroyWindow(window);
}

TEST_F(EffectWindow, APreviewStartsCentredAndJumpsRightAndDown)
{
    HWND window = CreateEffectWindow(152, 112);
    EXPECT_EQ(flameCanvas.originX, -84);
    EXPECT_EQ(flameCanvas.originY, -60);
    for (int jump = 0; jump < 5; ++jump) {
        Tick(window, 101);
        EXPECT_GE(flameCanvas.originX, 0);
        EXPECT_LE(flameCanvas.originX, 167);
        EXPECT_GE(flameCanvas.originY, 0);
        EXPECT_LE(flameCanvas.originY, 119);
    }
    DestroyWindow(window);
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
