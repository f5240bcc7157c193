// The native programs' own set-up: the built-in logs picture, the text's
// encodings, the FreeType text canvas, the settings file's place and what
// nothing burns from, and the X11 program's numbers.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "flame_canvas.h"
#include "logs_bitmap_shape.h"
#include "logs_picture.h"
#include "native_canvas.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "shift_jis.h"
#include "settings_file.h"
#include "settings_mend.h"
#include "settings_mutations.h"
#include "text_encoding.h"
#include "text_raster.h"

using settings_mutations::MutatedSettingsFile;

namespace {

// The embers the generator aims at, give or take what its clumps leave over.
const int FEWEST_EMBERS = EMBER_TARGET - 150;
const int MOST_EMBERS = EMBER_TARGET + 250;

// The records of a native program's set-up, released with the record.
struct NativeRecords {
    SaverSettings settings = STARTING_SETTINGS;
    FlameCanvas canvas = {};
    MonitorLayout monitors = {};
    NativeCanvas native = {};

    ~NativeRecords() { ReleaseSaverCanvas(canvas, NativeCanvasPlatform(&native)); }
};

}  // namespace

// The built-in picture, through the programs' own decoder: black above and below the pile, wood in every
// column, embers of pure red only on top of the pile, and nothing else near that red.
TEST(NativeSupport, BuiltInLogsPictureDecodesIntoThePileWithItsEmbersOnTop)
{
    LogsPicture picture;
    ASSERT_TRUE(DecodeBitmap(LOGS_BITMAP, LOGS_BITMAP_SIZE, &picture));
    ASSERT_EQ(std::make_pair(picture.width, picture.height), std::make_pair(LOGS_WIDTH, LOGS_HEIGHT));
    int embers = 0;
    for (int x = 0; x < LOGS_WIDTH; ++x) {
        bool wood = false;
        for (int row = 0; row < LOGS_HEIGHT; ++row) {
            uint32_t pixel = picture.pixels[row * LOGS_WIDTH + x];
            int red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
            if (row < FIRST_WOOD_ROW || row > LAST_WOOD_ROW)
                EXPECT_EQ(pixel, 0u) << x << "," << row;
            else
                wood = wood || (pixel != 0 && pixel != EMBER_PIXEL);
            if (pixel == EMBER_PIXEL) {
                ++embers;
                EXPECT_TRUE(x >= EMBER_LEFT && x <= EMBER_RIGHT && row >= EMBER_TOP && row <= EMBER_BOTTOM)
                    << "ember at " << x << "," << row;
            } else {
                EXPECT_FALSE(red > RED_LIMIT && green < DULL_LIMIT && blue < DULL_LIMIT) << x << "," << row;
            }
        }
        EXPECT_TRUE(wood) << "column " << x;
    }
    EXPECT_GE(embers, FEWEST_EMBERS);
    EXPECT_LE(embers, MOST_EMBERS);
    FreeLogsPicture(&picture);
}

TEST(NativeSupport, CutOrWrongBitmapsAreRefusedWithoutReadingPastTheEnd)
{
    LogsPicture picture;
    for (size_t size = 0; size < LOGS_BITMAP_SIZE; size += size < 64 ? 1 : 997) {
        std::vector<unsigned char> cut(LOGS_BITMAP, LOGS_BITMAP + size);
        EXPECT_FALSE(DecodeBitmap(cut.data(), cut.size(), &picture)) << size;
        EXPECT_EQ(picture.pixels, nullptr);
    }
    std::vector<unsigned char> eightBit(LOGS_BITMAP, LOGS_BITMAP + LOGS_BITMAP_SIZE);
    eightBit[28] = 8;
    EXPECT_FALSE(DecodeBitmap(eightBit.data(), eightBit.size(), &picture));
}

TEST(NativeSupport, LocaleTextBecomesShiftJisAndLosesOnlyWhatItLacks)
{
    ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
    char out[SETTINGS_TEXT_BYTES];
    // An emoji and a stray byte are lost; the wave dash Japanese input methods type is code page 932's tilde.
    const char* const texts[][2] = {{"五字送り火", DEFAULT_TEXT}, {"A\xF0\x9F\x94\xA5Z\xFF!", "AZ!"},
                                    {"\xE3\x80\x9C", "\x81\x60"}};
    for (const auto& text : texts) {
        ASSERT_TRUE(LocaleTextToShiftJis(text[0], out, sizeof out)) << text[0];
        EXPECT_STREQ(out, text[1]);
    }
    // Twenty double-byte characters: the 40-byte record keeps 19 of them whole.
    std::string long_text;
    for (int i = 0; i < 20; ++i)
        long_text += "火";
    ASSERT_TRUE(LocaleTextToShiftJis(long_text.c_str(), out, sizeof out));
    EXPECT_EQ(strlen(out), 38u);
    setlocale(LC_ALL, "C");
}

