#include <gtest/gtest.h>

#include <string>

#include "command_line.h"
#include "host_state.h"

namespace {

const UINT JAPANESE_CODE_PAGE = 932;

// The argument text as an offset into the command line, so that a result
// pointing outside the line shows.
size_t ArgumentOffset(const char* commandLine)
{
    return static_cast<size_t>(FindArgumentText(commandLine) - commandLine);
}

std::string ArgumentText(const char* commandLine)
{
    return FindArgumentText(commandLine);
}

SaverSwitch ReadSwitch(const char* argumentText)
{
    SaverSwitch result = {SWITCH_REJECTED, 0xDEADBEEF};
    ReadSaverSwitch(argumentText, &result);
    return result;
}

SwitchKind KindOf(const char* argumentText)
{
    return ReadSwitch(argumentText).kind;
}

DWORD WindowNumberOf(const char* argumentText)
{
    return ReadSwitch(argumentText).windowNumber;
}

}  // namespace

TEST(ArgumentText, FollowsAQuotedProgramNameWithOrWithoutBlanks)
{
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Tamblorn.scr\" /s"), "/s");
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Tamblorn.scr\"/s"), "/s");
    EXPECT_EQ(ArgumentText("\"C:\\Tamblorn.scr\"   \t /p 123"), "/p 123");
    EXPECT_EQ(ArgumentText("\"\" /c"), "/c");
}

TEST(ArgumentText, AnUnclosedQuoteTakesTheWholeLine)
{
    const char line[] = "\"C:\\Tamblorn.scr /s";
    EXPECT_EQ(ArgumentOffset(line), sizeof line - 1);
}

TEST(ArgumentText, AnUnquotedProgramNameEndsAtTheFirstBlankOrControlByte)
{
    EXPECT_EQ(ArgumentText("C:\\WINDOWS\\Tamblorn.scr /s"), "/s");
    EXPECT_EQ(ArgumentText("Tamblorn.scr\t/s"), "/s");
    EXPECT_EQ(ArgumentText("Tamblorn.scr\x01\x1F\x20/p 5"), "/p 5");
    const char glued[] = "Tamblorn.scr/s";
    EXPECT_EQ(ArgumentOffset(glued), sizeof glued - 1) << "an unquoted name directly followed by /s is all name";
}

TEST(ArgumentText, BytesFromA0UpBelongToAnUnquotedName)
{
    // Half-width katakana are single bytes above 0x7F: negative as signed bytes.
    const char katakana[] = "\xC3\xDD\xCC\xDF\xDB\xDD.scr/s";
    EXPECT_EQ(ArgumentOffset(katakana), sizeof katakana - 1);
    EXPECT_EQ(ArgumentText("\xC3\xDD\xCC\xDF\xDB\xDD.scr /s"), "/s");
}

TEST(ArgumentText, ALineWithoutAProgramName)
{
    EXPECT_EQ(ArgumentText(""), "");
    EXPECT_EQ(ArgumentText(" /s"), "/s");
    EXPECT_EQ(ArgumentText("\t\t-S"), "-S");
    const char blanks[] = " \t ";
    EXPECT_EQ(ArgumentOffset(blanks), sizeof blanks - 1);
}

TEST(ArgumentText, DoubleByteCharactersAreSteppedOverWhole)
{
    ASSERT_EQ(GetACP(), JAPANESE_CODE_PAGE) << "these cases need the Japanese code page";
    // 0x83 0x22 is one character whose second byte is a double quote: it does
    // not close the quoted name.
    EXPECT_EQ(ArgumentText("\"C:\\\x83\x22.scr\" /s"), "/s");
    // Likewise a blank as the second byte does not end an unquoted name.
    const char blankTrail[] = "Tamblorn\x83\x20/s";
    EXPECT_EQ(ArgumentOffset(blankTrail), sizeof blankTrail - 1);
    // A lead byte just before the end stops at the end, not behind it.
    const char cutLead[] = "Tamblorn\x83";
    EXPECT_EQ(ArgumentOffset(cutLead), sizeof cutLead - 1);
    const char cutQuotedLead[] = "\"Tamblorn\x83";
    EXPECT_EQ(ArgumentOffset(cutQuotedLead), sizeof cutQuotedLead - 1);
    EXPECT_EQ(ArgumentText("\x8C\xDC\x8E\x9A.scr /a 7"), "/a 7");
}

