#include "text_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstring>

#include "saver_settings.h"
#include "shift_jis.h"

namespace {

const int FULL_WIDTH_BYTES = 2;
// Faces loaded at most for one text: the asked one and the fallbacks after it.
const int FACE_LIMIT = 8;
const FT_Pos PIXEL_FRACTIONS = 64;  // FreeType's metrics in pixels are 26.6 fixed point

struct FaceChoice {
    FcFontSet* fonts;  // fontconfig's faces for the pattern, best first
    FT_Face faces[FACE_LIMIT];
    bool tried[FACE_LIMIT];
    int32_t ascents[FACE_LIMIT];
    int32_t scales[FACE_LIMIT];  // each pixel of a bitmap face's strike as a square of this many pixels
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

FcPattern* ParseFacePattern(const char* facePattern, DrawnFace* drawn)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(facePattern));
    if (pattern)
        return pattern;
    drawn->unreadable = true;
    return FcNameParse(reinterpret_cast<const FcChar8*>(CANVAS_FACE_PATTERN));
}

// The faces fontconfig offers for the pattern, each adding characters the
// ones before it lack.
FcFontSet* SortFaces(const char* facePattern, DrawnFace* drawn)
{
    FcPattern* asked = ParseFacePattern(facePattern, drawn);
    if (!asked)
        return nullptr;
    FcPattern* pattern = FcPatternDuplicate(asked);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (fonts && fonts->nfont > 0)
        drawn->substitute = !IsAskedFace(asked, fonts->fonts[0]);
    FcPatternDestroy(asked);
    return fonts;
}

// A face of bitmaps only (BDF, PCF) has no scalable metrics: like a raster
// font under GDI, its strike is scaled by a whole factor, the largest that
// keeps its cell in the cell asked for; the tallest strike that fits is taken,
// the smallest when none does. False for a face with no strike at all.
bool SizeStrike(FT_Face face, int32_t cellSize, int32_t* ascentPixels, int32_t* scale)
{
    int chosen = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        int height = face->available_sizes[i].height;
        int best = chosen < 0 ? 0 : face->available_sizes[chosen].height;
        bool fits = height <= cellSize, bestFits = best <= cellSize;
        if (chosen < 0 || (fits && (!bestFits || height > best)) || (!fits && !bestFits && height < best))
            chosen = i;
    }
    if (chosen < 0 || FT_Select_Size(face, chosen) != 0)
        return false;
    int height = face->available_sizes[chosen].height;
    *scale = height > 0 && height < cellSize ? cellSize / height : 1;
    *ascentPixels = static_cast<int32_t>(face->size->metrics.ascender / PIXEL_FRACTIONS) * *scale;
    return true;
}

// Windows sizes a face by its cell (the ascent and descent of its OS/2
// table) and, with a width asked for, by the width of a half-width
// character: a full-width character, one em, takes two cells.
bool SizeFace(FT_Face face, int32_t cellSize, int32_t* ascentPixels, int32_t* scale)
{
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
        return SizeStrike(face, cellSize, ascentPixels, scale);
    *scale = 1;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int cellUnits = os2 ? os2->usWinAscent + os2->usWinDescent : face->ascender - face->descender;
    int ascentUnits = os2 ? os2->usWinAscent : face->ascender;
    if (cellUnits <= 0)
        cellUnits = face->units_per_EM;
    FT_UInt heightPixels = static_cast<FT_UInt>((static_cast<int64_t>(cellSize) * face->units_per_EM + cellUnits / 2) / cellUnits);
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(cellSize * FULL_WIDTH_BYTES), heightPixels ? heightPixels : 1);
    *ascentPixels = static_cast<int32_t>((static_cast<int64_t>(cellSize) * ascentUnits + cellUnits / 2) / cellUnits);
    return true;
}

// The glyph's bitmap at one byte a pixel (0 unlit), each pixel a scale x scale
// square from (left, top), clipped to the box and the target.
struct GlyphPlace {
    int32_t left, top, scale;
    int32_t clipLeft, clipTop, clipRight, clipBottom;
};

