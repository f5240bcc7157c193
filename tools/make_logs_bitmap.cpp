// Writes the firewood picture the fire burns on. Integer arithmetic only, so
// every machine produces the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "artwork_support.h"
#include "logs_bitmap_shape.h"

namespace {

const int BYTES_PER_PIXEL = 3;
const int ROW_BYTES = (LOGS_WIDTH * BYTES_PER_PIXEL + 3) / 4 * 4;
const int FILE_HEADER_BYTES = 14;
const int PIXEL_BYTES = ROW_BYTES * LOGS_HEIGHT;

// Geometry works in 1/SUB pixel units; each pixel is sampled GRID x GRID.
const int SUB = 16;
const int GRID = 4;
const int SAMPLES = GRID * GRID;
const int FIXED_ONE = 256;  // fixed-point 1.0 for shading factors

const int FIRE_X = 148;
const int FIRE_Y = 24;
const int HEAT_RADIUS_X = 132;
const int HEAT_RADIUS_Y = 54;

const int MAX_CLUSTER_PIXELS = 6;
const uint64_t SEED = 0x7a6b1047c0ffee11ULL;

const int NOISE_MID = 128;  // value noise runs 0..255; cracks and ridges follow its middle

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
    const int64_t fx = (x - cx * cell) * FIXED_ONE / cell;
    const int64_t fy = (y - cy * cell) * FIXED_ONE / cell;
    const int64_t sx = fx * fx * (3 * FIXED_ONE - 2 * fx) / (FIXED_ONE * FIXED_ONE);
    const int64_t sy = fy * fy * (3 * FIXED_ONE - 2 * fy) / (FIXED_ONE * FIXED_ONE);
    auto corner = [&](int64_t i, int64_t j) {
        return static_cast<int64_t>(HashPoint(static_cast<int32_t>(cx + i), static_cast<int32_t>(cy + j), seed) & 0xff);
    };
    const int64_t top = corner(0, 0) * (FIXED_ONE - sx) + corner(1, 0) * sx;
    const int64_t bottom = corner(0, 1) * (FIXED_ONE - sx) + corner(1, 1) * sx;
    return static_cast<int>((top * (FIXED_ONE - sy) + bottom * sy) / (FIXED_ONE * FIXED_ONE));
}

int ClampByte(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, 0, 255));
}

Rgb ScaleColour(Rgb c, int f)
{
    return {c.r * f / FIXED_ONE, c.g * f / FIXED_ONE, c.b * f / FIXED_ONE};
}

Rgb MixColours(Rgb a, Rgb b, int t)
{
    return {a.r + (b.r - a.r) * t / FIXED_ONE, a.g + (b.g - a.g) * t / FIXED_ONE, a.b + (b.b - a.b) * t / FIXED_ONE};
}

// How strongly the fire above the pile has scorched a point (0..FIXED_ONE).
int HeatAt(int64_t x, int64_t y)
{
    const int64_t dx = (x - FIRE_X * SUB) * FIXED_ONE / (HEAT_RADIUS_X * SUB);
    const int64_t dy = (y - FIRE_Y * SUB) * FIXED_ONE / (HEAT_RADIUS_Y * SUB);
    const int64_t d = IntegerSquareRoot(dx * dx + dy * dy);
    return static_cast<int>(std::max<int64_t>(0, FIXED_ONE - d));
}

// Scorched wood keeps its shading; glowing cracks show where a noise field
// crosses its middle value, and the fire above tints everything orange.
Rgb CharColour(Rgb wood, int64_t u, int64_t v, int heat, int facingUp, uint32_t seed)
{
    const Rgb glowDeep{214, 84, 16};
    const Rgb glowHot{255, 170, 50};
    const Rgb firelight{255, 110, 20};
    const int charAmount = std::min(FIXED_ONE, heat * 3 / 2) * 7 / 8;
    const Rgb soot{wood.r / 6 + 4, wood.g / 9 + 3, wood.b / 10 + 3};
    Rgb c = MixColours(wood, soot, charAmount);
    // Surfaces turned up toward the flames catch more of their light.
    const int tint = heat * heat / FIXED_ONE * (FIXED_ONE / 8 + facingUp / 2) / FIXED_ONE;
    c = {c.r + firelight.r * tint / FIXED_ONE, c.g + firelight.g * tint / FIXED_ONE,
         c.b + firelight.b * tint / FIXED_ONE};
    // Charcoal splits into blocks: cracks run both along and across the grain.
    const int alongGrain = std::abs(ValueNoise(u / 3, v * 2, 2 * SUB, seed ^ 0x51u) - NOISE_MID);
    const int acrossGrain = std::abs(ValueNoise(u * 2, v / 2, 5 * SUB, seed ^ 0x77u) - NOISE_MID);
    const int crack = std::min(alongGrain, acrossGrain);
    const int THINNEST_CRACK = 3;
    const int CRACK_WIDENING = 12;
    const int GLOW_START = 30;
    const int GLOW_RAMP = 3;
    const int crackWidth = THINNEST_CRACK + heat * CRACK_WIDENING / FIXED_ONE;
    if (heat > GLOW_START && crack < crackWidth) {
        const int glowStrength = (crackWidth - crack) * FIXED_ONE / crackWidth *
                                 std::min(FIXED_ONE, (heat - GLOW_START) * GLOW_RAMP) / FIXED_ONE;
        c = MixColours(c, MixColours(glowDeep, glowHot, heat), glowStrength);
    }
    return c;
}