TEST(DecimalNumber, ReadsTheLeadingRunOfDigits)
{
    EXPECT_EQ(ParseDecimal("0"), 0u);
    EXPECT_EQ(ParseDecimal("123"), 123u);
    EXPECT_EQ(ParseDecimal("0042"), 42u);
    EXPECT_EQ(ParseDecimal("12x"), 12u);
    EXPECT_EQ(ParseDecimal("7 8"), 7u);
    EXPECT_EQ(ParseDecimal("4294967295"), 0xFFFFFFFFu);
}

TEST(DecimalNumber, IsZeroWithoutALeadingDigit)
{
    EXPECT_EQ(ParseDecimal(""), 0u);
    EXPECT_EQ(ParseDecimal(" 5"), 0u);
    EXPECT_EQ(ParseDecimal("\t5"), 0u);
    EXPECT_EQ(ParseDecimal("-5"), 0u);
    EXPECT_EQ(ParseDecimal("+5"), 0u);
    EXPECT_EQ(ParseDecimal("abc"), 0u);
    EXPECT_EQ(ParseDecimal("\x82\x4F"), 0u) << "a full-width digit is no digit";
}

TEST(DecimalNumber, StopsAtBytesFrom80Up)
{
    EXPECT_EQ(ParseDecimal("7\x82\x4F"), 7u);
    EXPECT_EQ(ParseDecimal("31\xB9"), 31u);
}

TEST(DecimalNumber, WrapsModulo2To32)
{
    EXPECT_EQ(ParseDecimal("4294967296"), 0u);
    EXPECT_EQ(ParseDecimal("4294967297"), 1u);
    EXPECT_EQ(ParseDecimal("99999999999"), static_cast<DWORD>(99999999999ULL));
}

TEST(SaverSwitch, NoSwitchMeansTheDialogWithoutAParent)
{
    for (const char* text : {"", " ", "-", "/", "- /", "//--  /"}) {
        SaverSwitch request = ReadSwitch(text);
        EXPECT_EQ(request.kind, SWITCH_NONE) << '"' << text << '"';
        EXPECT_EQ(request.windowNumber, 0u) << '"' << text << '"';
    }
}

TEST(SaverSwitch, FullScreenInEitherCaseBehindAnyLead)
{
    for (const char* text : {"/s", "-S", "s", " /s", "S", "-/ s"})
        EXPECT_EQ(KindOf(text), SWITCH_FULL_SCREEN) << '"' << text << '"';
}

TEST(SaverSwitch, OnlyTheFirstSwitchCounts)
{
    EXPECT_EQ(KindOf("/S/P 5"), SWITCH_FULL_SCREEN);
    EXPECT_EQ(KindOf("/s /p 123"), SWITCH_FULL_SCREEN);
    SaverSwitch request = ReadSwitch("/p 7 /s");
    EXPECT_EQ(request.kind, SWITCH_PREVIEW);
    EXPECT_EQ(request.windowNumber, 7u);
    EXPECT_EQ(KindOf("/x /s"), SWITCH_REJECTED);
}

TEST(SaverSwitch, PreviewReadsTheWindowNumberAfterBlanks)
{
    EXPECT_EQ(KindOf("/p 123"), SWITCH_PREVIEW);
    EXPECT_EQ(WindowNumberOf("/p 123"), 123u);
    EXPECT_EQ(WindowNumberOf("-P123"), 123u);
    EXPECT_EQ(WindowNumberOf("/p    77"), 77u);
    EXPECT_EQ(WindowNumberOf("/p12x"), 12u);
    EXPECT_EQ(WindowNumberOf("p 9"), 9u);
}

