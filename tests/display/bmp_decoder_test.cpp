// The core's BMP decoder on the font BMP that fontc writes, on the other
// depths and row orders, and on headers that claim more than the file holds;
// and the memory platforms' bitmap resource tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "authoring/font_art.h"
#include "display/bmp_decoder.h"
#include "display/memory_backing.h"
#include "display/surface.h"

namespace {
std::vector<uint8_t> SampleBmp() {
    FontImage image{};
    image[0][0] = 1;    // top-left: body
    image[15][255] = 3; // bottom-right: outline
    image[8][136] = 2;  // where "@" starts: shading
    return BuildFontBmp(image);
}

void Put32(std::vector<uint8_t>& bmp, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = (value >> (8 * i)) & 255;
}

// A BMP with a 40-byte info header, `colours` palette entries (blue, green,
// red from the entry's number) and the stored rows as given.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, int bits, uint32_t colours,
                             const std::vector<uint8_t>& rows) {
    // Sized whole at once: GCC 12 at -O3 warns falsely (-Warray-bounds) on an
    // insert at the end of the header.
    const size_t headerBytes = 54 + 4 * size_t{colours};
    std::vector<uint8_t> bmp(headerBytes + rows.size(), 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 10, static_cast<uint32_t>(headerBytes));
    Put32(bmp, 14, 40);
    Put32(bmp, 18, static_cast<uint32_t>(width));
    Put32(bmp, 22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = static_cast<uint8_t>(bits);
    Put32(bmp, 46, colours);
    for (uint32_t i = 0; i < colours; ++i) Put32(bmp, 54 + 4 * i, 0x00102030u * (i + 1));
    std::copy(rows.begin(), rows.end(), bmp.begin() + static_cast<std::ptrdiff_t>(headerBytes));
    return bmp;
}

std::string Refusal(const std::vector<uint8_t>& bmp) {
    BmpLayout layout{};
    char reason[160] = "";
    if (CheckBmp(bmp.data(), static_cast<uint32_t>(bmp.size()), &layout, reason, sizeof reason))
        return "accepted";
    return reason;
}

std::vector<uint32_t> Decode(const std::vector<uint8_t>& bmp, int* width, int* height) {
    uint32_t* pixels = nullptr;
    if (!DecodeBmp(bmp.data(), static_cast<uint32_t>(bmp.size()), width, height, &pixels)) return {};
    std::vector<uint32_t> out(pixels, pixels + static_cast<size_t>(*width) * *height);
    delete[] pixels;
    return out;
}
}  // namespace

TEST(BmpDecoder, FourBitBottomUpBecomesTopDownColours) {
    const std::vector<uint8_t> bmp = SampleBmp();
    ASSERT_EQ(bmp.size(), 118u + 2048u);
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = Decode(bmp, &width, &height);
    ASSERT_EQ(pixels.size(), 256u * 16u);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(pixels[0], 0x00F7F7F7u);
    EXPECT_EQ(pixels[1], 0x00130047u);
    EXPECT_EQ(pixels[8 * 256 + 136], 0x007F7F7Fu);
    EXPECT_EQ(pixels[15 * 256 + 255], 0x00000000u);
    EXPECT_EQ(pixels[15 * 256 + 254], 0x00130047u);
}

TEST(BmpDecoder, OtherDepthsAndTopDownRows) {
    int width = 0, height = 0;
    // 1 bit, 3 x 2 top-down: rows padded to 4 bytes, leftmost pixel in the high bit.
    std::vector<uint32_t> pixels = Decode(MakeBmp(3, -2, 1, 2, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}), &width, &height);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0x204060, 0x102030, 0x204060,
                                             0x102030, 0x204060, 0x102030}));
    // 8 bits with a short palette: an index past it reads black.
    pixels = Decode(MakeBmp(2, 1, 8, 2, {1, 7, 0, 0}), &width, &height);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0x204060, 0}));
    // 24 bits, bottom-up: blue, green, red bytes, no palette.
    pixels = Decode(MakeBmp(1, 2, 24, 0, {3, 2, 1, 0, 6, 5, 4, 0}), &width, &height);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0x040506, 0x010203}));
    // 32 bits: the fourth byte is dropped.
    pixels = Decode(MakeBmp(1, 1, 32, 0, {3, 2, 1, 0xFF}), &width, &height);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0x010203}));
}

