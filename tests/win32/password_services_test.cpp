// The password and system services against the real registry, the real loader and
// the test double of "PASSWORD.CPL" (the password change through "MPR.DLL" is judged
// end to end, in the win9x group). The platform calls the services make are watched
// by spies placed in this executable's import table: each records the call and then
// makes the real one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_window.h"
#include "host_state.h"
#include "win_test_support.h"

namespace {

const char DESKTOP_KEY[] = "Control Panel\\Desktop";
const char USE_PASSWORD[] = "ScreenSaveUsePassword";
const char VERIFIER_LIBRARY[] = "PASSWORD.CPL";
const char WITHOUT_ENTRY_DIRECTORY[] = "no_verifier_entry";
const DWORD SAVED_VALUE_BYTES = 256;

// --- Spies on the platform ------------------------------------------------------

struct PlatformCalls {
    std::vector<std::string> events;
    HKEY openedKey;
    std::string openedKeyName;
    std::vector<HMODULE> loaded;
    std::vector<HMODULE> freed;
};
PlatformCalls calls;

decltype(&RegOpenKeyExA) realRegOpenKeyExA;
decltype(&RegCloseKey) realRegCloseKey;
decltype(&LoadLibraryA) realLoadLibraryA;
decltype(&FreeLibrary) realFreeLibrary;
decltype(&SystemParametersInfoA) realSystemParametersInfoA;

std::string ModuleBaseName(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

LONG WINAPI SpyRegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    calls.events.push_back(std::string("RegOpenKeyExA ") + (subKey ? subKey : ""));
    LONG result = realRegOpenKeyExA(root, subKey, options, access, key);
    if (result == ERROR_SUCCESS) {
        calls.openedKey = *key;
        calls.openedKeyName = subKey ? subKey : "";
    }
    return result;
}

LONG WINAPI SpyRegCloseKey(HKEY key)
{
    calls.events.push_back("RegCloseKey " + (key == calls.openedKey ? calls.openedKeyName : std::string("(other)")));
    return realRegCloseKey(key);
}

HMODULE WINAPI SpyLoadLibraryA(LPCSTR name)
{
    calls.events.push_back(std::string("LoadLibraryA ") + name);
    HMODULE module = realLoadLibraryA(name);
    calls.loaded.push_back(module);
    return module;
}

BOOL WINAPI SpyFreeLibrary(HMODULE module)
{
    calls.events.push_back("FreeLibrary " + ModuleBaseName(module));
    calls.freed.push_back(module);
    return realFreeLibrary(module);
}

BOOL WINAPI SpySystemParametersInfoA(UINT action, UINT number, PVOID slot, UINT profileUpdate)
{
    if (action == SPI_SETSCREENSAVERRUNNING) {
        std::string event = "running " + std::to_string(number);
        if (!slot)
            event += " without a slot";
        if (profileUpdate)
            event += " with a profile update";
        calls.events.push_back(event);
    }
    return realSystemParametersInfoA(action, number, slot, profileUpdate);
}

// Puts a spy in place of the executable's import of `function`, keeping the real entry.
template <typename Entry> void PlaceSpy(const char* function, Entry spy, Entry* real)
{
    *real = ReplaceImport(function, spy);
    ASSERT_NE(*real, nullptr) << function << " is not imported";
}

// --- The platform's state -----------------------------------------------------------

int PlatformSaysSaverRuns()
{
    BOOL running = FALSE;
    realSystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void TellPlatformSaverRuns(BOOL running)
{
    BOOL previous;
    realSystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

// What the desktop key may hold for the switch; `type` 0 is no value at all.
struct StoredSwitch {
    DWORD type;
    BYTE bytes[SAVED_VALUE_BYTES];
    DWORD size;
    bool protects;
};
const StoredSwitch PROTECTING = {REG_DWORD, {1}, 4, true};

void Store(const StoredSwitch& stored)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (stored.type)
        RegSetValueExA(key, USE_PASSWORD, 0, stored.type, stored.bytes, stored.size);
    else
        RegDeleteValueA(key, USE_PASSWORD);
    RegCloseKey(key);
}

// The user's own switch, put back after the suite.
StoredSwitch usersSwitch = {0, {}, SAVED_VALUE_BYTES, false};

class PasswordServices : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS ||
            RegQueryValueExA(key, USE_PASSWORD, nullptr, &usersSwitch.type, usersSwitch.bytes, &usersSwitch.size) !=
                ERROR_SUCCESS)
            usersSwitch.type = 0;
        RegCloseKey(key);
        PlaceSpy("RegOpenKeyExA", &SpyRegOpenKeyExA, &realRegOpenKeyExA);
        PlaceSpy("RegCloseKey", &SpyRegCloseKey, &realRegCloseKey);
        PlaceSpy("LoadLibraryA", &SpyLoadLibraryA, &realLoadLibraryA);
        PlaceSpy("FreeLibrary", &SpyFreeLibrary, &realFreeLibrary);
        PlaceSpy("SystemParametersInfoA", &SpySystemParametersInfoA, &realSystemParametersInfoA);
    }

    static void TearDownTestSuite()
    {
        ReplaceImport("RegOpenKeyExA", realRegOpenKeyExA);
        ReplaceImport("RegCloseKey", realRegCloseKey);
        ReplaceImport("LoadLibraryA", realLoadLibraryA);
        ReplaceImport("FreeLibrary", realFreeLibrary);
        ReplaceImport("SystemParametersInfoA", realSystemParametersInfoA);
        Store(usersSwitch);
    }

    void SetUp() override
    {
        ASSERT_TRUE(realSystemParametersInfoA) << "the spies are not in place";
        Store({});
        TellPlatformSaverRuns(FALSE);
        calls = PlatformCalls();
    }

    void TearDown() override
    {
        UnloadPasswordVerifier();
        TellPlatformSaverRuns(FALSE);
    }
};

