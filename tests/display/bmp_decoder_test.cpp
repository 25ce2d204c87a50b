// The native bitmap decoder on the font BMP that fontc writes and on
// malformed variants of it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "authoring/font_art.h"
#include "native_resources.h"

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

bool Decodes(const std::vector<uint8_t>& bmp) {
    int width = -1, height = -1;
    uint32_t* pixels = nullptr;
    const bool ok = DecodeBmp(bmp.data(), static_cast<uint32_t>(bmp.size()), &width, &height, &pixels);
    delete[] pixels;
    return ok;
}
}  // namespace

TEST(BmpDecoder, FourBitBottomUpBecomesTopDownColours) {
    const std::vector<uint8_t> bmp = SampleBmp();
    ASSERT_EQ(bmp.size(), 118u + 2048u);
    int width = 0, height = 0;
    uint32_t* pixels = nullptr;
    ASSERT_TRUE(DecodeBmp(bmp.data(), static_cast<uint32_t>(bmp.size()), &width, &height, &pixels));
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(pixels[0], 0x00F7F7F7u);
    EXPECT_EQ(pixels[1], 0x00130047u);
    EXPECT_EQ(pixels[8 * 256 + 136], 0x007F7F7Fu);
    EXPECT_EQ(pixels[15 * 256 + 255], 0x00000000u);
    EXPECT_EQ(pixels[15 * 256 + 254], 0x00130047u);
    delete[] pixels;
}

TEST(BmpDecoder, RejectsMalformedFiles) {
    const std::vector<uint8_t> good = SampleBmp();
    ASSERT_TRUE(Decodes(good));

    std::vector<uint8_t> bmp(good.begin(), good.begin() + 60);
    EXPECT_FALSE(Decodes(bmp)) << "truncated inside the header";
    bmp.assign(good.begin(), good.end() - 1000);
    EXPECT_FALSE(Decodes(bmp)) << "truncated pixel rows";

    bmp = good;
    bmp[0] = 'X';
    EXPECT_FALSE(Decodes(bmp)) << "wrong magic";

    bmp = good;
    bmp[28] = 3;
    EXPECT_FALSE(Decodes(bmp)) << "3 bits per pixel";

    bmp = good;
    Put32(bmp, 10, 0x7FFFFF00);
    EXPECT_FALSE(Decodes(bmp)) << "pixel offset past the end";

    bmp = good;
    Put32(bmp, 18, 100000);
    EXPECT_FALSE(Decodes(bmp)) << "oversize width";

    bmp = good;
    Put32(bmp, 22, 0x80000000u);
    EXPECT_FALSE(Decodes(bmp)) << "absurd height";

    EXPECT_FALSE(DecodeBmp(nullptr, 10, nullptr, nullptr, nullptr));
}

TEST(NativeResources, NullInstanceIsTheContentsFontAndOthersAreSearched) {
    const NativeResource* font = FindNativeResource(nullptr, 103);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(std::memcmp(font->bytes, "BM", 2), 0);
    EXPECT_EQ(FindNativeResource(nullptr, 104), nullptr);

    static const uint8_t bytes[] = {1, 2, 3};
    const NativeResource table[] = {{7, bytes, 3}, {0, nullptr, 0}};
    EXPECT_EQ(FindNativeResource(table, 7), &table[0]);
    EXPECT_EQ(FindNativeResource(table, 103), nullptr);
}
