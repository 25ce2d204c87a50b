#include <gtest/gtest.h>

#include <string>

#include "data/intro_data.h"
#include "display/typewriter.h"

namespace {
constexpr uint32_t Background = 0x00130047;

// A font whose every pixel names its own position, so the target shows which
// glyph cell was copied where.
uint32_t FontCode(int x, int y) { return 0x01000000u | static_cast<uint32_t>(y << 8 | x); }

class TypewriterTest : public ::testing::Test {
protected:
    TypewriterTest() : font(256, 16), canvas(264, 192), grid(33, 24) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 256; ++x) *font.PixelAt(x, y) = FontCode(x, y);
    }

    Typewriter Make(const char* const* pages) {
        return Typewriter(&font, &canvas, IntroCharset, pages, &grid, 8, 8);
    }

    // Font pixel (x, y) of the glyph cell drawn at canvas cell (column, line),
    // as {x, y}; {-1, -1} when the cell holds no glyph.
    std::pair<int, int> GlyphAt(int column, int line) {
        const uint32_t p = *canvas.PixelAt(column * 8, line * 8);
        if ((p & 0xFF000000u) == 0) return {-1, -1};
        return {static_cast<int>(p & 0xFF), static_cast<int>((p >> 8) & 0xFF)};
    }
    static std::pair<int, int> GlyphOf(char c) {
        const int n = static_cast<int>(std::string(IntroCharset).find(c));
        return {(n % 32) * 8, (n / 32) * 8};
    }
    int DirtyCount() {
        int count = 0;
        for (int i = 0; i < 33 * 24; ++i) count += grid.states[i] == CellDirty;
        return count;
    }
    void Steps(Typewriter& t, int count) {
        for (int i = 0; i < count; ++i) t.Step();
    }

    Surface font;
    Surface canvas;
    CellGrid grid;
};
}  // namespace

TEST_F(TypewriterTest, FirstStepClearsAndMarksSecondTypesFirstCharacter) {
    const char* pages[] = {"AB|", nullptr};
    Typewriter t = Make(pages);
    canvas.FillAll(1, 2, 3);
    t.Step();
    EXPECT_EQ(*canvas.PixelAt(0, 15), 0x00010203u);  // lines 0-1 are kept
    EXPECT_EQ(*canvas.PixelAt(0, 16), Background);   // column 0 is cleared, not marked
    EXPECT_EQ(*canvas.PixelAt(263, 191), Background);
    EXPECT_EQ(DirtyCount(), 32 * 22);
    EXPECT_EQ(grid.Get(0, 2), CellClean);
    EXPECT_EQ(grid.Get(1, 1), CellClean);
    EXPECT_EQ(t.nextPage, 1);

    grid.Fill(CellClean);
    t.Step();
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('A'));
    EXPECT_EQ(*canvas.PixelAt(8, 16), FontCode(8, 0));
    EXPECT_EQ(grid.Get(1, 2), CellDirty);
    EXPECT_EQ(DirtyCount(), 1);
    EXPECT_EQ(t.column, 2);
}

// A target at most ten glyph rows tall is cleared whole by a page start,
// lines 0-1 included; a taller one keeps them.
TEST_F(TypewriterTest, PageStartOnShortTargetClearsAllOfIt) {
    const char* pages[] = {"A|", nullptr};
    for (const int height : {80, 88}) {
        Surface target(264, height);
        target.FillAll(1, 2, 3);
        Typewriter t(&font, &target, IntroCharset, pages, &grid, 8, 8);
        t.Step();
        EXPECT_EQ(*target.PixelAt(5, 15), height == 80 ? Background : 0x00010203u) << height;
        EXPECT_EQ(*target.PixelAt(5, 16), Background) << height;
        EXPECT_EQ(*target.PixelAt(263, height - 1), Background) << height;
    }
}

TEST_F(TypewriterTest, LinesWrapAtColumn33AndBreakAfterFullLineLeavesEmptyLine) {
    const std::string full(32, 'X');
    const std::string page = full + "Y]Z|";  // 33rd character wraps, then a break
    const char* pages[] = {page.c_str(), nullptr};
    Typewriter t = Make(pages);
    Steps(t, 1 + 33);
    EXPECT_EQ(GlyphAt(32, 2), GlyphOf('X'));
    EXPECT_EQ(GlyphAt(1, 3), GlyphOf('Y'));
    Steps(t, 2);
    EXPECT_EQ(GlyphAt(1, 4), GlyphOf('Z'));

    const std::string exact = full + "]Z|";
    const char* exactPages[] = {exact.c_str(), nullptr};
    Typewriter u = Make(exactPages);
    canvas.FillAll(0, 0, 0);
    Steps(u, 1 + 32 + 2);
    EXPECT_EQ(GlyphAt(1, 3), std::make_pair(-1, -1));  // the line after the full one is empty
    EXPECT_EQ(GlyphAt(1, 4), GlyphOf('Z'));
}

TEST_F(TypewriterTest, LastLineWrapsToLineTwoWithoutClear) {
    // 22 line breaks bring the cursor from line 2 back to line 2.
    const std::string page = "A" + std::string(22, ']') + "B|";
    const char* pages[] = {page.c_str(), nullptr};
    Typewriter t = Make(pages);
    Steps(t, 2);
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('A'));
    Steps(t, 22);
    EXPECT_EQ(t.line, 2);
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('A'));  // nothing cleared
    t.Step();
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('B'));
}

