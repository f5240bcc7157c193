// Create/destroy cycles of the preview and of the effect's set-up: what the
// first made is all that stays. Each harness prints what it tried;
// TAMBLORN_STRESS=1 runs the full counts.
#include <gtest/gtest.h>

#include <cstdio>

#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "saver_settings.h"
#include "win_test_support.h"

namespace {

const UINT START_CHECKS_MS = 1;
// Wine's own heaps and caches still grow over the first few cycles (by up to
// a third of a megabyte on a busy machine), so the count starts after them.
// A canvas left behind is far more: a text canvas's heat and fuel alone are
// 148 KB, and every later cycle would add one.
const int WARM_UP_CYCLES = 4;
const size_t MEMORY_SLACK_BYTES = 512 * 1024;

class SaverStress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHostBetweenRuns();
        RemoveSettingsFile();
    }
    void TearDown() override { ResetHostBetweenRuns(); }
};

}  // namespace

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
    DestroyWindow(window);
    int objectsAfterDestroy = LiveRecordedGdiObjects();
    StopRecordingGdiObjects();
    printf("set-ups in a row: %d in %lu ms; live GDI objects after the first %d, after the last %d, after "
           "destruction %d; private bytes after the first %zu, after the last %zu\n",
           count, GetTickCount() - start, objectsAfterFirst, objectsAfterLast, objectsAfterDestroy, bytesAfterFirst,
           bytesAfterLast);
    EXPECT_EQ(objectsAfterLast, objectsAfterFirst);
    EXPECT_EQ(objectsAfterDestroy, 0);
    EXPECT_LE(bytesAfterLast, bytesAfterFirst + MEMORY_SLACK_BYTES);
}
