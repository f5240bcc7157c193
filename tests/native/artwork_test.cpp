#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kLogsWidth = 286;
constexpr int kLogsHeight = 106;
constexpr int kLogsRowBytes = 860;
constexpr uint32_t kLogsPixelBytes = 91160;
constexpr uint32_t kLogsFileBytes = 91214;
constexpr uint32_t kHeadersBytes = 54;
constexpr int kFirstWoodRow = 7;
constexpr int kLastWoodRow = 104;
constexpr int kEmberTop = 9;
constexpr int kEmberBottom = 57;
constexpr int kEmberLeft = 62;
constexpr int kEmberRight = 247;
constexpr int kFewestEmbers = 1000;
constexpr int kMostEmbers = 1400;
constexpr int kLargestClump = 6;
constexpr int kRedLimit = 180;
constexpr int kDullLimit = 60;

constexpr int kIconSizes[] = {16, 32, 48};
constexpr int kIconCount = 3;
constexpr int kIconDirBytes = 6;
constexpr int kIconEntryBytes = 16;
constexpr int kInfoHeaderBytes = 40;
constexpr int kOpaque = 255;
constexpr int kMaskOpaqueFrom = 128;

struct Rgb {
    int r, g, b;
};

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

const Rgb kEmber{255, 0, 0};
const Rgb kBlack{0, 0, 0};

std::vector<uint8_t> readResource(const std::string& name) {
    std::ifstream in(std::string(TAMBLORN_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le16(const std::vector<uint8_t>& d, size_t at) { return d.at(at) | d.at(at + 1) << 8; }

uint32_t le32(const std::vector<uint8_t>& d, size_t at) { return le16(d, at) | le16(d, at + 2) << 16; }

int32_t signed32(const std::vector<uint8_t>& d, size_t at) { return static_cast<int32_t>(le32(d, at)); }

// Rows counted from the top of the picture as shown; the file stores them bottom first.
Rgb logsPixel(const std::vector<uint8_t>& bmp, int x, int row) {
    const size_t at = kHeadersBytes + static_cast<size_t>(kLogsHeight - 1 - row) * kLogsRowBytes + static_cast<size_t>(x) * 3;
    return {bmp.at(at + 2), bmp.at(at + 1), bmp.at(at)};
}

bool inEmberArea(int x, int row) { return x >= kEmberLeft && x <= kEmberRight && row >= kEmberTop && row <= kEmberBottom; }

class LogsBitmap : public ::testing::Test {
protected:
    void SetUp() override {
        bmp = readResource("logs.bmp");
        ASSERT_EQ(bmp.size(), kLogsFileBytes);
    }
    std::vector<uint8_t> bmp;
};

TEST_F(LogsBitmap, FileHeaderPointsAtThePixels) {
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), kLogsFileBytes);
    EXPECT_EQ(le32(bmp, 6), 0u);
    EXPECT_EQ(le32(bmp, 10), kHeadersBytes);
}

TEST_F(LogsBitmap, InfoHeaderDescribesBottomUp24BitPicture) {
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(signed32(bmp, 18), kLogsWidth);
    EXPECT_EQ(signed32(bmp, 22), kLogsHeight);
    EXPECT_EQ(le16(bmp, 26), 1u);
    EXPECT_EQ(le16(bmp, 28), 24u);
    EXPECT_EQ(le32(bmp, 30), 0u);
    EXPECT_EQ(le32(bmp, 34), kLogsPixelBytes);
    for (size_t at = 38; at < kHeadersBytes; at += 4) EXPECT_EQ(le32(bmp, at), 0u) << "header byte " << at;
}

TEST_F(LogsBitmap, RowPaddingIsZero) {
    for (int row = 0; row < kLogsHeight; ++row) {
        const size_t rowStart = kHeadersBytes + static_cast<size_t>(row) * kLogsRowBytes;
        for (size_t pad = kLogsWidth * 3; pad < kLogsRowBytes; ++pad) EXPECT_EQ(bmp[rowStart + pad], 0) << "row " << row;
    }
}

TEST_F(LogsBitmap, RowsAboveAndBelowThePileAreBlack) {
    for (int x = 0; x < kLogsWidth; ++x) {
        for (int row = 0; row < kFirstWoodRow; ++row) EXPECT_EQ(logsPixel(bmp, x, row), kBlack) << x << "," << row;
        EXPECT_EQ(logsPixel(bmp, x, kLastWoodRow + 1), kBlack) << x;
    }
}

TEST_F(LogsBitmap, WoodReachesEveryColumn) {
    for (int x = 0; x < kLogsWidth; ++x) {
        bool wood = false;
        for (int row = kFirstWoodRow; row <= kLastWoodRow; ++row) {
            const Rgb c = logsPixel(bmp, x, row);
            wood = wood || (!(c == kBlack) && !(c == kEmber));
        }
        EXPECT_TRUE(wood) << "column " << x;
    }
}

TEST_F(LogsBitmap, WoodFillsTheTopAndBottomRowsOfThePile) {
    for (int row : {kFirstWoodRow, kLastWoodRow}) {
        int wood = 0;
        for (int x = 0; x < kLogsWidth; ++x) wood += logsPixel(bmp, x, row) == kBlack ? 0 : 1;
        EXPECT_GT(wood, 0) << "row " << row;
    }
}

TEST_F(LogsBitmap, WoodIsOrangeBrown) {
    int64_t r = 0, g = 0, b = 0;
    for (int row = 0; row < kLogsHeight; ++row) {
        for (int x = 0; x < kLogsWidth; ++x) {
            const Rgb c = logsPixel(bmp, x, row);
            if (c == kEmber) continue;
            r += c.r;
            g += c.g;
            b += c.b;
        }
    }
    EXPECT_GT(r, g * 3 / 2);
    EXPECT_GT(g, b * 3 / 2);
}

TEST_F(LogsBitmap, EmbersLieOnTopOfThePile) {
    int embers = 0;
    for (int row = 0; row < kLogsHeight; ++row) {
        for (int x = 0; x < kLogsWidth; ++x) {
            if (!(logsPixel(bmp, x, row) == kEmber)) continue;
            ++embers;
            EXPECT_TRUE(inEmberArea(x, row)) << "ember at " << x << "," << row;
        }
    }
    EXPECT_GE(embers, kFewestEmbers);
    EXPECT_LE(embers, kMostEmbers);
}

// Neighbouring ember pixels, diagonals included, form one clump.
TEST_F(LogsBitmap, EmbersComeInSmallClumps) {
    std::vector<bool> seen(static_cast<size_t>(kLogsWidth) * kLogsHeight, false);
    int singles = 0;
    for (int row = 0; row < kLogsHeight; ++row) {
        for (int x = 0; x < kLogsWidth; ++x) {
            if (seen[row * kLogsWidth + x] || !(logsPixel(bmp, x, row) == kEmber)) continue;
            std::vector<std::pair<int, int>> todo{{x, row}};
            seen[row * kLogsWidth + x] = true;
            int size = 0;
            while (!todo.empty()) {
                const auto [cx, cy] = todo.back();
                todo.pop_back();
                ++size;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = cx + dx, ny = cy + dy;
                        if (nx < 0 || nx >= kLogsWidth || ny < 0 || ny >= kLogsHeight) continue;
                        if (seen[ny * kLogsWidth + nx] || !(logsPixel(bmp, nx, ny) == kEmber)) continue;
                        seen[ny * kLogsWidth + nx] = true;
                        todo.push_back({nx, ny});
                    }
                }
            }
            EXPECT_LE(size, kLargestClump) << "clump at " << x << "," << row;
            singles += size == 1 ? 1 : 0;
        }
    }
    EXPECT_GT(singles, 0);
}