// The last is longer than a number: it cannot be read.
const StoredSwitch SWITCHES[] = {
    {0, {}, 0, false},          {REG_DWORD, {0}, 4, false},  {REG_DWORD, {1}, 4, true},  {REG_DWORD, {0, 1}, 4, true},
    {REG_BINARY, {1}, 1, true}, {REG_BINARY, {0}, 1, false}, {REG_BINARY, {1}, 5, false}};

typedef std::vector<std::string> Events;
const std::string OPEN_DESKTOP = "RegOpenKeyExA Control Panel\\Desktop";
const std::string CLOSE_DESKTOP = "RegCloseKey Control Panel\\Desktop";

}  // namespace

TEST_F(PasswordServices, OutsideTheNineXFamilyNothingIsReadLoadedOrTold)
{
    hostState.win9xFamily = 0;
    for (const StoredSwitch& stored : SWITCHES) {
        Store(stored);
        calls = PlatformCalls();
        LoadPasswordVerifier();
        SetSaverRunning(1);
        UnloadPasswordVerifier();
        EXPECT_EQ(calls.events, Events()) << "type " << stored.type << " size " << stored.size;
        EXPECT_EQ(hostState.verifierEntry, nullptr);
        EXPECT_EQ(GetModuleHandleA(VERIFIER_LIBRARY), nullptr);
        EXPECT_FALSE(PlatformSaysSaverRuns());
    }
}

TEST_F(PasswordServices, OnTheNineXFamilyTheSwitchDecidesWhetherTheVerifierIsLoaded)
{
    hostState.win9xFamily = 1;
    for (const StoredSwitch& stored : SWITCHES) {
        SCOPED_TRACE(::testing::Message() << "type " << stored.type << " size " << stored.size);
        Store(stored);
        calls = PlatformCalls();
        LoadPasswordVerifier();
        if (!stored.protects) {
            EXPECT_EQ(calls.events, Events({OPEN_DESKTOP, CLOSE_DESKTOP}));
            EXPECT_EQ(hostState.verifierModule, nullptr);
            EXPECT_EQ(hostState.verifierEntry, nullptr);
            EXPECT_FALSE(PlatformSaysSaverRuns());
            continue;
        }
        EXPECT_EQ(calls.events, Events({OPEN_DESKTOP, "LoadLibraryA PASSWORD.CPL", "running 1", CLOSE_DESKTOP}));
        ASSERT_NE(hostState.verifierModule, nullptr);
        EXPECT_EQ(hostState.verifierModule, GetModuleHandleA(VERIFIER_LIBRARY));
        EXPECT_EQ(hostState.verifierEntry,
                  FindEntry<VerifyScreenSavePwdEntry>(hostState.verifierModule, "VerifyScreenSavePwd"));
        EXPECT_TRUE(PlatformSaysSaverRuns());

        HMODULE loaded = hostState.verifierModule;
        calls = PlatformCalls();
        UnloadPasswordVerifier();
        UnloadPasswordVerifier();
        EXPECT_EQ(calls.events, Events({"FreeLibrary PASSWORD.CPL", "running 0"})) << "once, however often asked";
        EXPECT_EQ(calls.freed, std::vector<HMODULE>({loaded}));
        EXPECT_EQ(hostState.verifierModule, nullptr);
        EXPECT_EQ(hostState.verifierEntry, nullptr);
        EXPECT_EQ(GetModuleHandleA(VERIFIER_LIBRARY), nullptr) << "the library is still in the process";
        EXPECT_FALSE(PlatformSaysSaverRuns());
    }
}

