#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "canvas_fixture.h"

namespace {

typedef std::set<std::pair<int, int>> Points;

struct Scratch {
    TestCanvas surface;
    std::vector<uint32_t> pixels;
};

void StartScan(Scratch* scratch, int width, int height)
{
    BuildNativeCanvas(&scratch->surface, width, height);
    scratch->pixels.assign(static_cast<size_t>(width) * height, 0);
}

void Paint(Scratch* scratch, int x0, int y0, int x1, int y1, uint32_t pixel)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            scratch->pixels[y * scratch->surface.canvas.width + x] = pixel;
}

Points ScanPoints(Scratch* scratch, FuelTest test)
{
    ScanFuelPoints(scratch->surface.canvas, scratch->pixels.data(), test);
    Points points;
    for (int i = 0; i < scratch->surface.canvas.cellCount; ++i) {
        if (scratch->surface.canvas.fuel[i] == FUEL_VALUE)
            points.insert({i % scratch->surface.canvas.width, i / scratch->surface.canvas.width});
        else
            EXPECT_EQ(scratch->surface.canvas.fuel[i], 0);
    }
    return points;
}

const uint32_t LIT = 0x00FF0000;

}  // namespace

TEST(FuelScan, LitShapesThinIntoADiagonalLattice)
{
    Scratch scratch;
    StartScan(&scratch, 16, 12);
    Paint(&scratch, 5, 5, 12, 5, 0x00010203);
    EXPECT_EQ(ScanPoints(&scratch, FUEL_TEST_LIT), (Points{{5, 5}, {8, 5}, {11, 5}}));

    StartScan(&scratch, 16, 12);
    Paint(&scratch, 5, 5, 7, 7, LIT);
    EXPECT_EQ(ScanPoints(&scratch, FUEL_TEST_LIT), (Points{{5, 5}, {6, 6}, {7, 7}}));

    StartScan(&scratch, 16, 12);
    Paint(&scratch, 4, 5, 4, 9, LIT);
    EXPECT_EQ(ScanPoints(&scratch, FUEL_TEST_LIT), (Points{{4, 5}, {4, 8}}));

    StartScan(&scratch, 16, 12);
    Paint(&scratch, 2, 2, 9, 7, LIT);
    const Points lattice = {{2, 2}, {5, 2}, {8, 2}, {3, 3}, {6, 3}, {9, 3}, {4, 4}, {7, 4},
                            {2, 5}, {5, 5}, {8, 5}, {3, 6}, {6, 6}, {9, 6}, {4, 7}, {7, 7}};
    EXPECT_EQ(ScanPoints(&scratch, FUEL_TEST_LIT), lattice);
}

TEST(FuelScan, BorderRowsAndColumnsNeverBecomeFuel)
{
    Scratch scratch;
    StartScan(&scratch, 10, 8);
    Paint(&scratch, 0, 0, 9, 0, LIT);
    Paint(&scratch, 0, 7, 9, 7, LIT);
    Paint(&scratch, 0, 0, 0, 7, LIT);
    Paint(&scratch, 9, 0, 9, 7, LIT);
    EXPECT_TRUE(ScanPoints(&scratch, FUEL_TEST_LIT).empty());

    // Too narrow or too low to have an inner cell.
    StartScan(&scratch, 2, 8);
    Paint(&scratch, 0, 0, 1, 7, LIT);
    EXPECT_TRUE(ScanPoints(&scratch, FUEL_TEST_LIT).empty());
}

TEST(FuelScan, EmbersMustBeExactlyPureRed)
{
    Scratch scratch;
    StartScan(&scratch, 20, 12);
    Paint(&scratch, 2, 2, 3, 2, EMBER_PIXEL);
    Paint(&scratch, 2, 5, 4, 5, EMBER_PIXEL);
    Paint(&scratch, 2, 8, 5, 8, EMBER_PIXEL);
    Paint(&scratch, 10, 2, 10, 2, 0x00FE0000);
    Paint(&scratch, 12, 2, 12, 2, 0x00FF0100);
    Paint(&scratch, 14, 2, 14, 2, 0x00FF0001);
    Paint(&scratch, 10, 6, 17, 9, 0x00B0602A);  // wood
    EXPECT_EQ(ScanPoints(&scratch, FUEL_TEST_EMBER), (Points{{2, 2}, {2, 5}, {2, 8}, {5, 8}}));
}

TEST(FuelScan, WritesNothingWithoutAFuelBuffer)
{
    Scratch scratch;
    StartScan(&scratch, 8, 8);
    Paint(&scratch, 1, 1, 6, 6, LIT);
    FlameCanvas& canvas = scratch.surface.canvas;
    uint8_t* fuel = canvas.fuel;
    canvas.fuel = nullptr;
    ScanFuelPoints(canvas, scratch.pixels.data(), FUEL_TEST_LIT);
    canvas.fuel = fuel;
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(fuel[i], 0);
    EXPECT_EQ(scratch.pixels[1 * 8 + 2], LIT);  // nothing was cleared either
}
