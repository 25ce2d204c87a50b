#include <gtest/gtest.h>

#include "display/surface.h"
#include "app/intro_content.h"
#include "native_draw_target.h"

namespace {
constexpr uint32_t Background = 0x00130047;

uint32_t Pixel(Surface& s, int x, int y) { return *s.PixelAt(x, y); }

void Paint(Surface& s, uint32_t colour) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) *s.PixelAt(x, y) = colour;
}

bool RowIs(Surface& s, int y, uint32_t colour) {
    for (int x = 0; x < s.width; ++x)
        if (Pixel(s, x, y) != colour) return false;
    return true;
}
}  // namespace

TEST(Surface, BlankSurfaceHasRowTableAndZeroPixels) {
    Surface s(264, 192);
    ASSERT_TRUE(s.IsUsable());
    EXPECT_EQ(s.stride, 264 * 4);
    for (int y = 0; y < s.height; ++y) {
        EXPECT_EQ(s.rows[y], s.pixels + y * 264);
        EXPECT_TRUE(RowIs(s, y, 0));
    }
}

TEST(Surface, NonPositiveSizeGivesUnusableSurfaceThatIgnoresOperations) {
    Surface empty(0, 10);
    Surface target(16, 16);
    EXPECT_FALSE(empty.IsUsable());
    empty.FillAll(1, 2, 3);
    empty.FillFromRow(1, 2, 3, 0);
    empty.CopyRect(&target, 0, 0, 0, 0, 8, 8);
    target.CopyRect(&empty, 0, 0, 0, 0, 8, 8);
    empty.CopyCellDoubled(&target, 0, 0);
    EXPECT_TRUE(RowIs(target, 0, 0));
}

TEST(Surface, FillAllAndFillFromRow) {
    Surface s(264, 192);
    s.FillAll(19, 0, 71);
    for (int y = 0; y < 192; ++y) ASSERT_TRUE(RowIs(s, y, Background)) << y;

    Paint(s, 0);
    s.FillFromRow(19, 0, 71, 16);  // the page clear: rows 16 to the bottom
    for (int y = 0; y < 16; ++y) ASSERT_TRUE(RowIs(s, y, 0)) << y;
    for (int y = 16; y < 192; ++y) ASSERT_TRUE(RowIs(s, y, Background)) << y;

    Paint(s, 0);
    s.FillFromRow(19, 0, 71, 192);  // first row past the bottom: nothing
    for (int y = 0; y < 192; ++y) ASSERT_TRUE(RowIs(s, y, 0)) << y;

    s.FillFromRow(19, 0, 71, -5);  // negative first row starts at 0
    for (int y = 0; y < 192; ++y) ASSERT_TRUE(RowIs(s, y, Background)) << y;
}

TEST(Surface, FillKeepsLowEightBitsOfEachComponent) {
    Surface s(4, 4);
    s.FillAll(256 + 19, 512, 71 + 1024);
    EXPECT_EQ(Pixel(s, 3, 3), Background);
    s.FillAll(-1, 0, 0);
    EXPECT_EQ(Pixel(s, 0, 0), 0x00FF0000u);
}

TEST(Surface, CopyRectClipsAgainstTargetAndSource) {
    Surface source(256, 16);
    Paint(source, 0x00F7F7F7);
    Surface target(264, 192);

    source.CopyRect(&target, 260, 0, 0, 0, 8, 8);  // only 4 columns fit in the target
    for (int y = 0; y < 10; ++y)
        for (int x = 256; x < 264; ++x)
            EXPECT_EQ(Pixel(target, x, y), (x >= 260 && y < 8) ? 0x00F7F7F7u : 0u) << x << "," << y;

    Paint(target, 0);
    *source.PixelAt(255, 0) = 0x00ABCDEF;
    source.CopyRect(&target, 100, 100, 252, 0, 8, 8);  // only 4 columns exist in the source
    EXPECT_EQ(Pixel(target, 103, 100), 0x00ABCDEFu);
    EXPECT_EQ(Pixel(target, 104, 100), 0u);
    EXPECT_EQ(Pixel(target, 103, 107), 0x00F7F7F7u);
    EXPECT_EQ(Pixel(target, 103, 108), 0u);

    Paint(target, 0);
    source.CopyRect(&target, 0, 0, 0, 12, 8, 8);  // only 4 rows left in the source
    EXPECT_EQ(Pixel(target, 0, 3), 0x00F7F7F7u);
    EXPECT_EQ(Pixel(target, 0, 4), 0u);
}

