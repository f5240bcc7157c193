// Writes the firewood picture the fire burns on. Integer arithmetic only, so
// every machine produces the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "artwork_support.h"

namespace {

constexpr int kWidth = 286;
constexpr int kHeight = 106;
constexpr int kFirstWoodRow = 7;
constexpr int kLastWoodRow = 104;
constexpr int kBytesPerPixel = 3;
constexpr int kRowBytes = (kWidth * kBytesPerPixel + 3) / 4 * 4;
constexpr int kFileHeaderBytes = 14;
constexpr int kPixelBytes = kRowBytes * kHeight;

// Geometry works in 1/kSub pixel units; each pixel is sampled kGrid x kGrid.
constexpr int kSub = 16;
constexpr int kGrid = 4;
constexpr int kSamples = kGrid * kGrid;
constexpr int kOne = 256;  // fixed-point 1.0 for shading factors

constexpr int kFireX = 148;
constexpr int kFireY = 24;
constexpr int kHeatRadiusX = 132;
constexpr int kHeatRadiusY = 54;

constexpr int kEmberTop = 9;
constexpr int kEmberBottom = 57;
constexpr int kEmberLeft = 62;
constexpr int kEmberRight = 247;
constexpr int kEmberTarget = 1150;
constexpr int kMaxClusterPixels = 6;
constexpr uint64_t kSeed = 0x7a6b1047c0ffee11ULL;

constexpr int kNoiseMid = 128;  // value noise runs 0..255; cracks and ridges follow its middle

// A non-ember pixel must never read as the ember colour's family.
constexpr int kRedLimit = 180;
constexpr int kDullLimit = 60;

struct Picture {
    std::vector<Rgb> px;
    std::vector<int> clump;  // which ember clump a pixel belongs to; 0 for none
};

struct Log {
    int ax, ay, bx, by;  // ends in pixels; A is the lower, viewer-facing end
    int radius;
    int capSquash;  // depth of the end face along the axis, /256; 0 = sawn flat
    int tone;  // per-log colour variation, /256 around 1.0
    uint32_t seed;
};

struct Rng {
    uint64_t state;
};

uint64_t NextRandom(Rng& rng)
{
    rng.state += 0x9e3779b97f4a7c15ULL;
    uint64_t z = rng.state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int RandomBelow(Rng& rng, int n)
{
    return static_cast<int>(NextRandom(rng) % static_cast<uint64_t>(n));
}

uint32_t HashPoint(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x27d4eb2dU;
    h ^= static_cast<uint32_t>(x) * 0x85ebca6bU;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xc2b2ae35U;
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

// Floor division, so noise lattices do not fold over at zero.
int64_t FloorDivide(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Smooth value noise in 0..255; x and y in any fixed-point units, cell in the same units.
int ValueNoise(int64_t x, int64_t y, int64_t cell, uint32_t seed)
{
    const int64_t cx = FloorDivide(x, cell);
    const int64_t cy = FloorDivide(y, cell);
    const int64_t fx = (x - cx * cell) * kOne / cell;
    const int64_t fy = (y - cy * cell) * kOne / cell;
    const int64_t sx = fx * fx * (3 * kOne - 2 * fx) / (kOne * kOne);
    const int64_t sy = fy * fy * (3 * kOne - 2 * fy) / (kOne * kOne);
    auto corner = [&](int64_t i, int64_t j) {
        return static_cast<int64_t>(HashPoint(static_cast<int32_t>(cx + i), static_cast<int32_t>(cy + j), seed) & 0xff);
    };
    const int64_t top = corner(0, 0) * (kOne - sx) + corner(1, 0) * sx;
    const int64_t bottom = corner(0, 1) * (kOne - sx) + corner(1, 1) * sx;
    return static_cast<int>((top * (kOne - sy) + bottom * sy) / (kOne * kOne));
}

int ClampByte(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, 0, 255));
}

Rgb ScaleColour(Rgb c, int f)
{
    return {c.r * f / kOne, c.g * f / kOne, c.b * f / kOne};
}

Rgb MixColours(Rgb a, Rgb b, int t)
{
    return {a.r + (b.r - a.r) * t / kOne, a.g + (b.g - a.g) * t / kOne, a.b + (b.b - a.b) * t / kOne};
}

// How strongly the fire above the pile has scorched a point (0..kOne).
int HeatAt(int64_t x, int64_t y)
{
    const int64_t dx = (x - kFireX * kSub) * kOne / (kHeatRadiusX * kSub);
    const int64_t dy = (y - kFireY * kSub) * kOne / (kHeatRadiusY * kSub);
    const int64_t d = IntegerSquareRoot(dx * dx + dy * dy);
    return static_cast<int>(std::max<int64_t>(0, kOne - d));
}

// Scorched wood keeps its shading; glowing cracks show where a noise field
// crosses its middle value, and the fire above tints everything orange.
Rgb CharColour(Rgb wood, int64_t u, int64_t v, int heat, int facingUp, uint32_t seed)
{
    const Rgb glowDeep{214, 84, 16};
    const Rgb glowHot{255, 170, 50};
    const Rgb firelight{255, 110, 20};
    const int charAmount = std::min(kOne, heat * 3 / 2) * 7 / 8;
    const Rgb soot{wood.r / 6 + 4, wood.g / 9 + 3, wood.b / 10 + 3};
    Rgb c = MixColours(wood, soot, charAmount);
    // Surfaces turned up toward the flames catch more of their light.
    const int tint = heat * heat / kOne * (kOne / 8 + facingUp / 2) / kOne;
    c = {c.r + firelight.r * tint / kOne, c.g + firelight.g * tint / kOne, c.b + firelight.b * tint / kOne};
    // Charcoal splits into blocks: cracks run both along and across the grain.
    const int alongGrain = std::abs(ValueNoise(u / 3, v * 2, 2 * kSub, seed ^ 0x51u) - kNoiseMid);
    const int acrossGrain = std::abs(ValueNoise(u * 2, v / 2, 5 * kSub, seed ^ 0x77u) - kNoiseMid);
    const int crack = std::min(alongGrain, acrossGrain);
    constexpr int kThinnestCrack = 3;
    constexpr int kCrackWidening = 12;
    constexpr int kGlowStart = 30;
    constexpr int kGlowRamp = 3;
    const int crackWidth = kThinnestCrack + heat * kCrackWidening / kOne;
    if (heat > kGlowStart && crack < crackWidth) {
        const int glowStrength =
            (crackWidth - crack) * kOne / crackWidth * std::min(kOne, (heat - kGlowStart) * kGlowRamp) / kOne;
        c = MixColours(c, MixColours(glowDeep, glowHot, heat), glowStrength);
    }
    return c;
}

// Where a point on a log's round surface faces, in kOne units.
struct Facing {
    int64_t toViewer;
    int64_t up;
};

Facing FacingOf(int64_t v, int64_t radiusSub, int64_t axisX, int64_t axisLen)
{
    const int64_t n = v * kOne / radiusSub;
    const int64_t z = IntegerSquareRoot(kOne * kOne - std::min<int64_t>(n * n, kOne * kOne));
    return {z, n * (axisX * kOne / axisLen) / kOne};
}

// 0 at the top of the pile, kOne at its foot.
int64_t DepthInPile(int64_t y)
{
    return (y - kFirstWoodRow * kSub) * kOne / ((kLastWoodRow - kFirstWoodRow) * kSub);
}

Rgb BarkColour(const Log& log, int64_t u, int64_t v, Facing f, int64_t y)
{
    const Rgb barkBase{178, 98, 40};
    // Light falls from the fire above and from in front.
    constexpr int kAmbient = 40;
    constexpr int kLightFromAbove = 150;
    constexpr int kLightFromFront = 190;
    const int64_t diffuse = std::max<int64_t>(0, (f.up * kLightFromAbove + f.toViewer * kLightFromFront) / kOne);
    int light = static_cast<int>(kAmbient + diffuse);
    // Bark runs in long streaks with fine grit and deep furrows along the log.
    constexpr int kStreakFloor = 180;
    const int streak = ValueNoise(u, v * 6, 7 * kSub, log.seed);
    const int grit = ValueNoise(u * 3, v * 5, 2 * kSub, log.seed ^ 0x1234u);
    light = light * (kStreakFloor + streak / 3 + grit / 5) / kOne;
    constexpr int kFurrowWidth = 14;
    constexpr int kFurrowFloor = 150;
    const int furrow = std::abs(ValueNoise(u / 2, v * 4, 3 * kSub, log.seed ^ 0x99u) - kNoiseMid);
    if (furrow < kFurrowWidth)
        light = light * (kFurrowFloor + furrow * (kOne - kFurrowFloor) / kFurrowWidth) / kOne;
    light = static_cast<int>(light * (kOne - DepthInPile(y) * 3 / 8) / kOne);
    return ScaleColour(ScaleColour(barkBase, log.tone), light);
}

Rgb EndGrainColour(int64_t q, int64_t radiusSub, int64_t u, int64_t v, uint32_t seed, int64_t y)
{
    const Rgb sapwood{214, 160, 96};
    const Rgb heartwood{190, 122, 62};
    const Rgb ringLine{128, 76, 38};
    const Rgb barkRim{70, 40, 20};
    const int64_t rel = q * kOne / radiusSub;  // 0 at the pith, kOne at the bark
    constexpr int kBarkStarts = kOne * 7 / 8;
    if (rel > kBarkStarts)
        return ScaleColour(barkRim, kOne - static_cast<int>(rel - kBarkStarts) * 2);
    Rgb c = MixColours(heartwood, sapwood, static_cast<int>(rel));
    const int wobble = ValueNoise(u * 2, v * 2, 4 * kSub, seed ^ 0x4242u) / 4;
    constexpr int kRings = 6;
    constexpr int kRingWidth = 60;
    const int ringPhase = static_cast<int>((rel * kRings + wobble) % kOne);
    if (ringPhase < kRingWidth)
        c = MixColours(c, ringLine, (kRingWidth - ringPhase) * 3);
    constexpr int kPith = kOne / 14;
    if (rel < kPith)
        c = ringLine;
    return ScaleColour(c, static_cast<int>(kOne - DepthInPile(y) / 4));
}

// Colour of a log at a sample point, or false if the point misses the log.
bool SampleLog(const Log& log, int64_t x, int64_t y, Rgb& out)
{
    const int64_t ax = log.ax * kSub, ay = log.ay * kSub;
    const int64_t dx = (log.bx - log.ax) * kSub, dy = (log.by - log.ay) * kSub;
    const int64_t len = IntegerSquareRoot(dx * dx + dy * dy);
    const int64_t rx = x - ax, ry = y - ay;
    const int64_t u = (rx * dx + ry * dy) / len;
    const int64_t v = (rx * dy - ry * dx) / len;
    const int64_t radius = log.radius * kSub;
    if (v < -radius || v > radius || u > len)
        return false;
    const int heat = HeatAt(x, y);
    if (log.capSquash != 0) {
        const int64_t along = u * kOne / log.capSquash;
        const int64_t q = IntegerSquareRoot(along * along + v * v);
        if (q <= radius) {
            out = EndGrainColour(q, radius, along, v, log.seed, y);
            if (heat > 0)
                out = CharColour(out, along, v, heat / 2, 0, log.seed);
            return true;
        }
    }
    if (u < 0)
        return false;
    const Facing f = FacingOf(v, radius, dx, len);
    out = BarkColour(log, u, v, f, y);
    if (heat > 0)
        out = CharColour(out, u, v, heat, static_cast<int>(std::max<int64_t>(0, f.up)), log.seed);
    return true;
}

// A log seen straight end-on: only its sawn face shows.
struct EndOn {
    int cx, cy, radius;
    uint32_t seed;
};

bool SampleEndOn(const EndOn& e, int64_t x, int64_t y, Rgb& out)
{
    const int64_t u = x - e.cx * kSub, v = y - e.cy * kSub;
    const int64_t q = IntegerSquareRoot(u * u + v * v);
    const int64_t radius = e.radius * kSub;
    if (q > radius)
        return false;
    out = EndGrainColour(q, radius, u, v, e.seed, y);
    return true;
}

void BlendCoverage(Picture& pic, int px, int py, Rgb sum, int covered)
{
    Rgb& dst = pic.px[py * kWidth + px];
    dst.r = (dst.r * (kSamples - covered) + sum.r) / kSamples;
    dst.g = (dst.g * (kSamples - covered) + sum.g) / kSamples;
    dst.b = (dst.b * (kSamples - covered) + sum.b) / kSamples;
}

template <typename Shape, typename Sampler> void PaintShape(Picture& pic, const Shape& shape, Sampler sampler)
{
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) {
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const int64_t x = px * kSub + sx * kSub / kGrid + kSub / (2 * kGrid);
                    const int64_t y = py * kSub + sy * kSub / kGrid + kSub / (2 * kGrid);
                    Rgb c;
                    if (sampler(shape, x, y, c)) {
                        sum.r += ClampByte(c.r);
                        sum.g += ClampByte(c.g);
                        sum.b += ClampByte(c.b);
                        ++covered;
                    }
                }
            }
            if (covered > 0)
                BlendCoverage(pic, px, py, sum, covered);
        }
    }
}