TEST_F(LogsBitmap, NothingButEmbersLooksRed) {
    for (int row = 0; row < kLogsHeight; ++row) {
        for (int x = 0; x < kLogsWidth; ++x) {
            const Rgb c = logsPixel(bmp, x, row);
            if (c == kEmber) continue;
            EXPECT_FALSE(c.r > kRedLimit && c.g < kDullLimit && c.b < kDullLimit)
                << x << "," << row << " is " << c.r << "," << c.g << "," << c.b;
        }
    }
}

struct IconImage {
    int size;
    size_t offset;
    size_t bytes;
};

int maskRowBytes(int size) { return (size + 31) / 32 * 4; }

class Icon : public ::testing::Test {
protected:
    void SetUp() override {
        ico = readResource("tamblorn.ico");
        ASSERT_GE(ico.size(), static_cast<size_t>(kIconDirBytes + kIconCount * kIconEntryBytes));
        for (int i = 0; i < kIconCount; ++i) {
            const size_t entry = kIconDirBytes + static_cast<size_t>(i) * kIconEntryBytes;
            const int size = ico[entry] == 0 ? 256 : ico[entry];
            images.push_back({size, le32(ico, entry + 12), le32(ico, entry + 8)});
            ASSERT_LE(images.back().offset + images.back().bytes, ico.size());
        }
    }