TEST(NativeSupport, ShiftJisCharactersKeepTheirByteWidths)
{
    uint16_t units[SETTINGS_TEXT_BYTES];
    uint8_t bytes[SETTINGS_TEXT_BYTES];
    ASSERT_EQ(ShiftJisTextCharacters(DEFAULT_TEXT, units, bytes, SETTINGS_TEXT_BYTES), 5);
    EXPECT_EQ(units[0], 0x4E94u);  // 五
    EXPECT_EQ(bytes[4], 2);
    ASSERT_EQ(ShiftJisTextCharacters("A\x8C", units, bytes, SETTINGS_TEXT_BYTES), 2);  // a lead byte cut off
    EXPECT_EQ(units[0], 'A');
    EXPECT_EQ(units[1], 0u);
    EXPECT_EQ(bytes[1], 1);
    // A lead byte with a second byte that makes no character takes both; the page draws nothing for it.
    ASSERT_EQ(ShiftJisTextCharacters("\x85\x40Z", units, bytes, SETTINGS_TEXT_BYTES), 2);
    EXPECT_EQ(units[0], 0u);
    EXPECT_EQ(bytes[0], 2);
}

TEST(NativeSupport, DefaultTextBurnsFromFuelInsideItsLine)
{
    NativeRecords records;
    ReadSettingsFile(nullptr, 0, &records.settings);
    SetUpSaverCanvas(records.canvas, records.settings, records.monitors, NativeCanvasPlatform(&records.native), 1024,
                     768);
    const FlameCanvas& canvas = records.canvas;
    ASSERT_EQ(canvas.width, 320);
    ASSERT_EQ(canvas.height, 232);
    int fuel = CountFuelPoints(canvas);
    printf("text fuel points: %d\n", fuel);
    EXPECT_GT(fuel, 0);
    const int top = (canvas.height - DEFAULT_FONT_SIZE) / 2;
    for (int i = 0; i < canvas.cellCount; ++i) {
        int row = i / canvas.width;
        ASSERT_TRUE(!canvas.fuel[i] || (row >= top && row < top + DEFAULT_FONT_SIZE)) << i;
    }
}

// Where the Windows program burns nothing the native set-up burns a default;
// SIZE=300 keeps its low byte, 44, as on Windows.
TEST(NativeSupport, SettingsThatBurnNothingFallBackToTheirDefaults)
{
    const struct {
        const char* file;
        unsigned mends;
        int fontSize;
    } cases[] = {{"[FONT]\nSIZE=0", MENDED_FONT_SIZE, 32},    {"[FONT]\nSIZE=-5", MENDED_FONT_SIZE, 32},
                 {"[FONT]\nSIZE=128", MENDED_FONT_SIZE, 32},  {"[FONT]\nSIZE=500", MENDED_FONT_SIZE, 32},
                 {"[FONT]\nSIZE=abc", MENDED_FONT_SIZE, 32},  {"[FONT]\nSIZE=300", 0, 44},
                 {"[WHITCH]\nFIRE=2\n[FONT]\nSIZE=-1", MENDED_FIRE_MODE | MENDED_FONT_SIZE, 32},
                 {"[WHITCH]\nFIRE=1\n[FONT]\nSIZE=0", 0, 0}, {"[BURNING]\nTEXT=", MENDED_TEXT, 32},
                 {"[BURNING]\nTEXT=\xFF\xFE ", MENDED_TEXT, 32}};
    for (const auto& entry : cases) {
        NativeRecords records;
        ReadSettingsFile(entry.file, strlen(entry.file), &records.settings);
        EXPECT_EQ(SetUpBurningCanvas(records.canvas, records.settings, records.monitors, records.native, TextFit(), 640,
                                     480),
                  entry.mends)
            << entry.file;
        EXPECT_EQ(records.settings.fontSize, entry.fontSize) << entry.file;
        EXPECT_GT(CountFuelPoints(records.canvas), 0) << entry.file;
    }
}

