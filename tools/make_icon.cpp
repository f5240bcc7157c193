// Writes the flame icon in three sizes. Integer arithmetic only, so every
// machine produces the same bytes.
#include <cstdint>
#include <vector>

#include "artwork_support.h"

namespace {

constexpr int kSizes[] = {16, 32, 48};
constexpr int kImageCount = 3;
constexpr int kDirHeaderBytes = 6;
constexpr int kDirEntryBytes = 16;
constexpr int kBitsPerPixel = 32;
constexpr int kIconType = 1;

constexpr int kUnit = 4096;  // shape coordinates: the icon's side is kUnit, y grows upward
constexpr int kGrid = 8;  // samples per pixel side, for smooth edges
constexpr int kSamples = kGrid * kGrid;
constexpr int kOpaque = 255;
constexpr int kMaskOpaqueFrom = 128;  // alpha from which the old-style mask calls a pixel solid

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
    const int64_t along = (y - t.cy) * kUnit / (t.tipY - t.cy);
    const int64_t rest = kUnit - along;
    const int64_t halfWidth = t.radius * rest / kUnit * IntegerSquareRoot(rest * kUnit) / kUnit;
    const int64_t centre = t.cx + t.lean * along / kUnit * along / kUnit;
    return x >= centre - halfWidth && x <= centre + halfWidth;
}

constexpr Tongue kOuter[] = {
    {2048, 1450, 1360, 4040, -420},
    {1180, 1500, 640, 3060, -380},
    {2940, 1420, 600, 2820, 300},
};
constexpr Tongue kOrange = {2048, 1330, 1060, 3480, -330};
constexpr Tongue kYellow = {2048, 1200, 760, 2760, -220};
constexpr Tongue kCore = {2048, 1080, 460, 2060, -110};

const Rgb kRedEdge{206, 34, 12};
const Rgb kOrangeBody{252, 124, 18};
const Rgb kYellowBody{255, 214, 58};
const Rgb kWhiteCore{255, 250, 214};

bool FlameColour(int64_t x, int64_t y, Rgb& out)
{
    bool any = false;
    for (const Tongue& t : kOuter)
        any = any || InsideTongue(t, x, y);
    if (!any)
        return false;
    if (InsideTongue(kCore, x, y)) {
        out = kWhiteCore;
    } else if (InsideTongue(kYellow, x, y)) {
        out = kYellowBody;
    } else if (InsideTongue(kOrange, x, y)) {
        out = kOrangeBody;
    } else {
        out = kRedEdge;
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
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const int64_t x =
                        (int64_t{col} * kGrid + sx) * kUnit / (int64_t{size} * kGrid) + kUnit / (2 * size * kGrid);
                    const int64_t down =
                        (int64_t{row} * kGrid + sy) * kUnit / (int64_t{size} * kGrid) + kUnit / (2 * size * kGrid);
                    Rgb c;
                    if (FlameColour(x, kUnit - down, c)) {
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
                p = {sum.r / covered, sum.g / covered, sum.b / covered, covered * kOpaque / kSamples};
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
    return kInfoHeaderBytes + static_cast<uint32_t>(size) * size * 4 + static_cast<uint32_t>(MaskRowBytes(size)) * size;
}

void AppendImage(std::vector<uint8_t>& out, int size)
{
    const std::vector<Pixel> px = RenderFlame(size);
    PutInfoHeader(out, size, 2 * size, kBitsPerPixel,
                  ImageBytes(size) - kInfoHeaderBytes);  // colour rows, then mask rows
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
            if (px[static_cast<size_t>(row) * size + col].a < kMaskOpaqueFrom)
                bits[col / 8] |= static_cast<uint8_t>(0x80 >> (col % 8));
        }
        out.insert(out.end(), bits.begin(), bits.end());
    }
}

std::vector<uint8_t> EncodeIcon()
{
    std::vector<uint8_t> out;
    PutUint16(out, 0);
    PutUint16(out, kIconType);
    PutUint16(out, kImageCount);
    uint32_t offset = kDirHeaderBytes + kDirEntryBytes * kImageCount;
    for (int size : kSizes) {
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(0);  // no palette
        out.push_back(0);
        PutUint16(out, 1);
        PutUint16(out, kBitsPerPixel);
        PutUint32(out, ImageBytes(size));
        PutUint32(out, offset);
        offset += ImageBytes(size);
    }
    for (int size : kSizes)
        AppendImage(out, size);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasOutputPath(argc, argv, "OUT.ico"))
        return kUsageExitStatus;
    return WriteArtworkFile(argv[1], EncodeIcon());
}
