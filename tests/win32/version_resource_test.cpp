#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "tamblorn_version.h"
#include "win_test_support.h"

namespace {

// "Tamblorn スクリーンセーバ" in Shift-JIS, as an ANSI reader under code page 932 gets it.
const char JAPANESE_DESCRIPTION[] = "Tamblorn \x83X\x83N\x83\x8a\x81[\x83\x93\x83Z\x81[\x83o";
const WORD UNICODE_BLOCK = 1200;

std::string StringValue(std::vector<char>& data, const char* block, const char* key)
{
    std::string query = std::string("\\StringFileInfo\\") + block + "\\" + key;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "<missing>";
    return value;
}

const int ICON_SIZES[] = {16, 32, 48};
const uint32_t OPAQUE_ALPHA = 0xFF000000;
const uint32_t MASKED = 0x00FFFFFF;  // a set bit of the AND mask, read back as a white pixel

}  // namespace

// The system's reading of the program's icon: an image of each size in true colour, transparent at the corners
// (by alpha and by mask) and solid in the middle.
TEST(VersionResource, TheIconHoldsEachSizeTransparentAtTheCornersAndSolidInTheMiddle)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_TAMBLORN), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    BYTE* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    for (int size : ICON_SIZES) {
        SCOPED_TRACE(size);
        int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(image, nullptr);
        // Asked for no size, the system keeps the image's own.
        HICON icon = CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(module, image))),
                                              SizeofResource(module, image), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
        ICONINFO info = {};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(std::make_pair(colour.bmWidth, colour.bmBitsPixel), std::make_pair(LONG{size}, WORD{32}));
        int width, height;
        std::vector<uint32_t> pixels = ReadBitmapPixels(info.hbmColor, &width, &height);
        std::vector<uint32_t> mask = ReadBitmapPixels(info.hbmMask, &width, &height);
        const int last = size - 1;
        for (int at : {0, last, last * size, last * size + last}) {
            EXPECT_EQ(pixels[at] & OPAQUE_ALPHA, 0u) << "corner " << at;
            EXPECT_EQ(mask[at] & MASKED, MASKED) << "corner " << at;
        }
        const int middle = size / 2 * size + size / 2;
        EXPECT_EQ(pixels[middle] & OPAQUE_ALPHA, OPAQUE_ALPHA);
        EXPECT_EQ(mask[middle] & MASKED, 0u);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(VersionResource, TheProgramAndItsStrippedCopyShowVersionAndDescription)
{
    ASSERT_EQ(GetACP(), JAPANESE_CODE_PAGE) << "the tests run with the Japanese code page";
    for (const char* name : {"Tamblorn.scr", "ship\\Tamblorn.scr"}) {
        SCOPED_TRACE(name);
        const std::string program = TestDirectory() + "\\" + name;
        DWORD handle = 0;
        std::vector<char> data(GetFileVersionInfoSizeA(program.c_str(), &handle));
        ASSERT_FALSE(data.empty()) << "no version resource";
        ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, data.size(), data.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        const DWORD high = MAKELONG(TAMBLORN_VERSION_MINOR, TAMBLORN_VERSION_MAJOR);
        const DWORD low = MAKELONG(0, TAMBLORN_VERSION_PATCH);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);

        WORD* translations = nullptr;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                                   &length));
        ASSERT_EQ(length, 4 * sizeof(WORD));
        EXPECT_EQ(std::vector<WORD>(translations, translations + 4),
                  (std::vector<WORD>{MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), UNICODE_BLOCK,
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), UNICODE_BLOCK}));

        EXPECT_EQ(StringValue(data, "041104b0", "FileDescription"), JAPANESE_DESCRIPTION);
        EXPECT_EQ(StringValue(data, "040904b0", "FileDescription"), "Tamblorn Screen Saver");
        for (const char* block : {"041104b0", "040904b0"}) {
            EXPECT_EQ(StringValue(data, block, "FileVersion"), TAMBLORN_VERSION_TEXT) << block;
            EXPECT_EQ(StringValue(data, block, "ProductVersion"), TAMBLORN_VERSION_TEXT) << block;
            EXPECT_EQ(StringValue(data, block, "OriginalFilename"), "Tamblorn.scr") << block;
        }
    }
}