// The arguments stay until the next call: the options keep pointers into them.
bool OptionsRead(std::vector<std::string> arguments, SaverOptions* options, bool wayland = false)
{
    static std::vector<std::string> kept;
    kept = std::move(arguments);
    std::vector<char*> argv = {const_cast<char*>("tamblorn")};
    for (std::string& argument : kept)
        argv.push_back(&argument[0]);
    return (wayland ? ReadWaylandSaverOptions : ReadSaverOptions)(static_cast<int>(argv.size()), argv.data(), options);
}

// The X11 program takes the settings table's sizes and strengths (the description, the manual and the usage
// follow the same table: native.one_settings_table), and hands its choices to the settings.
TEST(NativeSupport, TheOptionsTakeTheSettingsRangesAndReachTheSettings)
{
    SaverOptions options;
    ASSERT_TRUE(OptionsRead({"-size", "010", "-window-id", "0x1A"}, &options));
    EXPECT_EQ(options.settings.fontSize, 10);
    EXPECT_EQ(options.windowId, 26);
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    for (int32_t read : {size.lowest, size.highest})
        EXPECT_TRUE(OptionsRead({"-size", std::to_string(read)}, &options)) << read;
    for (int32_t refused : {size.lowest - 1, size.highest + 1})
        EXPECT_FALSE(OptionsRead({"-size", std::to_string(refused)}, &options)) << refused;
    EXPECT_FALSE(OptionsRead({"-strength", "7"}, &options));
    for (int32_t strength : FLAME_STRENGTHS) {
        ASSERT_TRUE(OptionsRead({"-strength", std::to_string(strength)}, &options));
        EXPECT_EQ(options.settings.flameLimit, strength);
    }
    ASSERT_TRUE(OptionsRead({"-fit", "-font", "IPAGothic:bold", "-no-loop"}, &options));
    EXPECT_EQ(std::make_tuple(options.fit, std::string(options.fontPattern), options.settings.loop),
              std::make_tuple(1, std::string("IPAGothic:bold"), 0));

    setlocale(LC_ALL, "C.UTF-8");
    ASSERT_TRUE(OptionsRead({"-text", "Fire \xe7\x81\xab", "-size", "48", "-bonfire", "-strength", "6", "-loop"},
                            &options));
    SaverSettings settings = {};
    ReadSettingsFile(nullptr, 0, &settings);
    ApplySaverOptions(options, settings);
    EXPECT_STREQ(settings.text, "Fire \x89\xce");
    EXPECT_EQ(std::make_tuple(settings.fontSize, settings.fireMode, settings.flameLimit, settings.loop),
              std::make_tuple(int8_t{48}, int32_t{FIRE_BONFIRE}, int32_t{6}, int32_t{1}));
    setlocale(LC_ALL, "C");
}

// The Wayland program reads the X11 program's table without its window and display options.
TEST(NativeSupport, TheWaylandProgramTakesTheOptionsButTheX11Ones)
{
    SaverOptions x11, wayland;
    ASSERT_TRUE(OptionsRead({"-size", "0x10", "--fit", "-bonfire", "-strength", "8", "-no-loop", "-seed", "3"},
                            &wayland, true));
    const SaverSettings& settings = wayland.settings;
    EXPECT_EQ(std::make_tuple(int32_t{settings.fontSize}, wayland.fit, settings.fireMode, settings.flameLimit,
                              settings.loop, wayland.seed),
              std::make_tuple(16, 1, static_cast<int32_t>(FIRE_BONFIRE), 8, 0, 3));
    const std::vector<std::string> x11Options[] = {{"-root"}, {"-window-id", "0x1A"}, {"-display", ":0"}};
    for (const std::vector<std::string>& x11Only : x11Options) {
        EXPECT_FALSE(OptionsRead(x11Only, &wayland, true)) << x11Only[0];
        EXPECT_TRUE(OptionsRead(x11Only, &x11)) << x11Only[0];
    }
}

TEST(NativeSupport, SettingsFileIsFoundUnderTheConfigFolder)
{
    char path[256];
    setenv("HOME", "/home/user", 1);
    setenv("XDG_CONFIG_HOME", "/etc/xdg-user", 1);
    ASSERT_TRUE(SettingsFilePath(path, sizeof path));
    EXPECT_STREQ(path, "/etc/xdg-user/tamblorn/TamblornScrS");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    ASSERT_TRUE(SettingsFilePath(path, sizeof path));
    EXPECT_STREQ(path, "/home/user/.config/tamblorn/TamblornScrS");
    EXPECT_FALSE(SettingsFilePath(path, 10));
}

