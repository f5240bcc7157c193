// Draws the burning text with the Mincho face (or a face of the user's
// choice) through fontconfig and FreeType, as the Windows set-up draws it
// with GDI: a cell of S x S pixels per byte of Shift-JIS from the box's left
// edge, clipped to the box.
#ifndef TAMBLORN_TEXT_RASTER_H
#define TAMBLORN_TEXT_RASTER_H

#include <cstddef>
#include <cstdint>

struct TextTarget {
    uint32_t* pixels;  // top-down, width x height
    int32_t width;
    int32_t height;
};

// The face asked of fontconfig: the Mincho face that Wine gives the Windows
// program for "ＭＳ 明朝".
const char CANVAS_FACE_PATTERN[] = "IPAMincho";
const size_t FACE_NAME_BYTES = 256;

// The face the last text was drawn with.
struct DrawnFace {
    bool loaded;  // false: no face at all, nothing was drawn
    bool substitute;  // the family asked for is missing: fontconfig's choice draws the text
    bool unreadable;  // the pattern is no fontconfig pattern: CANVAS_FACE_PATTERN was asked instead
    char family[FACE_NAME_BYTES];  // the face of the first character drawn
};

// Draws the text into the box (left, top, boxWidth x cellSize) of the target
// in the colour, with the face the fontconfig pattern asks for, and tells in
// `face` which face drew it. A character the face lacks is drawn with the
// next face fontconfig offers for the pattern that has it; one that none has
// leaves its cell empty. False when no face could be loaded.
bool DrawShiftJisText(const TextTarget& target, const char* facePattern, DrawnFace* face, int32_t left,
                      int32_t top, int32_t boxWidth, int32_t cellSize, const char* text, uint32_t colour);

#endif