TEST_F(TypewriterTest, HoldLasts250StepsThenNextPageStarts) {
    const char* pages[] = {"A|IGNORED", "B|", nullptr};
    Typewriter t = Make(pages);
    Steps(t, 3);  // start, "A", "|"
    EXPECT_EQ(t.wait, 250);
    grid.Fill(CellClean);
    Steps(t, 249);
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('A'));
    EXPECT_EQ(DirtyCount(), 0);
    t.Step();  // the 250th: clear and load page 1
    EXPECT_EQ(GlyphAt(1, 2), std::make_pair(-1, -1));
    EXPECT_EQ(DirtyCount(), 32 * 22);
    EXPECT_EQ(t.page, pages[1]);
    t.Step();
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('B'));
}

TEST_F(TypewriterTest, PagesCycleInOrder) {
    const char* pages[] = {"A|", "B|", nullptr};
    Typewriter t = Make(pages);
    std::string seen;
    for (int page = 0; page < 4; ++page) {
        Steps(t, 2);  // page start, first character
        seen += GlyphAt(1, 2) == GlyphOf('A') ? 'A' : GlyphAt(1, 2) == GlyphOf('B') ? 'B' : '?';
        Steps(t, 1 + 249);  // "|" and the hold
    }
    EXPECT_EQ(seen, "ABAB");
}

TEST_F(TypewriterTest, UnknownCharacterDrawsBlankGlyphAndAdvances) {
    const char* pages[] = {"a~B|", nullptr};
    Typewriter t = Make(pages);
    Steps(t, 4);
    EXPECT_EQ(GlyphAt(1, 2), std::make_pair(0, 0));
    EXPECT_EQ(GlyphAt(2, 2), std::make_pair(0, 0));
    EXPECT_EQ(GlyphAt(3, 2), GlyphOf('B'));
    EXPECT_EQ(grid.Get(2, 2), CellDirty);
}

TEST_F(TypewriterTest, PageWithoutEndRepeatsAtCursor) {
    const char* pages[] = {"AB", nullptr};
    Typewriter t = Make(pages);
    Steps(t, 1 + 4);
    EXPECT_EQ(GlyphAt(3, 2), GlyphOf('A'));
    EXPECT_EQ(GlyphAt(4, 2), GlyphOf('B'));
    EXPECT_EQ(t.wait, 0);
}

TEST_F(TypewriterTest, EmptyPageTableTypesStarsForeverAndWraps) {
    const char* pages[] = {nullptr};
    Typewriter t = Make(pages);
    Steps(t, 1 + 32 * 22 + 1);
    EXPECT_EQ(GlyphAt(1, 2), GlyphOf('*'));
    EXPECT_EQ(GlyphAt(32, 23), GlyphOf('*'));
    EXPECT_EQ(t.line, 2);
    EXPECT_EQ(t.column, 2);
}

TEST_F(TypewriterTest, GlyphPositionsInFont) {
    const char* pages[] = {"@% |", nullptr};
    Typewriter t = Make(pages);
    Steps(t, 4);
    EXPECT_EQ(GlyphAt(1, 2), std::make_pair(136, 8));
    EXPECT_EQ(GlyphAt(2, 2), std::make_pair(152, 8));
    EXPECT_EQ(GlyphAt(3, 2), std::make_pair(0, 0));
    EXPECT_EQ(*canvas.PixelAt(8 + 7, 16 + 7), FontCode(136 + 7, 8 + 7));
}

TEST_F(TypewriterTest, MissingTargetGridOrCellSizeDrawsNothingAndNeverFaults) {
    const char* pages[] = {"AB]C|", nullptr};
    Typewriter noTarget(&font, nullptr, IntroCharset, pages, &grid, 8, 8);
    Steps(noTarget, 300);
    Typewriter noGrid(&font, &canvas, IntroCharset, pages, nullptr, 8, 8);
    Steps(noGrid, 3);
    EXPECT_EQ(GlyphAt(2, 2), GlyphOf('B'));
    Typewriter zeroCell(&font, &canvas, IntroCharset, pages, &grid, 0, 0);
    Steps(zeroCell, 300);
    Typewriter noPages(&font, &canvas, IntroCharset, nullptr, &grid, 8, 8);
    Steps(noPages, 3);
    EXPECT_EQ(GlyphAt(2, 2), GlyphOf('*'));
}

TEST_F(TypewriterTest, EmptyPageNeverFetchesPastItsTerminator) {
    // The page is the empty string at the start of a larger block; anything
    // read past its zero would be typed as the characters that follow.
    static const char block[] = {'\0', 'X', 'Y', '|', '\0'};
    const char* pages[] = {block, nullptr};
    Typewriter t = Make(pages);
    Steps(t, 1 + 3);
    EXPECT_EQ(t.pagePos, 0);
    EXPECT_EQ(t.wait, 0);
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(GlyphAt(column, 2), std::make_pair(0, 0)) << "column " << column;
}
