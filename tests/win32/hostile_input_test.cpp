// Hostile command lines: generated lines through the argument reader and the
// switch decision, held to what must stay true of any line (the worked rules
// are the tables of command_line_test.cpp). The harness prints what it tried;
// TAMBLORN_STRESS=1 runs the full count.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "command_line.h"
#include "win_test_support.h"

using settings_mutations::RandomByte;
using settings_mutations::RandomBytes;
using settings_mutations::RandomLeadByte;

namespace {

const char* const PROGRAM_NAMES[] = {
    "",
    "\"C:\\Program Files\\Tamblorn\\Tamblorn.scr\"",
    "C:\\WINDOWS\\TAMBLORN.SCR",
    "\"C:\\WINDOWS\\Tamblorn.scr",  // never closed
    "\"\"",
    "\x8C\xDC\x8E\x9A.scr",
    "\"C:\\\x83\x22.scr\"",  // a trail byte that is a quote
    "Tamblorn\x83\x20.scr",  // a trail byte that is a blank
    "\xC3\xDD\xCC\xDF\xDB\xDD.scr",
    "Tamblorn.scr/s",
};
const char SWITCH_LETTERS[] = "scplaSCPLA";
const char* const NUMBERS[] = {"0",
                               "1",
                               "123",
                               "00042",
                               "4294967295",
                               "4294967296",
                               "4294967297",
                               "18446744073709551615",
                               "18446744073709551616",
                               "340282366920938463463374607431768211457",
                               "-1",
                               "-123",
                               "+5",
                               "99999999999999999999999999"};

const char BLANKS[] = " \t \x01\x1F \r\n";
const char DIGITS[] = "0123456789";

// From `fewest` to `most` bytes drawn from `bytes`.
std::string RandomRun(std::mt19937& random, const char* bytes, int fewest, int most)
{
    std::string run;
    for (int i = fewest + static_cast<int>(random() % (most - fewest + 1)); i > 0; --i)
        run += bytes[random() % strlen(bytes)];
    return run;
}

std::string RandomNumber(std::mt19937& random, HWND realWindow)
{
    switch (random() % 4) {
    case 0:
        return NUMBERS[random() % (sizeof NUMBERS / sizeof NUMBERS[0])];
    case 1:
        return std::to_string(random());
    case 2:
        return std::to_string(reinterpret_cast<UINT_PTR>(realWindow));
    default:
        return RandomRun(random, DIGITS, 1, 60);
    }
}

std::string RandomCommandLine(std::mt19937& random, HWND realWindow)
{
    switch (random() % 10) {
    case 0:
        return "";
    case 1:
        return RandomBytes(random, 80);
    default:
        break;
    }
    std::string line = PROGRAM_NAMES[random() % (sizeof PROGRAM_NAMES / sizeof PROGRAM_NAMES[0])];
    line += RandomRun(random, BLANKS, 0, 3);
    int leads = static_cast<int>(random() % 4);
    for (int i = 0; i < leads; ++i)
        line += " -/"[random() % 3];
    line += random() % 8 ? SWITCH_LETTERS[random() % (sizeof SWITCH_LETTERS - 1)] : RandomByte(random);
    if (random() % 3 == 0)
        line += ':';
    line += std::string(random() % 3, ' ');
    if (random() % 4 == 0)
        line += '\t';
    if (random() % 4)
        line += RandomNumber(random, realWindow);
    if (random() % 2)
        line += random() % 2 ? " /s /p 5" : RandomBytes(random, 12);
    if (random() % 4 == 0)
        line += '"';
    if (random() % 3 == 0)
        line += RandomLeadByte(random);
    return line;
}

const char* const SWITCH_NAMES[] = {"none", "configure", "full screen", "preview", "password", "rejected"};
const char PLAIN_PROGRAM_NAME[] = "Tamblorn.scr ";
const unsigned char LAST_BLANK_BYTE = 0x20;

SaverSwitch SwitchOf(const std::string& argumentText)
{
    SaverSwitch read = {SWITCH_REJECTED, 0xDEADBEEF};
    ReadSaverSwitch(argumentText.c_str(), &read);
    return read;
}

std::string WithLettersInTheOtherCase(std::string text)
{
    for (char& byte : text)
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'))
            byte ^= 'a' ^ 'A';
    return text;
}

bool SameSwitch(SaverSwitch one, SaverSwitch other)
{
    return one.kind == other.kind && one.windowNumber == other.windowNumber;
}

// What must hold for every line: the argument text starts inside the line at
// a byte that is no blank; the same text behind another program name gives
// the same switch; the case of the letters does not matter; only the switches
// that name a window carry a number.
std::string BrokenRule(const char* argumentText, SaverSwitch got)
{
    const std::string argument = argumentText;
    if (!argument.empty() && static_cast<unsigned char>(argument[0]) <= LAST_BLANK_BYTE)
        return "the argument text starts at a blank";
    const std::string behindPlainName = PLAIN_PROGRAM_NAME + argument;
    if (FindArgumentText(behindPlainName.c_str()) != behindPlainName.c_str() + sizeof PLAIN_PROGRAM_NAME - 1)
        return "the argument text is found elsewhere behind another program name";
    if (!SameSwitch(SwitchOf(argument), got))
        return "the switch depends on the program name";
    if (!SameSwitch(SwitchOf(WithLettersInTheOtherCase(argument)), got))
        return "the switch depends on the case of its letters";
    if (got.windowNumber != 0 && got.kind != SWITCH_PREVIEW && got.kind != SWITCH_PASSWORD &&
        got.kind != SWITCH_CONFIGURE)
        return "a window number without a window's switch";
    return "";
}

}  // namespace

