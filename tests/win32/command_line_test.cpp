#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "win_test_support.h"

namespace {

// Each rule of the command line with the cases that show it. A table's test is
// named after the rule, so that a failure names the rule it breaks.
template <typename Case> struct Rule {
    const char* name;
    std::vector<Case> cases;
};

template <typename Case> std::string RuleName(const testing::TestParamInfo<Rule<Case>>& info)
{
    return info.param.name;
}

struct ArgumentTextCase {
    std::string line;
    const char* argumentText;  // the end of the line where the argument text begins
};

const Rule<ArgumentTextCase> ARGUMENT_TEXT_RULES[] = {
    {"FollowsAQuotedProgramNameWithOrWithoutBlanks",
     {{"\"C:\\Program Files\\Tamblorn.scr\" /s", "/s"}, {"\"C:\\Program Files\\Tamblorn.scr\"/s", "/s"},
      {"\"C:\\Tamblorn.scr\"   \t /p 123", "/p 123"}, {"\"\" /c", "/c"}}},
    {"AnUnclosedQuoteTakesTheWholeLine", {{"\"C:\\Tamblorn.scr /s", ""}}},
    // An unquoted name directly followed by /s is all name.
    {"AnUnquotedProgramNameEndsAtTheFirstBlankOrControlByte",
     {{"C:\\WINDOWS\\Tamblorn.scr /s", "/s"}, {"Tamblorn.scr\t/s", "/s"}, {"Tamblorn.scr\x01\x1F\x20/p 5", "/p 5"},
      {"Tamblorn.scr/s", ""}}},
    // Half-width katakana are single bytes above 0x7F: negative as signed bytes.
    {"BytesFromA0UpBelongToAnUnquotedName",
     {{"\xC3\xDD\xCC\xDF\xDB\xDD.scr/s", ""}, {"\xC3\xDD\xCC\xDF\xDB\xDD.scr /s", "/s"}}},
    {"ALineWithoutAProgramName", {{"", ""}, {" /s", "/s"}, {"\t\t-S", "-S"}, {" \t ", ""}}},
    // 0x83 0x22 is one character whose second byte is a double quote: it does
    // not close the quoted name; likewise a blank as the second byte does not
    // end an unquoted name; a lead byte just before the end stops at the end.
    {"DoubleByteCharactersAreSteppedOverWhole",
     {{"\"C:\\\x83\x22.scr\" /s", "/s"}, {"Tamblorn\x83\x20/s", ""}, {"Tamblorn\x83", ""}, {"\"Tamblorn\x83", ""},
      {"\x8C\xDC\x8E\x9A.scr /a 7", "/a 7"}}},
};

class ArgumentText : public testing::TestWithParam<Rule<ArgumentTextCase>> {};

// The argument text is checked as an offset into the line, so that a result
// pointing outside the line shows.
TEST_P(ArgumentText, Rule)
{
    ASSERT_EQ(GetACP(), JAPANESE_CODE_PAGE) << "the double-byte cases need the Japanese code page";
    for (const ArgumentTextCase& sample : GetParam().cases) {
        const char* line = sample.line.c_str();
        size_t expected = sample.line.size() - strlen(sample.argumentText);
        ASSERT_EQ(static_cast<size_t>(FindArgumentText(line) - line), expected) << '"' << sample.line << '"';
        EXPECT_STREQ(FindArgumentText(line), sample.argumentText);
    }
}

struct DecimalCase {
    const char* text;
    DWORD number;
};

const Rule<DecimalCase> DECIMAL_RULES[] = {
    {"ReadsTheLeadingRunOfDigits",
     {{"0", 0}, {"123", 123}, {"0042", 42}, {"12x", 12}, {"7 8", 7}, {"4294967295", 0xFFFFFFFFu}}},
    // A full-width digit is no digit.
    {"IsZeroWithoutALeadingDigit",
     {{"", 0}, {" 5", 0}, {"\t5", 0}, {"-5", 0}, {"+5", 0}, {"abc", 0}, {"\x82\x4F", 0}}},
    {"StopsAtBytesFrom80Up", {{"7\x82\x4F", 7}, {"31\xB9", 31}}},
    {"WrapsModulo2To32",
     {{"4294967296", 0}, {"4294967297", 1}, {"99999999999", static_cast<DWORD>(99999999999ULL)}}},
};

class DecimalNumber : public testing::TestWithParam<Rule<DecimalCase>> {};

TEST_P(DecimalNumber, Rule)
{
    for (const DecimalCase& sample : GetParam().cases)
        EXPECT_EQ(ParseDecimal(sample.text), sample.number) << '"' << sample.text << '"';
}

struct SwitchCase {
    const char* argumentText;
    SwitchKind kind;
    DWORD windowNumber;
};

const Rule<SwitchCase> SWITCH_RULES[] = {
    {"NoSwitchMeansTheDialogWithoutAParent",
     {{"", SWITCH_NONE, 0}, {" ", SWITCH_NONE, 0}, {"-", SWITCH_NONE, 0}, {"/", SWITCH_NONE, 0},
      {"- /", SWITCH_NONE, 0}, {"//--  /", SWITCH_NONE, 0}}},
    {"FullScreenInEitherCaseBehindAnyLead",
     {{"/s", SWITCH_FULL_SCREEN, 0}, {"-S", SWITCH_FULL_SCREEN, 0}, {"s", SWITCH_FULL_SCREEN, 0},
      {" /s", SWITCH_FULL_SCREEN, 0}, {"S", SWITCH_FULL_SCREEN, 0}, {"-/ s", SWITCH_FULL_SCREEN, 0}}},
    {"OnlyTheFirstSwitchCounts",
     {{"/S/P 5", SWITCH_FULL_SCREEN, 0}, {"/s /p 123", SWITCH_FULL_SCREEN, 0}, {"/p 7 /s", SWITCH_PREVIEW, 7},
      {"/x /s", SWITCH_REJECTED, 0}}},
    {"PreviewReadsTheWindowNumberAfterBlanks",
     {{"/p 123", SWITCH_PREVIEW, 123}, {"-P123", SWITCH_PREVIEW, 123}, {"/p    77", SWITCH_PREVIEW, 77},
      {"/p12x", SWITCH_PREVIEW, 12}, {"p 9", SWITCH_PREVIEW, 9}}},
    {"PreviewWithoutANumberHasWindowNumberZero",
     {{"/p", SWITCH_PREVIEW, 0}, {"/p 0", SWITCH_PREVIEW, 0}, {"/p abc", SWITCH_PREVIEW, 0},
      {"/p -5", SWITCH_PREVIEW, 0}, {"/p:5", SWITCH_PREVIEW, 0}}},
    {"OnlyBlanksAreSkippedBeforeTheNumber", {{"/p\t5", SWITCH_PREVIEW, 0}, {"/a\t5", SWITCH_PASSWORD, 0}}},
    {"LIsPreviewToo", {{"/l 123", SWITCH_PREVIEW, 123}, {"-L456", SWITCH_PREVIEW, 456}}},
    {"PreviewWindowNumbersWrap", {{"/p 4294967297", SWITCH_PREVIEW, 1}, {"/p 4294967296", SWITCH_PREVIEW, 0}}},
    {"ConfigureTakesANumberOnlyDirectlyBehindAColon",
     {{"/c:456", SWITCH_CONFIGURE, 456}, {"-C:789x", SWITCH_CONFIGURE, 789}, {"/c 456", SWITCH_CONFIGURE, 0},
      {"/c", SWITCH_CONFIGURE, 0}, {"/c: 456", SWITCH_CONFIGURE, 0}, {"/c456", SWITCH_CONFIGURE, 0},
      {"C:", SWITCH_CONFIGURE, 0}}},
    {"PasswordReadsTheWindowNumberAfterBlanks",
     {{"/a 99", SWITCH_PASSWORD, 99}, {"-A99", SWITCH_PASSWORD, 99}, {"/a", SWITCH_PASSWORD, 0}}},
    {"AnythingElseIsRejected",
     {{"/x", SWITCH_REJECTED, 0}, {"/1", SWITCH_REJECTED, 0}, {"1", SWITCH_REJECTED, 0}, {"\t/s", SWITCH_REJECTED, 0},
      {"/\ts", SWITCH_REJECTED, 0}, {"?", SWITCH_REJECTED, 0}, {"/\x82\x93", SWITCH_REJECTED, 0},
      {"\x82\x93", SWITCH_REJECTED, 0}, {"/\xB1", SWITCH_REJECTED, 0}, {"/\x83\x73", SWITCH_REJECTED, 0}}},
};

class SaverSwitchRule : public testing::TestWithParam<Rule<SwitchCase>> {};

TEST_P(SaverSwitchRule, Rule)
{
    for (const SwitchCase& sample : GetParam().cases) {
        SaverSwitch request = {SWITCH_REJECTED, 0xDEADBEEF};
        ReadSaverSwitch(sample.argumentText, &request);
        EXPECT_EQ(request.kind, sample.kind) << '"' << sample.argumentText << '"';
        EXPECT_EQ(request.windowNumber, sample.windowNumber) << '"' << sample.argumentText << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, ArgumentText, testing::ValuesIn(ARGUMENT_TEXT_RULES), RuleName<ArgumentTextCase>);
INSTANTIATE_TEST_SUITE_P(Rules, DecimalNumber, testing::ValuesIn(DECIMAL_RULES), RuleName<DecimalCase>);
INSTANTIATE_TEST_SUITE_P(SaverSwitch, SaverSwitchRule, testing::ValuesIn(SWITCH_RULES), RuleName<SwitchCase>);

}  // namespace

namespace {

// What owns the configuration dialog (found by its class, then cancelled) or the password change.
HWND ownerSeen;
int dialogWaits;
const UINT DIALOG_LOOK_MS = 20;
const int DIALOG_WAITS = 500;  // a bound: a dialog that never shows fails the test instead of hanging it

void CALLBACK NoteDialogOwnerAndCancel(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowA("#32770", nullptr);
    if (dialog || ++dialogWaits >= DIALOG_WAITS) {
        ownerSeen = dialog ? GetWindow(dialog, GW_OWNER) : nullptr;
        if (dialog)
            EndDialog(dialog, IDCANCEL);
    }
}

BOOL WINAPI ReportNineXFamily(LPOSVERSIONINFOA version)
{
    version->dwMajorVersion = 4;
    version->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

DWORD WINAPI NoteChangeOwner(LPCSTR, HWND owner, DWORD, LPVOID)
{
    ownerSeen = owner;
    return 0;
}
HWND MakeTopWindow(const char* title)
{
    return CreateWindowExA(0, "STATIC", title, WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

// /c:N and /a N are owned by window N when it exists, else by the foreground window.
TEST(CommandLine, TheWindowNumberGivenOwnsTheDialogOrThePasswordChangeElseTheForegroundWindow)
{
    HWND given = MakeTopWindow("given");
    HWND gone = MakeTopWindow("gone");
    HWND foreground = MakeTopWindow("foreground");
    ASSERT_TRUE(given && gone && foreground);
    DestroyWindow(gone);
    // The configuration dialog last: its start-up leaves the host as a start on this system would.
    for (const char* format : {"/a %u", "/c:%u"}) {
        for (HWND number : {given, gone}) {
            SetForegroundWindow(foreground);  // the last dialog gave its owner the foreground
            PumpMessages();
            ASSERT_EQ(GetForegroundWindow(), foreground);
            char line[32];
            snprintf(line, sizeof line, format, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(number)));
            SCOPED_TRACE(line);
            ownerSeen = reinterpret_cast<HWND>(-1);
            dialogWaits = 0;
            bool password = line[1] == 'a';
            auto realVersion = password ? ReplaceImport("GetVersionExA", ReportNineXFamily) : nullptr;
            OfferEntry("PwdChangePasswordA", AsEntry(NoteChangeOwner));
            UINT_PTR timer = password ? 0 : SetTimer(nullptr, 0, DIALOG_LOOK_MS, NoteDialogOwnerAndCancel);
            SaverMain(GetModuleHandleA(nullptr), line);
            StopOfferingEntry();
            if (password)
                ReplaceImport("GetVersionExA", realVersion);
            KillTimer(nullptr, timer);
            EXPECT_EQ(ownerSeen, number == given ? given : foreground);
            EXPECT_LT(dialogWaits, DIALOG_WAITS) << "no dialog showed";
        }
    }
    DestroyWindow(given);
    DestroyWindow(foreground);
}