void PaintGlyph(const TextTarget& target, const FT_Bitmap& bitmap, const GlyphPlace& place, uint32_t colour)
{
    for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows) * place.scale; ++row) {
        int32_t y = place.top + row;
        if (y < place.clipTop || y >= place.clipBottom || y < 0 || y >= target.height)
            continue;
        const unsigned char* coverage = bitmap.buffer + static_cast<int64_t>(row / place.scale) * bitmap.pitch;
        for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width) * place.scale; ++column) {
            int32_t x = place.left + column;
            if (x < place.clipLeft || x >= place.clipRight || x < 0 || x >= target.width ||
                coverage[column / place.scale] == 0)
                continue;
            target.pixels[static_cast<int64_t>(y) * target.width + x] = colour;
        }
    }
}

// A bitmap face's glyph comes in its strike's pixel mode (one bit a pixel for
// BDF and PCF); PaintGlyph reads one byte a pixel.
void PaintGlyphSlot(FT_Library library, const TextTarget& target, FT_GlyphSlot slot, const GlyphPlace& place,
                    uint32_t colour)
{
    if (slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        PaintGlyph(target, slot->bitmap, place, colour);
        return;
    }
    FT_Bitmap bytes;
    FT_Bitmap_Init(&bytes);
    if (FT_Bitmap_Convert(library, &slot->bitmap, &bytes, 1) == 0)
        PaintGlyph(target, bytes, place, colour);
    FT_Bitmap_Done(library, &bytes);
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
            FT_Face face = nullptr;
            bool opened = FcPatternGetString(font, FC_FILE, 0, &path) == FcResultMatch &&
                          FT_New_Face(library, reinterpret_cast<const char*>(path), index, &face) == 0;
            if (opened && !SizeFace(face, cellSize, &choice->ascents[i], &choice->scales[i])) {
                FT_Done_Face(face);
                opened = false;
            }
            choice->faces[i] = opened ? face : nullptr;
        }
        if (choice->faces[i])
            return i;
    }
    return -1;
}

void NoteDrawingFace(FcPattern* font, DrawnFace* drawn)
{
    FcChar8* family = nullptr;
    if (!drawn->loaded && FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
        snprintf(drawn->family, sizeof drawn->family, "%s", reinterpret_cast<const char*>(family));
    drawn->loaded = true;
}

}  // namespace

bool DrawShiftJisText(const TextTarget& target, const char* facePattern, DrawnFace* drawn, int32_t left,
                      int32_t top, int32_t boxWidth, int32_t cellSize, const char* text, uint32_t colour)
{
    *drawn = DrawnFace();
    uint16_t textUnits[SETTINGS_TEXT_BYTES];
    uint8_t textBytes[SETTINGS_TEXT_BYTES];
    int count = ShiftJisTextCharacters(text, textUnits, textBytes, SETTINGS_TEXT_BYTES);
    FT_Library library = nullptr;
    if (cellSize <= 0 || !target.pixels || !FcInit())
        return false;
    FaceChoice choice = {};
    choice.fonts = SortFaces(facePattern, drawn);
    if (choice.fonts && FT_Init_FreeType(&library) == 0) {
        int32_t penX = left;
        for (int i = 0; i < count; ++i) {
            int at = FaceFor(library, &choice, textUnits[i], cellSize);
            FT_Face face = at >= 0 ? choice.faces[at] : nullptr;
            // Unhinted outlines come closest to the Windows program's glyphs.
            FT_UInt glyph = face ? FT_Get_Char_Index(face, textUnits[i]) : 0;
            if (glyph != 0 && FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0) {
                NoteDrawingFace(choice.fonts->fonts[at], drawn);
                int32_t scale = choice.scales[at];
                GlyphPlace place = {penX + face->glyph->bitmap_left * scale,
                                    top + choice.ascents[at] - face->glyph->bitmap_top * scale,
                                    scale, left, top, left + boxWidth, top + cellSize};
                PaintGlyphSlot(library, target, face->glyph, place, colour);
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
    return drawn->loaded;
}