    // Alpha of the pixel at column x, row counted from the top.
    int alpha(const IconImage& im, int x, int row) const {
        const size_t at = im.offset + kInfoHeaderBytes + (static_cast<size_t>(im.size - 1 - row) * im.size + x) * 4 + 3;
        return ico.at(at);
    }

    bool maskSaysTransparent(const IconImage& im, int x, int row) const {
        const size_t maskStart = im.offset + kInfoHeaderBytes + static_cast<size_t>(im.size) * im.size * 4;
        const size_t at = maskStart + static_cast<size_t>(im.size - 1 - row) * maskRowBytes(im.size) + x / 8;
        return (ico.at(at) & (0x80 >> (x % 8))) != 0;
    }

    std::vector<uint8_t> ico;
    std::vector<IconImage> images;
};

TEST_F(Icon, DirectoryListsThreeTrueColourSizes) {
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    ASSERT_EQ(le16(ico, 4), static_cast<uint32_t>(kIconCount));
    size_t expectedOffset = kIconDirBytes + kIconCount * kIconEntryBytes;
    for (int i = 0; i < kIconCount; ++i) {
        const size_t entry = kIconDirBytes + static_cast<size_t>(i) * kIconEntryBytes;
        const int size = kIconSizes[i];
        EXPECT_EQ(ico[entry], size);
        EXPECT_EQ(ico[entry + 1], size);
        EXPECT_EQ(le16(ico, entry + 4), 1u);
        EXPECT_EQ(le16(ico, entry + 6), 32u);
        const size_t bytes = kInfoHeaderBytes + static_cast<size_t>(size) * size * 4 + static_cast<size_t>(maskRowBytes(size)) * size;
        EXPECT_EQ(images[i].bytes, bytes) << size;
        EXPECT_EQ(images[i].offset, expectedOffset) << size;
        expectedOffset += bytes;
    }
    EXPECT_EQ(ico.size(), expectedOffset);
}

TEST_F(Icon, EachImageHasADoubleHeightHeader) {
    for (const IconImage& im : images) {
        EXPECT_EQ(le32(ico, im.offset), static_cast<uint32_t>(kInfoHeaderBytes));
        EXPECT_EQ(signed32(ico, im.offset + 4), im.size);
        EXPECT_EQ(signed32(ico, im.offset + 8), 2 * im.size);
        EXPECT_EQ(le16(ico, im.offset + 12), 1u);
        EXPECT_EQ(le16(ico, im.offset + 14), 32u);
        EXPECT_EQ(le32(ico, im.offset + 16), 0u);
    }
}

TEST_F(Icon, CornersAreTransparentAndTheMiddleIsSolid) {
    for (const IconImage& im : images) {
        const int last = im.size - 1;
        for (const auto& [x, row] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}}) {
            EXPECT_EQ(alpha(im, x, row), 0) << im.size << ": " << x << "," << row;
            EXPECT_TRUE(maskSaysTransparent(im, x, row)) << im.size << ": " << x << "," << row;
        }
        const int mid = im.size / 2;
        EXPECT_EQ(alpha(im, mid, mid), kOpaque) << im.size;
        EXPECT_FALSE(maskSaysTransparent(im, mid, mid)) << im.size;
    }
}

TEST_F(Icon, MaskAgreesWithAlpha) {
    for (const IconImage& im : images) {
        for (int row = 0; row < im.size; ++row) {
            for (int x = 0; x < im.size; ++x) {
                EXPECT_EQ(maskSaysTransparent(im, x, row), alpha(im, x, row) < kMaskOpaqueFrom) << im.size << ": " << x << "," << row;
            }
        }
    }
}

// Flame colours run white, yellow, orange, red: never more green than red, nor more blue than green.
TEST_F(Icon, VisiblePixelsAreFlameColoured) {
    for (const IconImage& im : images) {
        int hot = 0;
        for (int row = 0; row < im.size; ++row) {
            for (int x = 0; x < im.size; ++x) {
                if (alpha(im, x, row) == 0) continue;
                const size_t at = im.offset + kInfoHeaderBytes + (static_cast<size_t>(im.size - 1 - row) * im.size + x) * 4;
                const int b = ico[at], g = ico[at + 1], r = ico[at + 2];
                EXPECT_GE(r, g) << im.size << ": " << x << "," << row;
                EXPECT_GE(g, b) << im.size << ": " << x << "," << row;
                hot += r > 0 && g > r * 3 / 4 ? 1 : 0;
            }
        }
        EXPECT_GT(hot, 0) << im.size << " has no bright core";
    }
}

}  // namespace
