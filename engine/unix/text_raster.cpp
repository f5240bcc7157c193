#include "text_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstring>

#include "saver_settings.h"
#include "shift_jis.h"

namespace {

const int FULL_WIDTH_BYTES = 2;
// Faces loaded at most for one text: the asked one and the fallbacks after it.
const int FACE_LIMIT = 8;

uint16_t textUnits[SETTINGS_TEXT_BYTES];
uint8_t textBytes[SETTINGS_TEXT_BYTES];

struct FaceChoice {
    FcFontSet* fonts;  // fontconfig's faces for the pattern, best first
    FT_Face faces[FACE_LIMIT];
    bool tried[FACE_LIMIT];
    int32_t ascents[FACE_LIMIT];
};

// A pattern without a family asks for no face in particular.
bool IsAskedFace(FcPattern* asked, FcPattern* match)
{
    FcChar8* wanted = nullptr;
    if (FcPatternGetString(asked, FC_FAMILY, 0, &wanted) != FcResultMatch)
        return true;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(family, wanted) == 0)
            return true;
    return false;
}

FcPattern* ParseFacePattern()
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(canvasFacePattern));
    if (pattern)
        return pattern;
    drawnFace.unreadable = true;
    return FcNameParse(reinterpret_cast<const FcChar8*>(CANVAS_FACE_PATTERN));
}

// The faces fontconfig offers for the pattern, each adding characters the
// ones before it lack.
FcFontSet* SortFaces()
{
    FcPattern* asked = ParseFacePattern();
    if (!asked)
        return nullptr;
    FcPattern* pattern = FcPatternDuplicate(asked);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (fonts && fonts->nfont > 0)
        drawnFace.substitute = !IsAskedFace(asked, fonts->fonts[0]);
    FcPatternDestroy(asked);
    return fonts;
}

// Windows sizes a face by its cell (the ascent and descent of its OS/2
// table) and, with a width asked for, by the width of a half-width
// character: a full-width character, one em, takes two cells.
void SizeFace(FT_Face face, int32_t cellSize, int32_t* ascentPixels)
{
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int cellUnits = os2 ? os2->usWinAscent + os2->usWinDescent : face->ascender - face->descender;
    int ascentUnits = os2 ? os2->usWinAscent : face->ascender;
    if (cellUnits <= 0)
        cellUnits = face->units_per_EM;
    FT_UInt heightPixels = static_cast<FT_UInt>((static_cast<int64_t>(cellSize) * face->units_per_EM + cellUnits / 2) / cellUnits);
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(cellSize * FULL_WIDTH_BYTES), heightPixels ? heightPixels : 1);
    *ascentPixels = static_cast<int32_t>((static_cast<int64_t>(cellSize) * ascentUnits + cellUnits / 2) / cellUnits);
}

void PaintGlyph(const TextTarget& target, const FT_Bitmap& bitmap, int32_t glyphLeft, int32_t glyphTop,
                int32_t clipLeft, int32_t clipTop, int32_t clipRight, int32_t clipBottom, uint32_t colour)
{
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        int32_t y = glyphTop + static_cast<int32_t>(row);
        if (y < clipTop || y >= clipBottom || y < 0 || y >= target.height)
            continue;
        const unsigned char* coverage = bitmap.buffer + static_cast<int64_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            int32_t x = glyphLeft + static_cast<int32_t>(column);
            if (x < clipLeft || x >= clipRight || x < 0 || x >= target.width || coverage[column] == 0)
                continue;
            target.pixels[static_cast<int64_t>(y) * target.width + x] = colour;
        }
    }
}

bool HasCharacter(FcPattern* font, uint32_t code)
{
    FcCharSet* characters = nullptr;
    return FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) == FcResultMatch &&
           FcCharSetHasChar(characters, code);
}

// The face that draws the character, loaded on first use; -1 for none.
int FaceFor(FT_Library library, FaceChoice* choice, uint32_t code, int32_t cellSize)
{
    for (int i = 0; code && choice->fonts && i < choice->fonts->nfont && i < FACE_LIMIT; ++i) {
        FcPattern* font = choice->fonts->fonts[i];
        if (!HasCharacter(font, code))
            continue;
        if (!choice->tried[i]) {
            choice->tried[i] = true;
            FcChar8* path = nullptr;
            int index = 0;
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            if (FcPatternGetString(font, FC_FILE, 0, &path) == FcResultMatch &&
                FT_New_Face(library, reinterpret_cast<const char*>(path), index, &choice->faces[i]) == 0)
                SizeFace(choice->faces[i], cellSize, &choice->ascents[i]);
            else
                choice->faces[i] = nullptr;
        }
        if (choice->faces[i])
            return i;
    }
    return -1;
}

void NoteDrawingFace(FcPattern* font)
{
    FcChar8* family = nullptr;
    if (!drawnFace.loaded && FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
        snprintf(drawnFace.family, sizeof drawnFace.family, "%s", reinterpret_cast<const char*>(family));
    drawnFace.loaded = true;
}

}  // namespace

DrawnFace drawnFace;
const char* canvasFacePattern = CANVAS_FACE_PATTERN;

bool DrawShiftJisText(const TextTarget& target, int32_t left, int32_t top, int32_t boxWidth, int32_t cellSize,
                      const char* text, uint32_t colour)
{
    drawnFace = DrawnFace();
    int count = ShiftJisTextCharacters(text, textUnits, textBytes, SETTINGS_TEXT_BYTES);
    FT_Library library = nullptr;
    if (cellSize <= 0 || !target.pixels || !FcInit())
        return false;
    FaceChoice choice = {};
    choice.fonts = SortFaces();
    if (choice.fonts && FT_Init_FreeType(&library) == 0) {
        int32_t penX = left;
        for (int i = 0; i < count; ++i) {
            int at = FaceFor(library, &choice, textUnits[i], cellSize);
            FT_Face face = at >= 0 ? choice.faces[at] : nullptr;
            // Unhinted outlines come closest to the Windows program's glyphs.
            FT_UInt glyph = face ? FT_Get_Char_Index(face, textUnits[i]) : 0;
            if (glyph != 0 && FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0) {
                NoteDrawingFace(choice.fonts->fonts[at]);
                PaintGlyph(target, face->glyph->bitmap, penX + face->glyph->bitmap_left,
                           top + choice.ascents[at] - face->glyph->bitmap_top, left, top, left + boxWidth,
                           top + cellSize, colour);
            }
            penX += textBytes[i] * cellSize;
        }
        for (FT_Face face : choice.faces)
            if (face)
                FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    if (choice.fonts)
        FcFontSetDestroy(choice.fonts);
    FcFini();
    return drawnFace.loaded;
}