TEST(SaverSwitch, PreviewWithoutANumberHasWindowNumberZero)
{
    for (const char* text : {"/p", "/p 0", "/p abc", "/p -5", "/p:5"}) {
        SaverSwitch request = ReadSwitch(text);
        EXPECT_EQ(request.kind, SWITCH_PREVIEW) << '"' << text << '"';
        EXPECT_EQ(request.windowNumber, 0u) << '"' << text << '"';
    }
}

TEST(SaverSwitch, OnlyBlanksAreSkippedBeforeTheNumber)
{
    SaverSwitch request = ReadSwitch("/p\t5");
    EXPECT_EQ(request.kind, SWITCH_PREVIEW);
    EXPECT_EQ(request.windowNumber, 0u);
    EXPECT_EQ(WindowNumberOf("/a\t5"), 0u);
}

TEST(SaverSwitch, LIsPreviewToo)
{
    SaverSwitch lower = ReadSwitch("/l 123");
    EXPECT_EQ(lower.kind, SWITCH_PREVIEW);
    EXPECT_EQ(lower.windowNumber, 123u);
    SaverSwitch upper = ReadSwitch("-L456");
    EXPECT_EQ(upper.kind, SWITCH_PREVIEW);
    EXPECT_EQ(upper.windowNumber, 456u);
}

TEST(SaverSwitch, PreviewWindowNumbersWrap)
{
    EXPECT_EQ(WindowNumberOf("/p 4294967297"), 1u);
    EXPECT_EQ(WindowNumberOf("/p 4294967296"), 0u);
}

TEST(SaverSwitch, ConfigureTakesANumberOnlyDirectlyBehindAColon)
{
    SaverSwitch owned = ReadSwitch("/c:456");
    EXPECT_EQ(owned.kind, SWITCH_CONFIGURE);
    EXPECT_EQ(owned.windowNumber, 456u);
    EXPECT_EQ(WindowNumberOf("-C:789x"), 789u);
    for (const char* text : {"/c 456", "/c", "/c: 456", "/c456", "C:"}) {
        SaverSwitch request = ReadSwitch(text);
        EXPECT_EQ(request.kind, SWITCH_CONFIGURE) << '"' << text << '"';
        EXPECT_EQ(request.windowNumber, 0u) << '"' << text << '"';
    }
}

TEST(SaverSwitch, PasswordReadsTheWindowNumberAfterBlanks)
{
    SaverSwitch request = ReadSwitch("/a 99");
    EXPECT_EQ(request.kind, SWITCH_PASSWORD);
    EXPECT_EQ(request.windowNumber, 99u);
    EXPECT_EQ(WindowNumberOf("-A99"), 99u);
    EXPECT_EQ(KindOf("/a"), SWITCH_PASSWORD);
    EXPECT_EQ(WindowNumberOf("/a"), 0u);
}

TEST(SaverSwitch, AnythingElseIsRejected)
{
    for (const char* text : {"/x", "/1", "1", "\t/s", "/\ts", "?", "/\x82\x93", "\x82\x93", "/\xB1", "/\x83\x73"}) {
        SaverSwitch request = ReadSwitch(text);
        EXPECT_EQ(request.kind, SWITCH_REJECTED) << '"' << text << '"';
        EXPECT_EQ(request.windowNumber, 0u) << '"' << text << '"';
    }
}

TEST(CommandLine, WhereTheProgramNameEndsDecidesTheService)
{
    EXPECT_EQ(KindOf(FindArgumentText("\"C:\\WINDOWS\\Tamblorn.scr\"/s")), SWITCH_FULL_SCREEN);
    EXPECT_EQ(KindOf(FindArgumentText("C:\\WINDOWS\\Tamblorn.scr/s")), SWITCH_NONE);
    EXPECT_EQ(KindOf(FindArgumentText("C:\\WINDOWS\\Tamblorn.scr\t/s")), SWITCH_FULL_SCREEN);
    EXPECT_EQ(KindOf(FindArgumentText("C:\\WINDOWS\\Tamblorn.scr")), SWITCH_NONE);
    SaverSwitch preview = ReadSwitch(FindArgumentText("Tamblorn.scr /p 4294967297"));
    EXPECT_EQ(preview.kind, SWITCH_PREVIEW);
    EXPECT_EQ(preview.windowNumber, 1u);
}