TEST(HostileInput, GeneratedCommandLinesKeepTheRulesOfEveryLine)
{
    ASSERT_EQ(GetACP(), JAPANESE_CODE_PAGE) << "the double-byte cases need the Japanese code page";
    const int count = StressCount(20000, 100000);
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ReportFaultingCase);
    HWND realWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    int kinds[SWITCH_REJECTED + 1] = {};
    int mismatches = 0;
    int previewsInAWindow = 0;
    DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        currentCase = RandomCommandLine(random, realWindow);
        const char* line = currentCase.c_str();
        const char* argumentText = FindArgumentText(line);
        ASSERT_GE(argumentText, line);
        ASSERT_LE(argumentText, line + currentCase.size()) << Printable(currentCase);
        SaverSwitch got = SwitchOf(argumentText);
        ASSERT_TRUE(got.kind >= SWITCH_NONE && got.kind <= SWITCH_REJECTED) << Printable(currentCase);
        ++kinds[got.kind];
        // Start-up runs a preview only in an existing window; any other preview number is rejected.
        if (got.kind == SWITCH_PREVIEW && got.windowNumber != 0 &&
            IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(got.windowNumber))))
            ++previewsInAWindow;
        std::string broken = BrokenRule(argumentText, got);
        if (!broken.empty() && ++mismatches <= 10)
            ADD_FAILURE() << "command line \"" << Printable(currentCase) << "\": " << broken << " (switch "
                          << SWITCH_NAMES[got.kind] << " number " << got.windowNumber << ")";
    }
    printf("command lines: %d tried in %lu ms (seed %u):", count, GetTickCount() - start, seed);
    for (int kind = SWITCH_NONE; kind <= SWITCH_REJECTED; ++kind)
        printf(" %s %d,", SWITCH_NAMES[kind], kinds[kind]);
    printf(" %d breaking a rule; %d previews in an existing window\n", mismatches, previewsInAWindow);
    EXPECT_EQ(mismatches, 0);
    for (int kind = SWITCH_NONE; kind <= SWITCH_REJECTED; ++kind)
        EXPECT_GT(kinds[kind], 0) << SWITCH_NAMES[kind] << " never came up";
    EXPECT_GT(previewsInAWindow, 0);
    DestroyWindow(realWindow);
    SetUnhandledExceptionFilter(previousFilter);
}
