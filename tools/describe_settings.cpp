// Writes the X11 program's settings description and the native programs'
// manual pages from their templates in x11/package/ and wayland/package/,
// with the sizes, strengths and text length of the settings table, so that
// the table is the one list of them:
//   tamblorn-describe DESCRIPTION.in DESCRIPTION MANUAL.in MANUAL [MANUAL.in MANUAL]...
//   tamblorn-describe --ranges    prints the numbers the page asks the core for
// The output depends on nothing but the templates and the table.
#include <cstdio>
#include <string>

#include <cstring>

#include "native_canvas.h"
#include "program_options.h"
#include "saver_settings.h"

namespace {

const int EXIT_WRONG = 2;
const char* const STRENGTH_LABELS[FLAME_STRENGTH_COUNT] = {"Weak flames", "Medium flames", "Strong flames"};

bool ReadText(const char* path, std::string* text)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text->append(buffer, got);
    fclose(file);
    return true;
}

bool WriteText(const char* path, const std::string& text)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

// Every mark in the text replaced; false when a mark is missing, so a template and its generator never part.
bool Fill(std::string* text, const char* mark, const std::string& value)
{
    size_t at = text->find(mark);
    if (at == std::string::npos)
        return false;
    for (; at != std::string::npos; at = text->find(mark, at + value.size()))
        text->replace(at, std::string(mark).size(), value);
    return true;
}

std::string Number(int32_t number)
{
    return std::to_string(number);
}

std::string Strengths(const char* separator)
{
    char strengths[STRENGTHS_TEXT_BYTES];
    WriteStrengths(strengths, sizeof strengths, "%d", separator);
    return strengths;
}

bool Describe(std::string* description)
{
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    std::string sizes, strengths;
    for (int32_t n = size.lowest; n <= size.highest; ++n)
        sizes += "      <option id=\"size-" + Number(n) + "\" _label=\"" + Number(n) + (n == 1 ? " pixel" : " pixels") +
                 "\" arg-set=\"-size " + Number(n) + "\"/>\n";
    for (int i = 0; i < FLAME_STRENGTH_COUNT; ++i)
        strengths += "      <option id=\"strength-" + Number(FLAME_STRENGTHS[i]) + "\" _label=\"" + STRENGTH_LABELS[i] +
                     "\" arg-set=\"-strength " + Number(FLAME_STRENGTHS[i]) + "\"/>\n";
    sizes.pop_back();
    strengths.pop_back();
    return Fill(description, "@SIZE_CHOICES@", sizes) && Fill(description, "@STRENGTH_CHOICES@", strengths);
}

bool WriteManual(std::string* manual)
{
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    // The share of a screen FIT_REFERENCE_WIDTH wide that the default text takes at the default size, in per cent.
    const int32_t share = static_cast<int32_t>(strlen(DEFAULT_TEXT)) * size.defaultNumber * 100 / FIT_REFERENCE_WIDTH;
    return Fill(manual, "@DEFAULT_SHARE@", Number(share)) && Fill(manual, "@SIZE_LOWEST@", Number(size.lowest)) && Fill(manual, "@SIZE_HIGHEST@", Number(size.highest)) &&
           Fill(manual, "@SIZE_DEFAULT@", Number(size.defaultNumber)) &&
           Fill(manual, "@TEXT_BYTES@", Number(SETTINGS_TEXT_BYTES - 1)) &&
           Fill(manual, "@STRENGTHS_MARKED@", Strengths("\\fR|\\fP")) && Fill(manual, "@STRENGTHS@", Strengths("|"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--ranges") {
        const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
        printf("size %d %d strengths %s text %d\n", size.lowest, size.highest, Strengths(" ").c_str(),
               SETTINGS_TEXT_BYTES - 1);
        return 0;
    }
    std::string description;
    // The description and the X11 program's manual, then any further manual (the Wayland program's).
    if (argc < 5 || argc % 2 == 0 || !ReadText(argv[1], &description)) {
        fprintf(stderr, "usage: tamblorn-describe DESCRIPTION.in DESCRIPTION MANUAL.in MANUAL [MANUAL.in MANUAL]... "
                        "| --ranges\n");
        return EXIT_WRONG;
    }
    if (!Describe(&description) || !WriteText(argv[2], description)) {
        fprintf(stderr, "tamblorn-describe: %s lacks one of its marks or %s cannot be written\n", argv[1], argv[2]);
        return 1;
    }
    for (int i = 3; i + 1 < argc; i += 2) {
        std::string manual;
        if (!ReadText(argv[i], &manual) || !WriteManual(&manual) || !WriteText(argv[i + 1], manual)) {
            fprintf(stderr, "tamblorn-describe: %s lacks one of its marks or %s cannot be written\n", argv[i],
                    argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
