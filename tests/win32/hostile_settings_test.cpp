// Hostile settings files: mutated files through the loader, the canvas set-up,
// a few ticks and the teardown. The harness prints what it tried;
// TAMBLORN_STRESS=1 runs the full count.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "configure_dialog.h"
#include "canvas_surface.h"
#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "resource_ids.h"
#include "settings_profile.h"
#include "settings_mutations.h"
#include "win_test_support.h"

using settings_mutations::MutatedSettingsFile;

namespace {

const int CLIENT_WIDTH = 640;
const int CLIENT_HEIGHT = 480;
const int TICKS_PER_CASE = 2;
const int DIALOG_EVERY = 10;
const int TEXT_BAND_TOP = FLAME_HEADROOM / 2;

struct SettingsTally {
    int textCanvases;
    int bonfires;
    int emptyCanvases;
    int dialogsCancelled;
};

// The canvas the set-up built from whatever the file held, checked against what the step, the paint and the
// teardown rely on (its size and place, and heat and level after the steps, for any settings are judged by the
// core's fuzzer; the state the set-up starts the cycle in, by the canvas set-up's tests).
void CheckCanvasAfterSetUp(SettingsTally* tally)
{
    const SaverSettings& settings = saverSettings;
    const FlameCanvas& canvas = flameCanvas;
    ASSERT_LT(strnlen(settings.text, SETTINGS_TEXT_BYTES), static_cast<size_t>(SETTINGS_TEXT_BYTES));
    ASSERT_EQ(canvasSurface.logsPicture != nullptr, settings.fireMode == FIRE_BONFIRE);
    const bool burnText = settings.fireMode == FIRE_TEXT;
    const int64_t fuelTop = burnText ? TEXT_BAND_TOP : FLAME_HEADROOM;
    const int64_t fuelBottom = burnText ? TEXT_BAND_TOP + settings.fontSize - 1 : canvas.height - 2;
    if (canvas.width <= 0 || canvas.height <= 0) {
        ASSERT_EQ(canvas.cellCount, 0);
        ASSERT_EQ(canvasSurface.canvasBitmap, nullptr);
        ASSERT_FALSE(CanvasHasCells(flameCanvas));
        ++tally->emptyCanvases;
        return;
    }
    ASSERT_TRUE(CanvasHasCells(flameCanvas));
    for (int32_t i = 0; i < canvas.cellCount; ++i) {
        if (canvas.heat[i] != 0 || canvas.pixels[i] != 0 || (canvas.fuel[i] != 0 && canvas.fuel[i] != FUEL_VALUE))
            FAIL() << "cell " << i << " heat " << int{canvas.heat[i]} << " fuel " << int{canvas.fuel[i]};
        if (canvas.fuel[i] == 0)
            continue;
        int32_t x = i % canvas.width;
        int32_t y = i / canvas.width;
        if (x < 1 || x > canvas.width - 2 || y < fuelTop || y > fuelBottom)
            FAIL() << "fuel at (" << x << ", " << y << ") outside rows " << fuelTop << ".." << fuelBottom;
    }
    ++(burnText ? tally->textCanvases : tally->bonfires);
}

// The dialog opened over the file and cancelled writes nothing.
void CancelDialogOverTheFile()
{
    HWND dialog =
        CreateDialogParamA(hostState.moduleInstance, MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr, ConfigureDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    DestroyWindow(dialog);
    PumpMessages();
}

}  // namespace

TEST(HostileInput, MutatedSettingsFilesLoadAndBuildACanvasTheProgramCanRun)
{
    const int count = StressCount(300, 10000);
    UseTestModuleAsProgram();
    hostState.isPreview = 1;  // no closing rules: the default handling is the platform's
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ReportFaultingCase);
    const std::string path = SettingsFilePath();
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    SettingsTally tally = {};
    DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        currentCase = MutatedSettingsFile(random);
        SCOPED_TRACE("settings file \"" + Printable(currentCase) + "\"");
        ForgetCachedSettings();
        WriteWholeFile(path, currentCase);
        HWND window = CreateEffectPopup(CLIENT_WIDTH, CLIENT_HEIGHT);
        ASSERT_NE(window, nullptr);
        CheckCanvasAfterSetUp(&tally);
        // A canvas found wrong is not stepped: the failure is reported, not a fault.
        for (int tick = 0; tick < TICKS_PER_CASE && !HasFatalFailure(); ++tick)
            SendMessageA(window, WM_TIMER, EFFECT_TIMER_ID, 0);
        DestroyWindow(window);
        ASSERT_EQ(flameCanvas.heat, nullptr);
        ASSERT_EQ(canvasSurface.canvasBitmap, nullptr);
        ASSERT_EQ(canvasSurface.logsPicture, nullptr);
        if (i % DIALOG_EVERY == 0) {
            CancelDialogOverTheFile();
            ++tally.dialogsCancelled;
        }
        ForgetCachedSettings();
        ASSERT_TRUE(ReadWholeFile(path) == currentCase) << "the file was written to";
        if (HasFatalFailure())
            break;
    }
    printf("settings files: %d tried in %lu ms (seed %u): %d text canvases, %d bonfires, %d without cells; the dialog "
           "cancelled over %d of them\n",
           count, GetTickCount() - start, seed, tally.textCanvases, tally.bonfires, tally.emptyCanvases,
           tally.dialogsCancelled);
    RemoveSettingsFile();
    hostState.isPreview = 0;
    SetUnhandledExceptionFilter(previousFilter);
}