// Where a point on a log's round surface faces, in FIXED_ONE units.
struct Facing {
    int64_t toViewer;
    int64_t up;
};

Facing FacingOf(int64_t v, int64_t radiusSub, int64_t axisX, int64_t axisLen)
{
    const int64_t n = v * FIXED_ONE / radiusSub;
    const int64_t z = IntegerSquareRoot(FIXED_ONE * FIXED_ONE - std::min<int64_t>(n * n, FIXED_ONE * FIXED_ONE));
    return {z, n * (axisX * FIXED_ONE / axisLen) / FIXED_ONE};
}

// 0 at the top of the pile, FIXED_ONE at its foot.
int64_t DepthInPile(int64_t y)
{
    return (y - FIRST_WOOD_ROW * SUB) * FIXED_ONE / ((LAST_WOOD_ROW - FIRST_WOOD_ROW) * SUB);
}

Rgb BarkColour(const Log& log, int64_t u, int64_t v, Facing f, int64_t y)
{
    const Rgb barkBase{178, 98, 40};
    // Light falls from the fire above and from in front.
    const int AMBIENT = 40;
    const int LIGHT_FROM_ABOVE = 150;
    const int LIGHT_FROM_FRONT = 190;
    const int64_t diffuse = std::max<int64_t>(0, (f.up * LIGHT_FROM_ABOVE + f.toViewer * LIGHT_FROM_FRONT) / FIXED_ONE);
    int light = static_cast<int>(AMBIENT + diffuse);
    // Bark runs in long streaks with fine grit and deep furrows along the log.
    const int STREAK_FLOOR = 180;
    const int streak = ValueNoise(u, v * 6, 7 * SUB, log.seed);
    const int grit = ValueNoise(u * 3, v * 5, 2 * SUB, log.seed ^ 0x1234u);
    light = light * (STREAK_FLOOR + streak / 3 + grit / 5) / FIXED_ONE;
    const int FURROW_WIDTH = 14;
    const int FURROW_FLOOR = 150;
    const int furrow = std::abs(ValueNoise(u / 2, v * 4, 3 * SUB, log.seed ^ 0x99u) - NOISE_MID);
    if (furrow < FURROW_WIDTH)
        light = light * (FURROW_FLOOR + furrow * (FIXED_ONE - FURROW_FLOOR) / FURROW_WIDTH) / FIXED_ONE;
    light = static_cast<int>(light * (FIXED_ONE - DepthInPile(y) * 3 / 8) / FIXED_ONE);
    return ScaleColour(ScaleColour(barkBase, log.tone), light);
}

Rgb EndGrainColour(int64_t q, int64_t radiusSub, int64_t u, int64_t v, uint32_t seed, int64_t y)
{
    const Rgb sapwood{214, 160, 96};
    const Rgb heartwood{190, 122, 62};
    const Rgb ringLine{128, 76, 38};
    const Rgb barkRim{70, 40, 20};
    const int64_t rel = q * FIXED_ONE / radiusSub;  // 0 at the pith, FIXED_ONE at the bark
    const int BARK_STARTS = FIXED_ONE * 7 / 8;
    if (rel > BARK_STARTS)
        return ScaleColour(barkRim, FIXED_ONE - static_cast<int>(rel - BARK_STARTS) * 2);
    Rgb c = MixColours(heartwood, sapwood, static_cast<int>(rel));
    const int wobble = ValueNoise(u * 2, v * 2, 4 * SUB, seed ^ 0x4242u) / 4;
    const int RINGS = 6;
    const int RING_WIDTH = 60;
    const int ringPhase = static_cast<int>((rel * RINGS + wobble) % FIXED_ONE);
    if (ringPhase < RING_WIDTH)
        c = MixColours(c, ringLine, (RING_WIDTH - ringPhase) * 3);
    const int PITH = FIXED_ONE / 14;
    if (rel < PITH)
        c = ringLine;
    return ScaleColour(c, static_cast<int>(FIXED_ONE - DepthInPile(y) / 4));
}