// Back to front; the A end is the one nearer the viewer.
constexpr Log kBackLogs[] = {
    {20, 98, 234, 16, 8, 0, 196, 11},   {272, 98, 64, 20, 8, 0, 192, 12},   {60, 100, 184, 24, 8, 0, 210, 13},
    {232, 100, 94, 16, 8, 0, 206, 14},  {100, 101, 176, 10, 9, 0, 226, 15}, {192, 101, 122, 20, 9, 0, 222, 16},
    {128, 102, 156, 16, 9, 0, 236, 17}, {164, 102, 132, 9, 9, 0, 232, 24},
};

constexpr Log kLyingLogs[] = {
    {-8, 96, 152, 98, 8, 0, 250, 18},
    {134, 98, 294, 95, 8, 0, 246, 19},
};

constexpr Log kFrontLogs[] = {
    {74, 86, 186, 30, 11, 150, 252, 20},
    {218, 86, 108, 32, 11, 150, 248, 21},
};

constexpr EndOn kEndOns[] = {
    {112, 93, 11, 22},
    {182, 94, 10, 23},
};

// Whatever of the pile strays outside its rows is cut off.
void ClearOutsideWoodRows(Picture& pic)
{
    for (int y = 0; y < kHeight; ++y) {
        if (y >= kFirstWoodRow && y <= kLastWoodRow)
            continue;
        for (int x = 0; x < kWidth; ++x) {
            pic.px[y * kWidth + x] = {0, 0, 0};
        }
    }
}

