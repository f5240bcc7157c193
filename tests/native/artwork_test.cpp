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
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr int kFirstWoodRow = 7;
constexpr int kLastWoodRow = 104;
constexpr int kEmberTop = 9;
constexpr int kEmberBottom = 57;
constexpr int kEmberLeft = 62;
constexpr int kEmberRight = 247;
constexpr int kFewestEmbers = 1000;
constexpr int kMostEmbers = 1400;
constexpr int kRedLimit = 180;
constexpr int kDullLimit = 60;

constexpr int kIconSizes[] = {16, 32, 48};
constexpr int kIconCount = 3;
constexpr int kIconDirBytes = 6;
constexpr int kIconEntryBytes = 16;
constexpr int kOpaque = 255;

struct Rgb {
    int r, g, b;
};

bool operator==(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

const Rgb kEmber{255, 0, 0};
const Rgb kBlack{0, 0, 0};

std::vector<uint8_t> readResource(const std::string& name)
{
    std::ifstream in(std::string(TAMBLORN_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le16(const std::vector<uint8_t>& d, size_t at)
{
    return d.at(at) | d.at(at + 1) << 8;
}

uint32_t le32(const std::vector<uint8_t>& d, size_t at)
{
    return le16(d, at) | le16(d, at + 2) << 16;
}

// Rows counted from the top of the picture as shown; the file stores them bottom first.
Rgb logsPixel(const std::vector<uint8_t>& bmp, int x, int row)
{
    const size_t at = kHeadersBytes + static_cast<size_t>(kLogsHeight - 1 - row) * kLogsRowBytes + x * 3;
    return {bmp.at(at + 2), bmp.at(at + 1), bmp.at(at)};
}

class LogsBitmap : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp = readResource("logs.bmp");
        ASSERT_EQ(bmp.size(), kLogsFileBytes);
    }
    std::vector<uint8_t> bmp;
};

TEST_F(LogsBitmap, HeadersDescribeABottomUp24BitPicture)
{
    EXPECT_EQ(le16(bmp, 0), 'B' | 'M' << 8);
    const uint32_t fields[][2] = {{2, kLogsFileBytes},
                                  {6, 0},
                                  {10, kHeadersBytes},
                                  {14, kInfoHeaderBytes},
                                  {18, kLogsWidth},
                                  {22, kLogsHeight},
                                  {26, 1 | 24 << 16},
                                  {30, 0},
                                  {34, kLogsPixelBytes},
                                  {38, 0},
                                  {42, 0},
                                  {46, 0},
                                  {50, 0}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(le32(bmp, at), value) << "header byte " << at;
}

TEST_F(LogsBitmap, BlackAboveAndBelowThePileAndWoodInEveryColumn)
{
    for (int x = 0; x < kLogsWidth; ++x) {
        for (int row = 0; row < kFirstWoodRow; ++row)
            EXPECT_EQ(logsPixel(bmp, x, row), kBlack) << x << "," << row;
        EXPECT_EQ(logsPixel(bmp, x, kLastWoodRow + 1), kBlack) << x;
        bool wood = false;
        for (int row = kFirstWoodRow; row <= kLastWoodRow; ++row) {
            const Rgb c = logsPixel(bmp, x, row);
            wood = wood || (!(c == kBlack) && !(c == kEmber));
        }
        EXPECT_TRUE(wood) << "column " << x;
    }
}

// Embers are exactly pure red, lie on top of the pile, and nothing else comes near that red.
TEST_F(LogsBitmap, EmbersLieOnTopOfThePileAndNothingElseLooksRed)
{
    int embers = 0;
    for (int row = 0; row < kLogsHeight; ++row) {
        for (int x = 0; x < kLogsWidth; ++x) {
            const Rgb c = logsPixel(bmp, x, row);
            if (c == kEmber) {
                ++embers;
                EXPECT_TRUE(x >= kEmberLeft && x <= kEmberRight && row >= kEmberTop && row <= kEmberBottom)
                    << "ember at " << x << "," << row;
            } else {
                EXPECT_FALSE(c.r > kRedLimit && c.g < kDullLimit && c.b < kDullLimit)
                    << x << "," << row << " is " << c.r << "," << c.g << "," << c.b;
            }
        }
    }
    EXPECT_GE(embers, kFewestEmbers);
    EXPECT_LE(embers, kMostEmbers);
}

int maskRowBytes(int size)
{
    return (size + 31) / 32 * 4;
}

// Each image: a double-height 32-bit header, the pixels bottom row first, then the AND mask.
TEST(Icon, ThreeTrueColourSizesWithTransparentCornersAndASolidMiddle)
{
    const std::vector<uint8_t> ico = readResource("tamblorn.ico");
    ASSERT_GE(ico.size(), static_cast<size_t>(kIconDirBytes + kIconCount * kIconEntryBytes));
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    ASSERT_EQ(le16(ico, 4), static_cast<uint32_t>(kIconCount));
    size_t offset = kIconDirBytes + kIconCount * kIconEntryBytes;
    for (int i = 0; i < kIconCount; ++i) {
        const int size = kIconSizes[i];
        SCOPED_TRACE(size);
        const size_t entry = kIconDirBytes + static_cast<size_t>(i) * kIconEntryBytes;
        const size_t pixelBytes = static_cast<size_t>(size) * size * 4;
        const size_t bytes = kInfoHeaderBytes + pixelBytes + static_cast<size_t>(maskRowBytes(size)) * size;
        EXPECT_EQ(ico[entry], size);
        EXPECT_EQ(ico[entry + 1], size);
        EXPECT_EQ(le32(ico, entry + 4), 1u | 32u << 16) << "planes, bits per pixel";
        EXPECT_EQ(le32(ico, entry + 8), bytes);
        ASSERT_EQ(le32(ico, entry + 12), offset);
        ASSERT_LE(offset + bytes, ico.size());
        EXPECT_EQ(le32(ico, offset), kInfoHeaderBytes);
        EXPECT_EQ(le32(ico, offset + 4), static_cast<uint32_t>(size));
        EXPECT_EQ(le32(ico, offset + 8), static_cast<uint32_t>(2 * size));
        EXPECT_EQ(le32(ico, offset + 12), 1u | 32u << 16);

        auto alpha = [&](int x, int row) {
            return ico.at(offset + kInfoHeaderBytes + (static_cast<size_t>(size - 1 - row) * size + x) * 4 + 3);
        };
        auto masked = [&](int x, int row) {
            const size_t at = offset + kInfoHeaderBytes + pixelBytes +
                              static_cast<size_t>(size - 1 - row) * maskRowBytes(size) + x / 8;
            return (ico.at(at) & (0x80 >> (x % 8))) != 0;
        };
        const int last = size - 1;
        for (const auto& [x, row] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}}) {
            EXPECT_EQ(alpha(x, row), 0) << x << "," << row;
            EXPECT_TRUE(masked(x, row)) << x << "," << row;
        }
        EXPECT_EQ(alpha(size / 2, size / 2), kOpaque);
        EXPECT_FALSE(masked(size / 2, size / 2));
        offset += bytes;
    }
    EXPECT_EQ(ico.size(), offset);
}

}  // namespace
