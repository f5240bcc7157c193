#include "logs_picture.h"

#include <cstdlib>

namespace {

const size_t FILE_HEADER_BYTES = 14;
const size_t INFO_HEADER_MIN_BYTES = 40;
const uint16_t BITMAP_SIGNATURE = 0x4D42;  // "BM"
const uint32_t UNCOMPRESSED = 0;
const int32_t PICTURE_SIDE_LIMIT = 16384;

uint32_t ReadLittle(const unsigned char* bytes, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace

bool DecodeBitmap(const unsigned char* bytes, size_t size, LogsPicture* picture)
{
    *picture = LogsPicture();
    if (!bytes || size < FILE_HEADER_BYTES + INFO_HEADER_MIN_BYTES || ReadLittle(bytes, 2) != BITMAP_SIGNATURE)
        return false;
    const unsigned char* info = bytes + FILE_HEADER_BYTES;
    uint32_t dataOffset = ReadLittle(bytes + 10, 4);
    int32_t width = static_cast<int32_t>(ReadLittle(info + 4, 4));
    int32_t signedHeight = static_cast<int32_t>(ReadLittle(info + 8, 4));
    uint32_t bitsPerPixel = ReadLittle(info + 14, 2);
    uint32_t compression = ReadLittle(info + 16, 4);
    bool topDown = signedHeight < 0;
    int32_t height = topDown ? -signedHeight : signedHeight;
    if (compression != UNCOMPRESSED || (bitsPerPixel != 24 && bitsPerPixel != 32) || width <= 0 || height <= 0 ||
        width > PICTURE_SIDE_LIMIT || height > PICTURE_SIDE_LIMIT)
        return false;
    size_t pixelBytes = bitsPerPixel / 8;
    size_t rowBytes = (width * pixelBytes + 3) / 4 * 4;
    if (dataOffset > size || (size - dataOffset) / rowBytes < static_cast<size_t>(height))
        return false;
    uint32_t* pixels = static_cast<uint32_t*>(malloc(static_cast<size_t>(width) * height * sizeof(uint32_t)));
    if (!pixels)
        return false;
    for (int32_t y = 0; y < height; ++y) {
        int32_t fileRow = topDown ? y : height - 1 - y;
        const unsigned char* row = bytes + dataOffset + fileRow * rowBytes;
        for (int32_t x = 0; x < width; ++x)
            pixels[y * width + x] = ReadLittle(row + x * pixelBytes, 3);
    }
    picture->pixels = pixels;
    picture->width = width;
    picture->height = height;
    return true;
}

bool LendLogsPicture(LogsPicture& lent, const unsigned char* bytes, size_t size, const uint32_t** pixels,
                     int32_t* width, int32_t* height)
{
    if (!DecodeBitmap(bytes, size, &lent))
        return false;
    *pixels = lent.pixels;
    *width = lent.width;
    *height = lent.height;
    return true;
}

void GiveBackLogsPicture(LogsPicture& lent)
{
    FreeLogsPicture(&lent);
}

void FreeLogsPicture(LogsPicture* picture)
{
    free(picture->pixels);
    *picture = LogsPicture();
}