TEST_F(PasswordServices, ALibraryWithoutTheEntryIsFreedAgainAndThePlatformIsNotTold)
{
    // Once a module of that base name is in the process, the loader hands it out for
    // "PASSWORD.CPL" in place of the double beside this executable.
    std::string variantPath = TestDirectory() + "\\" + WITHOUT_ENTRY_DIRECTORY + "\\" + VERIFIER_LIBRARY;
    HMODULE variant = realLoadLibraryA(variantPath.c_str());
    ASSERT_NE(variant, nullptr) << variantPath;
    ASSERT_NE(FindEntry<AnyEntry>(variant, "DoubleHasNoVerifierEntry"), nullptr);
    hostState.win9xFamily = 1;
    Store(PROTECTING);
    TellPlatformSaverRuns(TRUE);  // a stray "not running" would show
    calls = PlatformCalls();

    LoadPasswordVerifier();
    EXPECT_EQ(calls.events,
              Events({OPEN_DESKTOP, "LoadLibraryA PASSWORD.CPL", "FreeLibrary PASSWORD.CPL", CLOSE_DESKTOP}));
    EXPECT_EQ(calls.loaded, std::vector<HMODULE>({variant}));
    EXPECT_EQ(calls.freed, std::vector<HMODULE>({variant}));
    EXPECT_EQ(hostState.verifierModule, nullptr);
    EXPECT_EQ(hostState.verifierEntry, nullptr);
    EXPECT_TRUE(PlatformSaysSaverRuns());

    realFreeLibrary(variant);
    EXPECT_EQ(GetModuleHandleA(VERIFIER_LIBRARY), nullptr) << "the saver kept a reference";
}

TEST_F(PasswordServices, ASecondLoadFirstUnloads)
{
    hostState.win9xFamily = 1;
    Store(PROTECTING);
    LoadPasswordVerifier();
    HMODULE first = hostState.verifierModule;
    ASSERT_NE(first, nullptr);
    calls = PlatformCalls();

    LoadPasswordVerifier();
    EXPECT_EQ(calls.events, Events({"FreeLibrary PASSWORD.CPL", "running 0", OPEN_DESKTOP, "LoadLibraryA PASSWORD.CPL",
                                    "running 1", CLOSE_DESKTOP}));
    EXPECT_EQ(calls.freed, std::vector<HMODULE>({first}));
    EXPECT_NE(hostState.verifierEntry, nullptr);
    EXPECT_TRUE(PlatformSaysSaverRuns());
}

namespace {

typedef void(WINAPI* VerifierWhileOpen)(HWND owner);
typedef void(WINAPI* SetWhileOpenEntry)(VerifierWhileOpen whileOpen);
typedef void(WINAPI* SetAnswersEntry)(const char* answers);
const uint32_t TICKS_SEEN_OPEN = 3;
const DWORD OPEN_AT_MOST_MS = 20000;  // a bound for a loaded machine: the wait ends when the ticks came
uint32_t ticksWhileOpen;

// The dialog's own loop, as a modal dialog runs it, until the saver's timer has stepped the flames or the bound.
void WINAPI WaitForTicksWhileOpen(HWND)
{
    uint32_t opened = flameCanvas.frameCount;
    DWORD start = GetTickCount();
    while (flameCanvas.frameCount - opened < TICKS_SEEN_OPEN && GetTickCount() - start < OPEN_AT_MOST_MS) {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, OPEN_AT_MOST_MS, QS_ALLINPUT);
    }
    ticksWhileOpen = flameCanvas.frameCount - opened;
}

}  // namespace

// The flames go on burning behind the password dialog.
TEST_F(PasswordServices, TheSaversTimerStepsWhileThePasswordDialogIsOpen)
{
    ResetHostBetweenRuns();
    hostState.win9xFamily = 1;
    Store(PROTECTING);
    ticksWhileOpen = 0;
    RunSaverWith(nullptr, [] {
        HMODULE verifier = GetModuleHandleA(VERIFIER_LIBRARY);
        ASSERT_NE(verifier, nullptr);
        FindEntry<SetWhileOpenEntry>(verifier, "DoubleSetVerifierWhileOpen")(WaitForTicksWhileOpen);
        FindEntry<SetAnswersEntry>(verifier, "DoubleSetVerifierAnswers")("1");
        PostMessageA(hostState.saverWindow, WM_CLOSE, 0, 0);
    });
    EXPECT_GE(ticksWhileOpen, TICKS_SEEN_OPEN);
    ResetHostBetweenRuns();
}