TEST(Surface, CopyRectIsOpaqueAndCopiesNothingWhenClippedAway) {
    Surface source(8, 8);  // all black, including "background" pixels
    Surface target(16, 16);
    Paint(target, Background);
    source.CopyRect(&target, 4, 4, 0, 0, 8, 8);
    EXPECT_EQ(Pixel(target, 4, 4), 0u);
    EXPECT_EQ(Pixel(target, 11, 11), 0u);
    EXPECT_EQ(Pixel(target, 12, 12), Background);

    Paint(target, Background);
    source.CopyRect(&target, 16, 0, 0, 0, 8, 8);
    source.CopyRect(&target, 0, 0, 8, 0, 8, 8);
    source.CopyRect(&target, 0, 0, 0, 0, 0, 8);
    source.CopyRect(&target, 0, 0, 0, 0, 8, -3);
    source.CopyRect(&target, 2000000000, 2000000000, 0, 0, 2000000000, 2000000000);
    source.CopyRect(&target, -4, -4, 0, 0, 8, 8);  // negative positions are cut, not read
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Pixel(target, x, y), (x < 4 && y < 4) ? 0u : Background) << x << "," << y;
}

TEST(Surface, CopyCellDoubledHalvesOddRows) {
    Surface canvas(264, 192);
    Surface screen(528, 384);
    canvas.FillAll(19, 0, 71);
    *canvas.PixelAt(8 + 3, 8 + 5) = 0xFF7F7F7F;  // top byte is halved too
    canvas.CopyCellDoubled(&screen, 1, 1);
    for (int y = 16; y < 32; ++y) {
        for (int x = 16; x < 32; ++x) {
            const bool special = (x - 16) / 2 == 3 && (y - 16) / 2 == 5;
            const uint32_t even = special ? 0xFF7F7F7Fu : Background;
            const uint32_t odd = special ? 0x7F3F3F3Fu : 0x00090023u;
            ASSERT_EQ(Pixel(screen, x, y), (y % 2 == 0) ? even : odd) << x << "," << y;
        }
    }
    EXPECT_EQ(Pixel(screen, 15, 16), 0u);
    EXPECT_EQ(Pixel(screen, 32, 16), 0u);
    EXPECT_EQ(Pixel(screen, 16, 32), 0u);
}

TEST(Surface, CopyCellDoubledReachesLastCellAndIgnoresCellsOutside) {
    Surface canvas(264, 192);
    Surface screen(528, 384);
    canvas.FillAll(247, 247, 247);
    canvas.CopyCellDoubled(&screen, 32, 23);
    EXPECT_EQ(Pixel(screen, 527, 382), 0x00F7F7F7u);
    EXPECT_EQ(Pixel(screen, 527, 383), 0x007B7B7Bu);
    EXPECT_EQ(Pixel(screen, 511, 367), 0u);
    canvas.CopyCellDoubled(&screen, 33, 0);
    canvas.CopyCellDoubled(&screen, 0, 24);
    canvas.CopyCellDoubled(&screen, -1, 0);
    EXPECT_EQ(Pixel(screen, 0, 0), 0u);
    EXPECT_EQ(Pixel(screen, 527, 0), 0u);
}

TEST(Surface, BlitCellCopiesOneSixteenBlockClippedToSink) {
    Surface screen(528, 384);
    Paint(screen, 0x00112233);
    DrawTarget client(528, 365);
    screen.BlitCell(&client, 32, 22);  // rows 352-367: only 13 fit in the client
    ASSERT_EQ(client.blits.size(), 1u);
    EXPECT_EQ(client.blits[0].x, 512);
    EXPECT_EQ(client.blits[0].y, 352);
    EXPECT_EQ(client.blits[0].width, 16);
    EXPECT_EQ(client.Pixel(527, 364), 0x00112233u);
    EXPECT_EQ(client.Pixel(511, 364), 0u);
    EXPECT_EQ(client.Pixel(527, 351), 0u);
    screen.BlitCell(&client, 0, 23);  // entirely below the client: recorded, nothing drawn
    screen.BlitCell(nullptr, 0, 0);
    EXPECT_EQ(client.blits.size(), 2u);
}

TEST(Surface, FontSurfaceFromTheContentsResources) {
    Surface font(103, IntroContentResources());
    ASSERT_TRUE(font.IsUsable());
    EXPECT_EQ(font.width, 256);
    EXPECT_EQ(font.height, 16);
    EXPECT_EQ(font.stride, 1024);
    // Glyph 0 and cells 52-63 are plain background; every pixel is one of the
    // four palette colours.
    EXPECT_EQ(Pixel(font, 0, 0), Background);
    EXPECT_EQ(Pixel(font, 255, 15), Background);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint32_t p = Pixel(font, x, y);
            ASSERT_TRUE(p == Background || p == 0x00F7F7F7 || p == 0x007F7F7F || p == 0) << x;
        }
}

TEST(Surface, MissingResourceGivesUnusableSurface) {
    Surface missing(104, nullptr);
    EXPECT_FALSE(missing.IsUsable());
    EXPECT_EQ(missing.width, 0);
}
