// The logs picture of the bonfire, built into the native programs from
// resources/logs.bmp and decoded into top-down 0x00RRGGBB pixels.
#ifndef TAMBLORN_LOGS_PICTURE_H
#define TAMBLORN_LOGS_PICTURE_H

#include <cstddef>
#include <cstdint>

struct LogsPicture {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

extern const unsigned char LOGS_BITMAP[];
extern const size_t LOGS_BITMAP_SIZE;

// False, with no pixels, for a file that is not an uncompressed 24- or 32-bit
// bitmap or whose rows run past its end.
bool DecodeBitmap(const unsigned char* bytes, size_t size, LogsPicture* picture);
void FreeLogsPicture(LogsPicture* picture);

// The canvas's logs hooks over a bitmap file: the picture is decoded at each
// set-up and kept until it is given back.
bool LendLogsPicture(const unsigned char* bytes, size_t size, const uint32_t** pixels, int32_t* width,
                     int32_t* height);
void GiveBackLogsPicture();

#endif
