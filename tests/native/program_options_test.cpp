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

const Parsed UNTOUCHED = {-1, -1, false, -1, {-1, -1}, ""};

// Whether the arguments are read into *parsed, and the argument named as not understood.
bool Read(const std::vector<std::string>& arguments, Parsed* parsed, const char** wrong)
{
    const ProgramOption table[] = {
        {"on", OPTION_SET, &parsed->flag, nullptr, nullptr, 1, 1, nullptr},
        {"no-on", OPTION_SET, &parsed->flag, nullptr, nullptr, 0, 0, nullptr},
        {"size", OPTION_NUMBER, &parsed->number, nullptr, &parsed->haveNumber, 1, 127, nullptr},
        {"mode", OPTION_CHOICE, &parsed->choice, nullptr, nullptr, 0, 0, "text|bonfire"},
        {"client", OPTION_PAIR, parsed->pair, nullptr, nullptr, 0, 65535, nullptr},
        {"text", OPTION_TEXT, nullptr, &parsed->text, nullptr, 0, 0, nullptr},
    };
    std::vector<char*> argv = {const_cast<char*>("program")};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    *parsed = UNTOUCHED;
    *wrong = "unset";
    return ReadProgramOptions(static_cast<int>(argv.size()), argv.data(), table, 6, wrong);
}

}  // namespace

TEST(ProgramOptions, ReadEachKind)
{
    const struct {
        std::vector<std::string> arguments;
        Parsed expected;
    } cases[] = {
        {{}, UNTOUCHED},
        {{"-on", "--size", "10", "-mode", "bonfire"}, {1, 10, true, 1, {-1, -1}, ""}},
        {{"-on", "-no-on"}, {0, -1, false, -1, {-1, -1}, ""}},
        // Decimal or 0x hexadecimal, never octal.
        {{"-size", "010"}, {-1, 10, true, -1, {-1, -1}, ""}},
        {{"-size", "0x7f"}, {-1, 127, true, -1, {-1, -1}, ""}},
        {{"-mode", "text", "--client", "1024x768", "-text", "-on"}, {-1, -1, false, 0, {1024, 768}, "-on"}},
    };
    for (const auto& sample : cases) {
        Parsed parsed;
        const char* wrong = nullptr;
        const std::string label = sample.arguments.empty() ? "(none)" : sample.arguments[0] + " ...";
        ASSERT_TRUE(Read(sample.arguments, &parsed, &wrong)) << label;
        EXPECT_EQ(wrong, nullptr) << label;
        const Parsed& expected = sample.expected;
        EXPECT_EQ(std::make_tuple(parsed.flag, parsed.number, parsed.haveNumber, parsed.choice, parsed.pair[0],
                                  parsed.pair[1], std::string(parsed.text)),
                  std::make_tuple(expected.flag, expected.number, expected.haveNumber, expected.choice,
                                  expected.pair[0], expected.pair[1], std::string(expected.text)))
            << label;
    }
}

// A value must be whole and within its range; the argument not understood is named.
TEST(ProgramOptions, NameTheArgumentNotUnderstood)
{
    const struct {
        std::vector<std::string> arguments;
        const char* wrong;
    } cases[] = {
        {{"-size", "128"}, "128"}, {{"-size", "0"}, "0"}, {{"-size", "12abc"}, "12abc"}, {{"-size", ""}, ""},
        {{"-size", "99999999999999999999"}, "99999999999999999999"}, {{"-size"}, "-size"},
        {{"-mode", "fire"}, "fire"}, {{"-mode", "bon"}, "bon"}, {{"-client", "1024x"}, "1024x"},
        {{"-client", "1024*768"}, "1024*768"}, {{"-sizes", "1"}, "-sizes"}, {{"size", "1"}, "size"},
        {{"---on"}, "---on"},
    };
    for (const auto& sample : cases) {
        Parsed parsed;
        const char* wrong = nullptr;
        EXPECT_FALSE(Read(sample.arguments, &parsed, &wrong)) << sample.arguments[0];
        EXPECT_STREQ(wrong, sample.wrong) << sample.arguments[0];
    }
}
