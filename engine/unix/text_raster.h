// Draws the burning text with the Mincho face through fontconfig and
// FreeType, as the Windows set-up draws it with GDI: a cell of S x S pixels
// per byte of Shift-JIS from the box's left edge, clipped to the box.
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
const char* const CANVAS_FACE_PATTERN = "IPAMincho";

const size_t FACE_NAME_BYTES = 256;

// The face the last text was drawn with.
struct DrawnFace {
    bool loaded;  // false: no face at all, nothing was drawn
    bool substitute;  // the Mincho face is missing: fontconfig's choice for the text's characters
    char family[FACE_NAME_BYTES];
};

extern DrawnFace drawnFace;

// Draws the text into the box (left, top, boxWidth x cellSize) of the target
// in the colour; characters that the face cannot draw leave their cells
// empty. False when no face could be loaded.
bool DrawShiftJisText(const TextTarget& target, int32_t left, int32_t top, int32_t boxWidth, int32_t cellSize,
                      const char* text, uint32_t colour);

#endif