// Colour of a log at a sample point, or false if the point misses the log.
bool SampleLog(const Log& log, int64_t x, int64_t y, Rgb& out)
{
    const int64_t ax = log.ax * SUB, ay = log.ay * SUB;
    const int64_t dx = (log.bx - log.ax) * SUB, dy = (log.by - log.ay) * SUB;
    const int64_t len = IntegerSquareRoot(dx * dx + dy * dy);
    const int64_t rx = x - ax, ry = y - ay;
    const int64_t u = (rx * dx + ry * dy) / len;
    const int64_t v = (rx * dy - ry * dx) / len;
    const int64_t radius = log.radius * SUB;
    if (v < -radius || v > radius || u > len)
        return false;
    const int heat = HeatAt(x, y);
    if (log.capSquash != 0) {
        const int64_t along = u * FIXED_ONE / log.capSquash;
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
    const int64_t u = x - e.cx * SUB, v = y - e.cy * SUB;
    const int64_t q = IntegerSquareRoot(u * u + v * v);
    const int64_t radius = e.radius * SUB;
    if (q > radius)
        return false;
    out = EndGrainColour(q, radius, u, v, e.seed, y);
    return true;
}

void BlendCoverage(Picture& pic, int px, int py, Rgb sum, int covered)
{
    Rgb& dst = pic.px[py * LOGS_WIDTH + px];
    dst.r = (dst.r * (SAMPLES - covered) + sum.r) / SAMPLES;
    dst.g = (dst.g * (SAMPLES - covered) + sum.g) / SAMPLES;
    dst.b = (dst.b * (SAMPLES - covered) + sum.b) / SAMPLES;
}

template <typename Shape, typename Sampler> void PaintShape(Picture& pic, const Shape& shape, Sampler sampler)
{
    for (int py = 0; py < LOGS_HEIGHT; ++py) {
        for (int px = 0; px < LOGS_WIDTH; ++px) {
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < GRID; ++sy) {
                for (int sx = 0; sx < GRID; ++sx) {
                    const int64_t x = px * SUB + sx * SUB / GRID + SUB / (2 * GRID);
                    const int64_t y = py * SUB + sy * SUB / GRID + SUB / (2 * GRID);
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
const Log BACK_LOGS[] = {
    {20, 98, 234, 16, 8, 0, 196, 11},   {272, 98, 64, 20, 8, 0, 192, 12},   {60, 100, 184, 24, 8, 0, 210, 13},
    {232, 100, 94, 16, 8, 0, 206, 14},  {100, 101, 176, 10, 9, 0, 226, 15}, {192, 101, 122, 20, 9, 0, 222, 16},
    {128, 102, 156, 16, 9, 0, 236, 17}, {164, 102, 132, 9, 9, 0, 232, 24},
};

const Log LYING_LOGS[] = {
    {-8, 96, 152, 98, 8, 0, 250, 18},
    {134, 98, 294, 95, 8, 0, 246, 19},
};

const Log FRONT_LOGS[] = {
    {74, 86, 186, 30, 11, 150, 252, 20},
    {218, 86, 108, 32, 11, 150, 248, 21},
};

const EndOn END_ONS[] = {
    {112, 93, 11, 22},
    {182, 94, 10, 23},
};

// Whatever of the pile strays outside its rows is cut off.
void ClearOutsideWoodRows(Picture& pic)
{
    for (int y = 0; y < LOGS_HEIGHT; ++y) {
        if (y >= FIRST_WOOD_ROW && y <= LAST_WOOD_ROW)
            continue;
        for (int x = 0; x < LOGS_WIDTH; ++x) {
            pic.px[y * LOGS_WIDTH + x] = {0, 0, 0};
        }
    }
}

void DrawPile(Picture& pic)
{
    for (const Log& log : BACK_LOGS)
        PaintShape(pic, log, SampleLog);
    for (const Log& log : LYING_LOGS)
        PaintShape(pic, log, SampleLog);
    for (const Log& log : FRONT_LOGS)
        PaintShape(pic, log, SampleLog);
    for (const EndOn& e : END_ONS)
        PaintShape(pic, e, SampleEndOn);
    ClearOutsideWoodRows(pic);
}

bool IsWood(const Picture& pic, int x, int y)
{
    const Rgb& c = pic.px[y * LOGS_WIDTH + x];
    return c.r + c.g + c.b > 0;
}

bool InEmberArea(int x, int y)
{
    return x >= EMBER_LEFT && x <= EMBER_RIGHT && y >= EMBER_TOP && y <= EMBER_BOTTOM;
}

const int NEIGHBOURS = 8;
const int STEP_X[NEIGHBOURS] = {1, -1, 0, 0, 1, 1, -1, -1};
const int STEP_Y[NEIGHBOURS] = {0, 0, 1, -1, 1, -1, 1, -1};

// Clumps keep apart, so each still reads as a dot of its own.
bool TouchesOtherClump(const Picture& pic, int x, int y, int clump)
{
    for (int i = 0; i < NEIGHBOURS; ++i) {
        const int nx = x + STEP_X[i], ny = y + STEP_Y[i];
        if (nx < 0 || nx >= LOGS_WIDTH || ny < 0 || ny >= LOGS_HEIGHT)
            continue;
        const int other = pic.clump[ny * LOGS_WIDTH + nx];
        if (other != 0 && other != clump)
            return true;
    }
    return false;
}

bool CanHoldEmber(const Picture& pic, int x, int y, int clump)
{
    return InEmberArea(x, y) && IsWood(pic, x, y) && pic.clump[y * LOGS_WIDTH + x] == 0 &&
           !TouchesOtherClump(pic, x, y, clump);
}

// Embers settle where the pile is hottest, mostly along its glowing cracks.
int EmberChance(const Picture& pic, int x, int y, int clump)
{
    if (!CanHoldEmber(pic, x, y, clump))
        return 0;
    const int GLOWING_RED = 190;  // the hot cracks; plain char stays well below
    const int heat = HeatAt(x * SUB + SUB / 2, y * SUB + SUB / 2);
    return pic.px[y * LOGS_WIDTH + x].r >= GLOWING_RED ? std::min(FIXED_ONE, heat * 2) : heat / 2;
}

void ScatterEmbers(Picture& pic)
{
    Rng rng{SEED};
    int placed = 0;
    int clump = 0;
    // Bounded, so a pile too small for its embers ends with too few of them rather than never.
    const long MAX_TRIES = 50000000;
    for (long tries = 0; placed < EMBER_TARGET && tries < MAX_TRIES; ++tries) {
        int x = EMBER_LEFT + RandomBelow(rng, EMBER_RIGHT - EMBER_LEFT + 1);
        int y = EMBER_TOP + RandomBelow(rng, EMBER_BOTTOM - EMBER_TOP + 1);
        if (RandomBelow(rng, FIXED_ONE) >= EmberChance(pic, x, y, clump + 1))
            continue;
        ++clump;
        const int size = 1 + RandomBelow(rng, MAX_CLUSTER_PIXELS);
        for (int grown = 0; grown < size && placed < EMBER_TARGET; ++grown) {
            pic.clump[y * LOGS_WIDTH + x] = clump;
            pic.px[y * LOGS_WIDTH + x] = {255, 0, 0};
            ++placed;
            const int dir = RandomBelow(rng, NEIGHBOURS);
            const int nx = x + STEP_X[dir], ny = y + STEP_Y[dir];
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
        if (pic.clump[i] == 0 && c.r > RED_LIMIT && c.g < DULL_LIMIT && c.b < DULL_LIMIT)
            c.g = DULL_LIMIT;
    }
}

std::vector<uint8_t> EncodeBitmap(const Picture& pic)
{
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutUint32(out, FILE_HEADER_BYTES + INFO_HEADER_BYTES + PIXEL_BYTES);
    PutUint32(out, 0);
    PutUint32(out, FILE_HEADER_BYTES + INFO_HEADER_BYTES);
    PutInfoHeader(out, LOGS_WIDTH, LOGS_HEIGHT, BYTES_PER_PIXEL * 8, PIXEL_BYTES);
    for (int row = LOGS_HEIGHT - 1; row >= 0; --row) {
        for (int x = 0; x < LOGS_WIDTH; ++x) {
            const Rgb& c = pic.px[row * LOGS_WIDTH + x];
            out.push_back(static_cast<uint8_t>(ClampByte(c.b)));
            out.push_back(static_cast<uint8_t>(ClampByte(c.g)));
            out.push_back(static_cast<uint8_t>(ClampByte(c.r)));
        }
        for (int pad = LOGS_WIDTH * BYTES_PER_PIXEL; pad < ROW_BYTES; ++pad)
            out.push_back(0);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasOutputPath(argc, argv, "OUT.bmp"))
        return USAGE_EXIT_STATUS;
    Picture pic{std::vector<Rgb>(LOGS_WIDTH * LOGS_HEIGHT, Rgb{0, 0, 0}),
                std::vector<int>(LOGS_WIDTH * LOGS_HEIGHT, 0)};
    DrawPile(pic);
    ScatterEmbers(pic);
    KeepRedForEmbers(pic);
    return WriteArtworkFile(argv[1], EncodeBitmap(pic));
}
