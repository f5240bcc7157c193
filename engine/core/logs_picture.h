// The logs picture of the bonfire, a bitmap file decoded into top-down
// 0x00RRGGBB pixels, for the platforms without a bitmap decoder of their own.
#ifndef TAMBLORN_LOGS_PICTURE_H
#define TAMBLORN_LOGS_PICTURE_H

#include <cstddef>
#include <cstdint>

struct LogsPicture {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

// False, with no pixels, for a file that is not an uncompressed 24- or 32-bit
// bitmap or whose rows run past its end.
bool DecodeBitmap(const unsigned char* bytes, size_t size, LogsPicture* picture);
void FreeLogsPicture(LogsPicture* picture);

// The canvas's logs hooks over a bitmap file: the picture is decoded into
// `lent` at each set-up and kept there until it is given back.
bool LendLogsPicture(LogsPicture& lent, const unsigned char* bytes, size_t size, const uint32_t** pixels,
                     int32_t* width, int32_t* height);
void GiveBackLogsPicture(LogsPicture& lent);

#endif