// Every size in the header is checked against the byte count before any
// allocation, and the refusal says what is wrong.
TEST(BmpDecoder, RefusesHeadersThatClaimMoreThanTheFileHolds) {
    const std::vector<uint8_t> good = SampleBmp();
    EXPECT_EQ(Refusal(good), "accepted");

    EXPECT_EQ(Refusal({good.begin(), good.begin() + 53}), "53 bytes, too short for a BMP header (54)");
    EXPECT_EQ(Refusal({good.begin(), good.end() - 1000}),
              "16 rows of 128 bytes from offset 118 need 2166 bytes, the file has 1166");

    std::vector<uint8_t> bmp = good;
    bmp[0] = 'X';
    EXPECT_EQ(Refusal(bmp), "not a BMP file (it does not start with \"BM\")");
    bmp = good;
    bmp[28] = 3;
    EXPECT_EQ(Refusal(bmp), "3 bits per pixel; only 1, 4, 8, 24 and 32 are read");
    bmp = good;
    bmp[30] = 2;
    EXPECT_EQ(Refusal(bmp), "compression 2; only uncompressed bitmaps are read");
    bmp = good;
    Put32(bmp, 14, 0x7FFFFFFF);
    EXPECT_EQ(Refusal(bmp), "an info header of 2147483647 bytes in a file of 2166");
    bmp = good;
    Put32(bmp, 10, 0x7FFFFF00);
    EXPECT_NE(Refusal(bmp).find("from offset 2147483392 need"), std::string::npos);
    bmp = good;
    Put32(bmp, 10, 100);
    EXPECT_EQ(Refusal(bmp), "pixel data at offset 100, inside the headers and palette (118 bytes)");
    bmp = good;
    Put32(bmp, 46, 17);
    EXPECT_EQ(Refusal(bmp), "a palette of 17 colours; 4 bits per pixel use at most 16");

    EXPECT_EQ(Refusal(MakeBmp(1, INT32_MIN, 8, 256, {})), "1 x 2147483648 pixels; each side must be from 1 to 4096");
    EXPECT_EQ(Refusal(MakeBmp(30000, 30000, 8, 256, std::vector<uint8_t>(4096))),
              "30000 x 30000 pixels; each side must be from 1 to 4096");
    EXPECT_EQ(Refusal(MakeBmp(4097, 1, 24, 0, {})), "4097 x 1 pixels; each side must be from 1 to 4096");
    EXPECT_EQ(Refusal(MakeBmp(0, 1, 24, 0, {})), "0 x 1 pixels; each side must be from 1 to 4096");

    int width = -1, height = -1;
    uint32_t* pixels = nullptr;
    EXPECT_FALSE(DecodeBmp(nullptr, 10, &width, &height, &pixels));
    EXPECT_EQ(width, -1);
    EXPECT_EQ(pixels, nullptr);
}

TEST(BitmapResources, TablesAreSearchedAndANullSourceHoldsNone) {
    const std::vector<uint8_t> bmp = SampleBmp();
    const BitmapResource table[] = {{7, bmp.data(), 3}, {103, bmp.data(), static_cast<uint32_t>(bmp.size())},
                                    {0, nullptr, 0}};
    ResourceSource source = const_cast<BitmapResource*>(table);
    EXPECT_EQ(FindBitmapResource(source, 103), &table[1]);
    EXPECT_EQ(FindBitmapResource(source, 104), nullptr);
    EXPECT_EQ(FindBitmapResource(nullptr, 103), nullptr);

    Surface font(103, source);
    EXPECT_TRUE(font.IsUsable());
    EXPECT_EQ(*font.PixelAt(0, 0), 0x00F7F7F7u);
    Surface undecodable(7, source);
    EXPECT_FALSE(undecodable.IsUsable());
}