// The Windows harness's mutated files through the native loader and set-up,
// under the sanitizers: every file gives a record the canvas can be built and
// stepped from, and that burns.
TEST(NativeSupport, MutatedSettingsFilesLoadAndBurn)
{
    const char* stress = getenv("TAMBLORN_STRESS");
    const int count = stress && strcmp(stress, "1") == 0 ? 10000 : 300;
    char folder[] = "/tmp/tamblorn-settings-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_CONFIG_HOME", folder, 1);
    std::string configFolder = std::string(folder) + "/tamblorn";
    mkdir(configFolder.c_str(), 0700);
    char path[256];
    ASSERT_TRUE(SettingsFilePath(path, sizeof path));
    std::mt19937 random(static_cast<unsigned>(time(nullptr)));
    for (int i = 0; i < count; ++i) {
        std::string file = MutatedSettingsFile(random);
        FILE* out = fopen(path, "wb");
        ASSERT_NE(out, nullptr);
        fwrite(file.data(), 1, file.size(), out);
        fclose(out);
        NativeRecords records;
        memset(&records.settings, 0x5A, sizeof records.settings);
        LoadNativeSettings(records.settings);
        ASSERT_LT(strlen(records.settings.text), static_cast<size_t>(SETTINGS_TEXT_BYTES));
        SetUpBurningCanvas(records.canvas, records.settings, records.monitors, records.native, TextFit(), 640, 480);
        ASSERT_GT(CountFuelPoints(records.canvas), 0) << file;
        for (int tick = 0; tick < 2; ++tick)
            StepFlameCanvas(records.canvas, records.settings);
    }
    remove(path);
    rmdir(configFolder.c_str());
    rmdir(folder);
    printf("settings files: %d through the native loader\n", count);
}

// A file written by a Linux editor is UTF-8, with a mark or without; one from Windows is Shift-JIS. Bytes that
// are valid in both (here the half-width katakana of C3 B1, in UTF-8 an n with a tilde) are read as UTF-8. The
// record written back keeps the file's encoding and reads back as itself, and the file gets only the keys it
// lacked, but where ñ became n (ぁ ends in a byte that would be a Shift-JIS lead byte).
TEST(NativeSupport, SettingsFileInUtf8OrShiftJisBurnsTheSameText)
{
    const struct {
        std::string file;
        const char* text;
    } cases[] = {{"[BURNING]\nTEXT=五字送り火\n[FONT]\nSIZE=48", DEFAULT_TEXT},
                 {"[BURNING]\nTEXT=ぁ\n[FONT]\nSIZE=48\n", "\x82\x9F"},
                 {"\xEF\xBB\xBF[BURNING]\r\nTEXT=五字送り火\r\n[FONT]\r\nSIZE=48", DEFAULT_TEXT},
                 {std::string("[BURNING]\nTEXT=") + DEFAULT_TEXT + "\n[FONT]\nSIZE=48", DEFAULT_TEXT},
                 {"[BURNING]\nTEXT=\xC3\xB1\n[FONT]\nSIZE=48", "n"},
                 {"[BURNING]\nTEXT=\xC3\xB1\x82\xA0\n[FONT]\nSIZE=48", "\xC3\xB1\x82\xA0"}};
    for (const auto& entry : cases) {
        SaverSettings settings = STARTING_SETTINGS;
        ReadSettingsFileTakingUtf8(entry.file.data(), entry.file.size(), &settings);
        EXPECT_STREQ(settings.text, entry.text) << entry.file;
        EXPECT_EQ(settings.fontSize, 48) << entry.file;
        size_t length = 0;
        char* written = WithSettingsWrittenTakingUtf8(entry.file.data(), entry.file.size(), settings, &length);
        memset(&settings, 0, sizeof settings);
        ReadSettingsFileTakingUtf8(written, length, &settings);
        EXPECT_STREQ(settings.text, entry.text) << std::string(written, length);
        EXPECT_EQ(settings.fontSize, 48) << std::string(written, length);
        if (entry.file.find("TEXT=\xC3\xB1\n") == std::string::npos) {
            EXPECT_EQ(std::string(written, length).substr(0, entry.file.size()), entry.file);
        }
        free(written);
    }
}

