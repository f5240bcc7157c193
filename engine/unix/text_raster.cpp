#include "text_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstring>

#include "text_encoding.h"

namespace {

const size_t FACE_PATH_BYTES = 1024;
const int FULL_WIDTH_BYTES = 2;

TextCharacter textCharacters[TEXT_CHARACTER_LIMIT];

struct FaceFile {
    char path[FACE_PATH_BYTES];
    int index;
};

bool IsAskedFace(FcPattern* match)
{
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(CANVAS_FACE_PATTERN)) == 0)
            return true;
    return false;
}

// The asked face, or, where it is missing, the face fontconfig offers for
// the text's characters.
FcPattern* MatchFace(const TextCharacter* characters, int count)
{
    FcPattern* match = nullptr;
    for (int attempt = 0; attempt < 2 && !match; ++attempt) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(CANVAS_FACE_PATTERN));
        if (!pattern)
            return nullptr;
        FcCharSet* wanted = attempt == 0 ? nullptr : FcCharSetCreate();
        for (int i = 0; wanted && i < count; ++i)
            if (characters[i].code)
                FcCharSetAddChar(wanted, characters[i].code);
        if (wanted) {
            FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
            FcCharSetDestroy(wanted);
        }
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        drawnFace.substitute = attempt > 0;
        if (match && attempt == 0 && !IsAskedFace(match)) {
            FcPatternDestroy(match);
            match = nullptr;
        }
    }
    return match;
}

bool FindFaceFile(const TextCharacter* characters, int count, FaceFile* file)
{
    *file = FaceFile();
    if (!FcInit())
        return false;
    FcPattern* match = MatchFace(characters, count);
    FcChar8* path = nullptr;
    FcChar8* family = nullptr;
    bool found = match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        snprintf(file->path, sizeof file->path, "%s", reinterpret_cast<const char*>(path));
        if (FcPatternGetInteger(match, FC_INDEX, 0, &file->index) != FcResultMatch)
            file->index = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
            snprintf(drawnFace.family, sizeof drawnFace.family, "%s", reinterpret_cast<const char*>(family));
    }
    if (match)
        FcPatternDestroy(match);
    FcFini();
    return found;
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

}  // namespace

DrawnFace drawnFace;

bool DrawShiftJisText(const TextTarget& target, int32_t left, int32_t top, int32_t boxWidth, int32_t cellSize,
                      const char* text, uint32_t colour)
{
    FaceFile file;
    drawnFace = DrawnFace();
    int count = ShiftJisCharacters(text, textCharacters, TEXT_CHARACTER_LIMIT);
    if (cellSize <= 0 || !target.pixels || !FindFaceFile(textCharacters, count, &file))
        return false;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    bool loaded = FT_New_Face(library, file.path, file.index, &face) == 0;
    if (loaded) {
        int32_t ascent = 0;
        SizeFace(face, cellSize, &ascent);
        int32_t penX = left;
        for (int i = 0; i < count; ++i) {
            // Unhinted outlines come closest to the Windows program's glyphs.
            FT_UInt glyph = textCharacters[i].code ? FT_Get_Char_Index(face, textCharacters[i].code) : 0;
            if (glyph != 0 && FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0)
                PaintGlyph(target, face->glyph->bitmap, penX + face->glyph->bitmap_left,
                           top + ascent - face->glyph->bitmap_top, left, top, left + boxWidth, top + cellSize, colour);
            penX += textCharacters[i].bytes * cellSize;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    drawnFace.loaded = loaded;
    return loaded;
}