void DrawPile(Picture& pic)
{
    for (const Log& log : kBackLogs)
        PaintShape(pic, log, SampleLog);
    for (const Log& log : kLyingLogs)
        PaintShape(pic, log, SampleLog);
    for (const Log& log : kFrontLogs)
        PaintShape(pic, log, SampleLog);
    for (const EndOn& e : kEndOns)
        PaintShape(pic, e, SampleEndOn);
    ClearOutsideWoodRows(pic);
}

bool IsWood(const Picture& pic, int x, int y)
{
    const Rgb& c = pic.px[y * kWidth + x];
    return c.r + c.g + c.b > 0;
}

bool InEmberArea(int x, int y)
{
    return x >= kEmberLeft && x <= kEmberRight && y >= kEmberTop && y <= kEmberBottom;
}

constexpr int kNeighbours = 8;
constexpr int kStepX[kNeighbours] = {1, -1, 0, 0, 1, 1, -1, -1};
constexpr int kStepY[kNeighbours] = {0, 0, 1, -1, 1, -1, 1, -1};

// Clumps keep apart, so each still reads as a dot of its own.
bool TouchesOtherClump(const Picture& pic, int x, int y, int clump)
{
    for (int i = 0; i < kNeighbours; ++i) {
        const int nx = x + kStepX[i], ny = y + kStepY[i];
        if (nx < 0 || nx >= kWidth || ny < 0 || ny >= kHeight)
            continue;
        const int other = pic.clump[ny * kWidth + nx];
        if (other != 0 && other != clump)
            return true;
    }
    return false;
}