TEST(NativeSupport, FittedTextKeepsItsShareOfTheMonitorAndStaysInside)
{
    const struct {
        int32_t fixed, bytes, width, height, dotsPerInch, cell;
    } cases[] = {{32, 10, 1024, 768, 0, 32},    {32, 10, 3840, 2160, 0, 120}, {32, 10, 1024, 768, 192, 64},
                 {32, 10, 1024, 768, 72, 32},   {127, 39, 1024, 768, 0, 26},  {127, 10, 1024, 768, 0, 102},
                 {32, 10, 3840, 2160, 192, 240}, {32, 10, 300, 150, 0, 1}};
    for (const auto& entry : cases)
        EXPECT_EQ(FittedCellSize(entry.fixed, entry.bytes, entry.width, entry.height, entry.dotsPerInch), entry.cell)
            << entry.width << "x" << entry.height << " at " << entry.dotsPerInch;
}

// An 8 x 8 bitmap face (BDF, as X11's bitmap fonts come) with a glyph for each character of the text: row r
// lit in its first r + 1 pixels.
const int STRIKE = 8;
std::string TriangleFace(const std::string& text)
{
    std::string face = "STARTFONT 2.1\nFONT -tamblorn-triangle-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
                       "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 -1\nSTARTPROPERTIES 5\nFAMILY_NAME \"Triangle\"\n"
                       "FONT_ASCENT 7\nFONT_DESCENT 1\nCHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n"
                       "ENDPROPERTIES\nCHARS " + std::to_string(text.size()) + "\n";
    for (unsigned char code : text) {
        face += "STARTCHAR c" + std::to_string(code) + "\nENCODING " + std::to_string(code) +
                "\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 -1\nBITMAP\n";
        for (int row = 0; row < STRIKE; ++row) {
            char line[4];
            snprintf(line, sizeof line, "%02X", 0xFF00 >> (row + 1) & 0xFF);
            face += std::string(line) + "\n";
        }
        face += "ENDCHAR\n";
    }
    return face + "ENDFONT\n";
}

// The lit columns of a text drawn with the face pattern, and the family that drew it.
std::vector<int> DrawnColumns(const char* pattern, const char* text, std::string* family)
{
    const int cell = 32, width = cell * static_cast<int>(strlen(text));
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * cell);
    DrawnFace drawnFace = {};
    EXPECT_TRUE(DrawShiftJisText({pixels.data(), width, cell}, pattern, &drawnFace, 0, 0, width, cell, text, 1))
        << pattern;
    std::vector<int> columns(width);
    for (size_t i = 0; i < pixels.size(); ++i)
        columns[i % width] += pixels[i] != 0;
    *family = drawnFace.substitute ? "" : drawnFace.family;
    return columns;
}

TEST(NativeSupport, FontPatternChoosesTheFaceAndOthersDrawWhatItLacks)
{
    std::string mincho, gothic, latin;
    EXPECT_NE(DrawnColumns("IPAMincho", DEFAULT_TEXT, &mincho), DrawnColumns("IPAGothic", DEFAULT_TEXT, &gothic));
    EXPECT_EQ(std::make_pair(mincho, gothic), std::make_pair(std::string("IPAMincho"), std::string("IPAGothic")));
    // DejaVu Sans has no kanji: 火 (the bytes from 2 on) comes from another face.
    std::vector<int> columns = DrawnColumns("DejaVu Sans:bold", "AB\x89\xCE", &latin);
    EXPECT_EQ(latin, "DejaVu Sans");
    EXPECT_GT(std::accumulate(columns.begin() + 64, columns.end(), 0), 0);

    // A face of bitmaps only, which fontconfig takes through a fonts.conf of its own: each pixel of its strike
    // becomes a square that keeps the glyph in its 32-pixel cell.
    char folder[] = "/tmp/tamblorn-fonts-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string conf = std::string(folder) + "/fonts.conf", triangle;
    std::ofstream(std::string(folder) + "/triangle.bdf") << TriangleFace("Tamblorn");
    std::ofstream(conf) << "<fontconfig><dir>" << folder << "</dir><cachedir>" << folder
                        << "</cachedir></fontconfig>";
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);
    columns = DrawnColumns("Triangle", "Tamblorn", &triangle);
    unsetenv("FONTCONFIG_FILE");
    std::filesystem::remove_all(folder);
    const int scale = 32 / STRIKE;
    for (size_t x = 0; x < columns.size(); ++x)
        ASSERT_EQ(columns[x], (STRIKE - static_cast<int>(x) % 32 / scale) * scale) << x;
    EXPECT_EQ(triangle, "Triangle");
}
