#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_options.h"

namespace {

struct Parsed {
    int32_t flag;
    int32_t number;
    bool haveNumber;
    int32_t choice;
    int32_t pair[2];
    const char* text;
};

Parsed parsed;

const ProgramOption TABLE[] = {
    {"on", OPTION_SET, &parsed.flag, nullptr, nullptr, 1, 1, nullptr},
    {"no-on", OPTION_SET, &parsed.flag, nullptr, nullptr, 0, 0, nullptr},
    {"size", OPTION_NUMBER, &parsed.number, nullptr, &parsed.haveNumber, 1, 127, nullptr},
    {"mode", OPTION_CHOICE, &parsed.choice, nullptr, nullptr, 0, 0, "text|bonfire"},
    {"client", OPTION_PAIR, parsed.pair, nullptr, nullptr, 0, 65535, nullptr},
    {"text", OPTION_TEXT, nullptr, &parsed.text, nullptr, 0, 0, nullptr},
};

struct OptionCase {
    std::vector<std::string> arguments;
    bool read;
    const char* wrong;  // the argument named when it is not read
    Parsed expected;
};

const OptionCase CASES[] = {
    {{}, true, nullptr, {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-on", "--size", "10", "-mode", "bonfire"}, true, nullptr, {1, 10, true, 1, {-1, -1}, ""}},
    {{"-on", "-no-on"}, true, nullptr, {0, -1, false, -1, {-1, -1}, ""}},
    // Decimal or 0x hexadecimal, never octal; the whole value, within its range.
    {{"-size", "010"}, true, nullptr, {-1, 10, true, -1, {-1, -1}, ""}},
    {{"-size", "0x7f"}, true, nullptr, {-1, 127, true, -1, {-1, -1}, ""}},
    {{"-size", "128"}, false, "128", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-size", "0"}, false, "0", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-size", "12abc"}, false, "12abc", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-size", ""}, false, "", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-size", "99999999999999999999"}, false, "99999999999999999999", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-size"}, false, "-size", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-mode", "text", "--client", "1024x768", "-text", "-on"}, true, nullptr, {-1, -1, false, 0, {1024, 768}, "-on"}},
    {{"-mode", "fire"}, false, "fire", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-mode", "bon"}, false, "bon", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-client", "1024x"}, false, "1024x", {-1, -1, false, -1, {1024, -1}, ""}},
    {{"-client", "1024*768"}, false, "1024*768", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"-sizes", "1"}, false, "-sizes", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"size", "1"}, false, "size", {-1, -1, false, -1, {-1, -1}, ""}},
    {{"---on"}, false, "---on", {-1, -1, false, -1, {-1, -1}, ""}},
};

}  // namespace

TEST(ProgramOptions, ReadEachKindOrNameTheArgumentNotUnderstood)
{
    for (const OptionCase& sample : CASES) {
        std::vector<char*> argv = {const_cast<char*>("program")};
        for (const std::string& argument : sample.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        parsed = {-1, -1, false, -1, {-1, -1}, ""};
        const char* wrong = "unset";
        std::string label = sample.arguments.empty() ? "(none)" : sample.arguments[0] + " ...";
        ASSERT_EQ(ReadProgramOptions(static_cast<int>(argv.size()), argv.data(), TABLE, 6, &wrong), sample.read)
            << label;
        if (sample.wrong)
            EXPECT_STREQ(wrong, sample.wrong) << label;
        else
            EXPECT_EQ(wrong, nullptr) << label;
        if (!sample.read)
            continue;
        EXPECT_EQ(parsed.flag, sample.expected.flag) << label;
        EXPECT_EQ(parsed.number, sample.expected.number) << label;
        EXPECT_EQ(parsed.haveNumber, sample.expected.haveNumber) << label;
        EXPECT_EQ(parsed.choice, sample.expected.choice) << label;
        EXPECT_EQ(parsed.pair[0], sample.expected.pair[0]) << label;
        EXPECT_EQ(parsed.pair[1], sample.expected.pair[1]) << label;
        EXPECT_STREQ(parsed.text, sample.expected.text) << label;
    }
}