bool CanHoldEmber(const Picture& pic, int x, int y, int clump)
{
    return InEmberArea(x, y) && IsWood(pic, x, y) && pic.clump[y * kWidth + x] == 0 &&
           !TouchesOtherClump(pic, x, y, clump);
}

// Embers settle where the pile is hottest, mostly along its glowing cracks.
int EmberChance(const Picture& pic, int x, int y, int clump)
{
    if (!CanHoldEmber(pic, x, y, clump))
        return 0;
    constexpr int kGlowingRed = 190;  // the hot cracks; plain char stays well below
    const int heat = HeatAt(x * kSub + kSub / 2, y * kSub + kSub / 2);
    return pic.px[y * kWidth + x].r >= kGlowingRed ? std::min(kOne, heat * 2) : heat / 2;
}

void ScatterEmbers(Picture& pic)
{
    Rng rng{kSeed};
    int placed = 0;
    int clump = 0;
    // Bounded, so a pile too small for its embers ends with too few of them rather than never.
    constexpr long kMaxTries = 50000000;
    for (long tries = 0; placed < kEmberTarget && tries < kMaxTries; ++tries) {
        int x = kEmberLeft + RandomBelow(rng, kEmberRight - kEmberLeft + 1);
        int y = kEmberTop + RandomBelow(rng, kEmberBottom - kEmberTop + 1);
        if (RandomBelow(rng, kOne) >= EmberChance(pic, x, y, clump + 1))
            continue;
        ++clump;
        const int size = 1 + RandomBelow(rng, kMaxClusterPixels);
        for (int grown = 0; grown < size && placed < kEmberTarget; ++grown) {
            pic.clump[y * kWidth + x] = clump;
            pic.px[y * kWidth + x] = {255, 0, 0};
            ++placed;
            const int dir = RandomBelow(rng, kNeighbours);
            const int nx = x + kStepX[dir], ny = y + kStepY[dir];
            if (!CanHoldEmber(pic, nx, ny, clump))
                break;
            x = nx;
            y = ny;
        }
    }
}

