// Helpers of the artwork generators. Integer arithmetic only, so every machine
// produces the same bytes.
#ifndef TAMBLORN_ARTWORK_SUPPORT_H
#define TAMBLORN_ARTWORK_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <vector>

struct Rgb {
    int r;
    int g;
    int b;
};

const int INFO_HEADER_BYTES = 40;
const int USAGE_EXIT_STATUS = 2;
const int WRITE_FAILED_EXIT_STATUS = 1;

inline int64_t IntegerSquareRoot(int64_t v)
{
    if (v <= 0)
        return 0;
    int64_t r = 0;
    int64_t bit = int64_t{1} << 62;
    while (bit > v)
        bit >>= 2;
    while (bit != 0) {
        if (v >= r + bit) {
            v -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return r;
}

// Little-endian, as every Windows file header is.
inline void PutUint16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutUint32(std::vector<uint8_t>& out, uint32_t v)
{
    PutUint16(out, v & 0xffff);
    PutUint16(out, v >> 16);
}

// A BITMAPINFOHEADER of uncompressed pixels, bottom row first; storedRows counts every row that follows it.
inline void PutInfoHeader(std::vector<uint8_t>& out, int width, int storedRows, int bitsPerPixel, uint32_t pixelBytes)
{
    const int PLANES = 1;
    const int UNCOMPRESSED = 0;
    const int UNUSED_FIELDS = 4;  // resolution and palette sizes
    PutUint32(out, INFO_HEADER_BYTES);
    PutUint32(out, static_cast<uint32_t>(width));
    PutUint32(out, static_cast<uint32_t>(storedRows));
    PutUint16(out, PLANES);
    PutUint16(out, static_cast<uint32_t>(bitsPerPixel));
    PutUint32(out, UNCOMPRESSED);
    PutUint32(out, pixelBytes);
    for (int i = 0; i < UNUSED_FIELDS; ++i)
        PutUint32(out, 0);
}

// The generators take one argument: the file to write.
inline bool HasOutputPath(int argc, char** argv, const char* outName)
{
    if (argc == 2)
        return true;
    std::fprintf(stderr, "usage: %s %s\n", argv[0], outName);
    return false;
}

// Returns main's exit status.
inline int WriteArtworkFile(const char* path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::perror(path);
        return WRITE_FAILED_EXIT_STATUS;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::perror(path);
        return WRITE_FAILED_EXIT_STATUS;
    }
    return 0;
}

#endif
