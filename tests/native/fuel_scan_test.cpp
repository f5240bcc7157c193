#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "canvas_fixture.h"

namespace {

typedef std::set<std::pair<int, int>> Points;

const uint32_t LIT = 0x00FF0000;

struct Patch {
    int left, top, right, bottom;
    uint32_t pixel;
};

std::vector<uint32_t> Painted(int width, int height, const std::vector<Patch>& patches)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    for (const Patch& patch : patches)
        for (int y = patch.top; y <= patch.bottom; ++y)
            for (int x = patch.left; x <= patch.right; ++x)
                pixels[y * width + x] = patch.pixel;
    return pixels;
}

// The fuel points a scan of the painted pixels leaves; every other cell holds no fuel.
Points ScanPoints(int width, int height, const std::vector<Patch>& patches, FuelTest test)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, width, height);
    ScanFuelPoints(surface.canvas, Painted(width, height, patches).data(), test);
    Points points;
    for (int i = 0; i < surface.canvas.cellCount; ++i) {
        if (surface.canvas.fuel[i] == FUEL_VALUE)
            points.insert({i % width, i / width});
        else
            EXPECT_EQ(surface.canvas.fuel[i], 0);
    }
    return points;
}

}  // namespace

TEST(FuelScan, LitShapesThinIntoADiagonalLatticeAndTheBorderNeverBurns)
{
    const struct {
        const char* name;
        int width, height;
        std::vector<Patch> patches;
        Points fuel;
    } cases[] = {
        {"a row of any colour", 16, 12, {{5, 5, 12, 5, 0x00010203}}, {{5, 5}, {8, 5}, {11, 5}}},
        {"a square", 16, 12, {{5, 5, 7, 7, LIT}}, {{5, 5}, {6, 6}, {7, 7}}},
        {"a column", 16, 12, {{4, 5, 4, 9, LIT}}, {{4, 5}, {4, 8}}},
        {"a block", 16, 12, {{2, 2, 9, 7, LIT}}, {{2, 2}, {5, 2}, {8, 2}, {3, 3}, {6, 3}, {9, 3}, {4, 4}, {7, 4},
                                                   {2, 5}, {5, 5}, {8, 5}, {3, 6}, {6, 6}, {9, 6}, {4, 7}, {7, 7}}},
        {"the border rows and columns", 10, 8, {{0, 0, 9, 0, LIT}, {0, 7, 9, 7, LIT}, {0, 0, 0, 7, LIT}, {9, 0, 9, 7, LIT}},
         {}},
        {"too narrow to have an inner cell", 2, 8, {{0, 0, 1, 7, LIT}}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScanPoints(c.width, c.height, c.patches, FUEL_TEST_LIT), c.fuel) << c.name;
}

TEST(FuelScan, EmbersMustBeExactlyPureRed)
{
    const std::vector<Patch> patches = {{2, 2, 3, 2, EMBER_PIXEL},  {2, 5, 4, 5, EMBER_PIXEL},
                                        {2, 8, 5, 8, EMBER_PIXEL},  {10, 2, 10, 2, 0x00FE0000},
                                        {12, 2, 12, 2, 0x00FF0100}, {14, 2, 14, 2, 0x00FF0001},
                                        {10, 6, 17, 9, 0x00B0602A}};  // the last wood
    EXPECT_EQ(ScanPoints(20, 12, patches, FUEL_TEST_EMBER), (Points{{2, 2}, {2, 5}, {2, 8}, {5, 8}}));
}

TEST(FuelScan, WritesNothingWithoutAFuelBuffer)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, 8, 8);
    std::vector<uint32_t> pixels = Painted(8, 8, {{1, 1, 6, 6, LIT}});
    uint8_t* fuel = surface.canvas.fuel;
    surface.canvas.fuel = nullptr;
    ScanFuelPoints(surface.canvas, pixels.data(), FUEL_TEST_LIT);
    surface.canvas.fuel = fuel;
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(fuel[i], 0);
    EXPECT_EQ(pixels[1 * 8 + 2], LIT);  // nothing was cleared either
}
