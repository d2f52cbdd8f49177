#include "converter/heightimage.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "converter/outputfile.h"
#include "tests/pngfile.h"

namespace {

const float inf = std::numeric_limits<float>::infinity();
const float nan = std::numeric_limits<float>::quiet_NaN();

TEST(HeightRange, SpansTheFiniteHeights) {
    const heightRange range = findHeightRange({{3, inf, -2}, {nan, 7, -inf}, {}});
    EXPECT_TRUE(range.anyFinite);
    EXPECT_EQ(range.lowest, -2.0f);
    EXPECT_EQ(range.highest, 7.0f);
    EXPECT_FALSE(findHeightRange({{inf, nan}}).anyFinite);
    EXPECT_FALSE(findHeightRange({}).anyFinite);
}

TEST(HeightLevel, LinearFromLowestToHighest) {
    const heightRange range{-10, 10, true};
    struct Case { float height; int level; };
    // 32767.5 rounds up, 49151.25 down.
    const Case cases[] = {{-10, 0},  {10, 65535}, {0, 32768}, {-5, 16384}, {inf, 65535},
                          {-inf, 0}, {nan, 0},    {5, 49151}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_EQ(heightLevel(c.height, range), c.level);
    }
    // A flat grid maps to 0; the span of far-apart floats does not overflow.
    EXPECT_EQ(heightLevel(4, heightRange{4, 4, true}), 0);
    const heightRange wide{-3e38f, 3e38f, true};
    EXPECT_EQ(heightLevel(3e38f, wide), 65535);
    EXPECT_EQ(heightLevel(0, wide), 32768);
}

class HeightImage : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/hmapconv-image-XXXXXX";
        const int fd = ::mkstemp(name);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path = name;
    }
    void TearDown() override { ::unlink(path.c_str()); }
    std::string path;
};

TEST_F(HeightImage, PngHasOnePixelPerCellRowZeroOnTop) {
    const std::vector<std::vector<float>> grid = {{0, 1, 2}, {3, 4, 0}};
    outputFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(writePng(file, grid, findHeightRange(grid)), "");
    ASSERT_TRUE(file.close());
    const decodedPng image = readPng(path.c_str());
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.bitDepth, 16);
    EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_GRAY);
    const std::vector<std::uint16_t> expected = {0, 16384, 32768, 49151, 65535, 0};
    EXPECT_EQ(image.samples, expected);
}

TEST_F(HeightImage, PngOfAnEmptyGridIsRefused) {
    outputFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(writePng(file, {}, heightRange{}), "a PNG needs at least one pixel");
    EXPECT_EQ(writePng(file, {{}, {}}, heightRange{}), "a PNG needs at least one pixel");
}

TEST_F(HeightImage, RawIsLittleEndianRowAfterRow) {
    const std::vector<std::vector<float>> grid = {{0, 2}, {1, 0}};
    outputFile file;
    ASSERT_TRUE(file.open(path));
    writeRaw16(file, grid, findHeightRange(grid));
    ASSERT_TRUE(file.close());
    std::FILE* in = std::fopen(path.c_str(), "rb");
    unsigned char bytes[16] = {};
    const std::size_t size = std::fread(bytes, 1, sizeof bytes, in);
    std::fclose(in);
    ASSERT_EQ(size, 8u);
    const unsigned char expected[8] = {0, 0, 0xff, 0xff, 0x00, 0x80, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
}

}  // namespace