void KeepRedForEmbers(Picture& pic)
{
    for (size_t i = 0; i < pic.px.size(); ++i) {
        Rgb& c = pic.px[i];
        if (pic.clump[i] == 0 && c.r > kRedLimit && c.g < kDullLimit && c.b < kDullLimit)
            c.g = kDullLimit;
    }
}

std::vector<uint8_t> EncodeBitmap(const Picture& pic)
{
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutUint32(out, kFileHeaderBytes + kInfoHeaderBytes + kPixelBytes);
    PutUint32(out, 0);
    PutUint32(out, kFileHeaderBytes + kInfoHeaderBytes);
    PutInfoHeader(out, kWidth, kHeight, kBytesPerPixel * 8, kPixelBytes);
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb& c = pic.px[row * kWidth + x];
            out.push_back(static_cast<uint8_t>(ClampByte(c.b)));
            out.push_back(static_cast<uint8_t>(ClampByte(c.g)));
            out.push_back(static_cast<uint8_t>(ClampByte(c.r)));
        }
        for (int pad = kWidth * kBytesPerPixel; pad < kRowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasOutputPath(argc, argv, "OUT.bmp"))
        return kUsageExitStatus;
    Picture pic{std::vector<Rgb>(kWidth * kHeight, Rgb{0, 0, 0}), std::vector<int>(kWidth * kHeight, 0)};
    DrawPile(pic);
    ScatterEmbers(pic);
    KeepRedForEmbers(pic);
    return WriteArtworkFile(argv[1], EncodeBitmap(pic));
}
