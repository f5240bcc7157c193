// Writes the flame icon in three sizes. Integer arithmetic only, so every
// machine produces the same bytes.
#include <cstdint>
#include <vector>

#include "artwork_support.h"

namespace {

const int ICON_SIZES[] = {16, 32, 48};
const int IMAGE_COUNT = 3;
const int DIR_HEADER_BYTES = 6;
const int DIR_ENTRY_BYTES = 16;
const int BITS_PER_PIXEL = 32;
const int ICON_TYPE = 1;

const int UNIT = 4096;  // shape coordinates: the icon's side is UNIT, y grows upward
const int GRID = 8;  // samples per pixel side, for smooth edges
const int SAMPLES = GRID * GRID;
const int OPAQUE_ALPHA = 255;
const int MASK_OPAQUE_FROM = 128;  // alpha from which the old-style mask calls a pixel solid

struct Pixel {
    int r, g, b, a;
};

// A tongue of flame: round at the bottom, narrowing to a tip that bends sideways.
struct Tongue {
    int cx, cy, radius, tipY, lean;
};

bool InsideTongue(const Tongue& t, int64_t x, int64_t y)
{
    if (y <= t.cy) {
        const int64_t dx = x - t.cx, dy = y - t.cy;
        return dx * dx + dy * dy <= int64_t{t.radius} * t.radius;
    }
    if (y >= t.tipY)
        return false;
    const int64_t along = (y - t.cy) * UNIT / (t.tipY - t.cy);
    const int64_t rest = UNIT - along;
    const int64_t halfWidth = t.radius * rest / UNIT * IntegerSquareRoot(rest * UNIT) / UNIT;
    const int64_t centre = t.cx + t.lean * along / UNIT * along / UNIT;
    return x >= centre - halfWidth && x <= centre + halfWidth;
}

const Tongue OUTER_TONGUES[] = {
    {2048, 1450, 1360, 4040, -420},
    {1180, 1500, 640, 3060, -380},
    {2940, 1420, 600, 2820, 300},
};
const Tongue ORANGE_TONGUE = {2048, 1330, 1060, 3480, -330};
const Tongue YELLOW_TONGUE = {2048, 1200, 760, 2760, -220};
const Tongue CORE_TONGUE = {2048, 1080, 460, 2060, -110};

const Rgb RED_EDGE{206, 34, 12};
const Rgb ORANGE_BODY{252, 124, 18};
const Rgb YELLOW_BODY{255, 214, 58};
const Rgb WHITE_CORE{255, 250, 214};

bool FlameColour(int64_t x, int64_t y, Rgb& out)
{
    bool any = false;
    for (const Tongue& t : OUTER_TONGUES)
        any = any || InsideTongue(t, x, y);
    if (!any)
        return false;
    if (InsideTongue(CORE_TONGUE, x, y)) {
        out = WHITE_CORE;
    } else if (InsideTongue(YELLOW_TONGUE, x, y)) {
        out = YELLOW_BODY;
    } else if (InsideTongue(ORANGE_TONGUE, x, y)) {
        out = ORANGE_BODY;
    } else {
        out = RED_EDGE;
    }
    return true;
}

// Pixels top row first.
std::vector<Pixel> RenderFlame(int size)
{
    std::vector<Pixel> px(static_cast<size_t>(size) * size);
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < GRID; ++sy) {
                for (int sx = 0; sx < GRID; ++sx) {
                    const int64_t x =
                        (int64_t{col} * GRID + sx) * UNIT / (int64_t{size} * GRID) + UNIT / (2 * size * GRID);
                    const int64_t down =
                        (int64_t{row} * GRID + sy) * UNIT / (int64_t{size} * GRID) + UNIT / (2 * size * GRID);
                    Rgb c;
                    if (FlameColour(x, UNIT - down, c)) {
                        sum.r += c.r;
                        sum.g += c.g;
                        sum.b += c.b;
                        ++covered;
                    }
                }
            }
            Pixel& p = px[static_cast<size_t>(row) * size + col];
            if (covered == 0) {
                p = {0, 0, 0, 0};
            } else {
                p = {sum.r / covered, sum.g / covered, sum.b / covered, covered * OPAQUE_ALPHA / SAMPLES};
            }
        }
    }
    return px;
}

int MaskRowBytes(int size)
{
    return (size + 31) / 32 * 4;
}

uint32_t ImageBytes(int size)
{
    return INFO_HEADER_BYTES + static_cast<uint32_t>(size) * size * 4 +
           static_cast<uint32_t>(MaskRowBytes(size)) * size;
}

void AppendImage(std::vector<uint8_t>& out, int size)
{
    const std::vector<Pixel> px = RenderFlame(size);
    PutInfoHeader(out, size, 2 * size, BITS_PER_PIXEL,
                  ImageBytes(size) - INFO_HEADER_BYTES);  // colour rows, then mask rows
    for (int row = size - 1; row >= 0; --row) {
        for (int col = 0; col < size; ++col) {
            const Pixel& p = px[static_cast<size_t>(row) * size + col];
            out.push_back(static_cast<uint8_t>(p.b));
            out.push_back(static_cast<uint8_t>(p.g));
            out.push_back(static_cast<uint8_t>(p.r));
            out.push_back(static_cast<uint8_t>(p.a));
        }
    }
    for (int row = size - 1; row >= 0; --row) {
        std::vector<uint8_t> bits(static_cast<size_t>(MaskRowBytes(size)), 0);
        for (int col = 0; col < size; ++col) {
            if (px[static_cast<size_t>(row) * size + col].a < MASK_OPAQUE_FROM)
                bits[col / 8] |= static_cast<uint8_t>(0x80 >> (col % 8));
        }
        out.insert(out.end(), bits.begin(), bits.end());
    }
}

std::vector<uint8_t> EncodeIcon()
{
    std::vector<uint8_t> out;
    PutUint16(out, 0);
    PutUint16(out, ICON_TYPE);
    PutUint16(out, IMAGE_COUNT);
    uint32_t offset = DIR_HEADER_BYTES + DIR_ENTRY_BYTES * IMAGE_COUNT;
    for (int size : ICON_SIZES) {
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(0);  // no palette
        out.push_back(0);
        PutUint16(out, 1);
        PutUint16(out, BITS_PER_PIXEL);
        PutUint32(out, ImageBytes(size));
        PutUint32(out, offset);
        offset += ImageBytes(size);
    }
    for (int size : ICON_SIZES)
        AppendImage(out, size);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasOutputPath(argc, argv, "OUT.ico"))
        return USAGE_EXIT_STATUS;
    return WriteArtworkFile(argv[1], EncodeIcon());
}
