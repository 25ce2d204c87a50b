// The font art parser and the BMP it becomes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "data/intro_data.h"
#include "authoring/font_art.h"

namespace {
std::string Block(char c, const std::string& row = "........") {
    std::string text = std::string("[") + c + "]\n";
    for (int i = 0; i < 8; ++i) text += row + "\n";
    return text;
}

std::string ParseError(const std::string& art, const char* charset = "AB") {
    FontImage image;
    const std::vector<Problem> problems = ParseFontArt(art, "art.txt", charset, &image);
    EXPECT_EQ(problems.size(), 1u) << art;
    return problems.empty() ? "" : FormatProblem(problems[0], "fontc");
}
}  // namespace

TEST(FontArt, ParsesBlocksIntoGlyphCells) {
    FontImage image;
    const std::string art = "; comment\n\n" + Block('A', "o#+.o#+.") + "\n" + Block('B', "#.......");
    ASSERT_EQ(ParseFontArt(art, "art.txt", "AB", &image).size(), 0u);
    EXPECT_EQ(image[0][0], 3);
    EXPECT_EQ(image[7][1], 1);
    EXPECT_EQ(image[3][2], 2);
    EXPECT_EQ(image[0][3], 0);
    EXPECT_EQ(image[5][8], 1);   // glyph 1 starts at x 8
    EXPECT_EQ(image[5][9], 0);
    EXPECT_EQ(image[8][0], 0);   // the second cell row stays background
}

TEST(FontArt, RejectsMalformedArtWithFileAndLine) {
    EXPECT_EQ(ParseError("A\n"), "art.txt:1: expected a glyph header like \"[A]\", found \"A\"");
    EXPECT_EQ(ParseError(Block('B')), "art.txt:1: expected glyph 'A' (number 0) here, found 'B'");
    EXPECT_EQ(ParseError("[A]\n.......\n"), "art.txt:2: glyph row has 7 symbols, expected 8");
    EXPECT_EQ(ParseError("[A]\n....X...\n"),
              "art.txt:2: unknown symbol 'X' in column 5 (use . # + o)");
    EXPECT_EQ(ParseError("[A]\n........\n\n"), "art.txt:3: glyph row has 0 symbols, expected 8");
    EXPECT_EQ(ParseError("[A]\n........\n"), "art.txt:2: glyph 'A' ends after 1 of 8 rows");
    EXPECT_EQ(ParseError(Block('A')),
              "art.txt:9: found 1 glyphs, the character set needs 2 (next: 'B')");
    EXPECT_EQ(ParseError(Block('A') + Block('B') + Block('C')),
              "art.txt:19: glyph 'C' is beyond the 2 characters of the set");
    EXPECT_NE(ParseError("", std::string(65, 'A').c_str()).find("more glyphs than the image"),
              std::string::npos);
}

// Messages once printed a line's control characters raw, and named line 0 of
// an empty file.
TEST(FontArt, MessagesEscapeControlCharactersAndNameNoLineOfAnEmptyFile) {
    EXPECT_EQ(ParseError("[A\x1B[2J]\n"),
              "art.txt:1: expected a glyph header like \"[A]\", found \"[A\\x1B[2J]\"");
    EXPECT_EQ(ParseError("[A]\n...\t....\n"), "art.txt:2: unknown symbol '\\x09' in column 4 (use . # + o)");
    EXPECT_EQ(ParseError(""), "art.txt: found 0 glyphs, the character set needs 2 (next: 'A')");
}

// Only the first problem of the art was reported; reading now goes on in
// step with the character set after a missing glyph or a short one.
TEST(FontArt, EveryProblemOfTheArtIsReportedNotOnlyTheFirst) {
    FontImage image;
    std::string rows;
    for (int i = 0; i < 7; ++i) rows += "........\n";
    const std::string art = "[A]\n....X...\n" + rows + Block('C') + "[D]\n.......\n[E]\n...?....\n" + rows;
    std::vector<std::string> messages;
    for (const Problem& problem : ParseFontArt(art, "art.txt", "ABCDE", &image))
        messages.push_back(FormatProblem(problem, "fontc"));
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0], "art.txt:2: unknown symbol 'X' in column 5 (use . # + o)");
    EXPECT_EQ(messages[1], "art.txt:10: expected glyph 'B' (number 1) here, found 'C'");
    EXPECT_EQ(messages[2], "art.txt:20: glyph row has 7 symbols, expected 8");
    EXPECT_EQ(messages[3], "art.txt:21: glyph row has 3 symbols, expected 8");
    EXPECT_EQ(messages[4], "art.txt:22: unknown symbol '?' in column 4 (use . # + o)");
}

TEST(FontArt, BmpHeaderAndBottomUpRows) {
    FontImage image{};
    image[0][0] = 1;
    image[0][1] = 2;
    image[15][254] = 3;
    const std::vector<uint8_t> bmp = BuildFontBmp(image);
    ASSERT_EQ(bmp.size(), 2166u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[10], 118);  // pixel data offset
    EXPECT_EQ(bmp[14], 40);   // BITMAPINFOHEADER
    EXPECT_EQ(bmp[18], 0);    // width 256 = 0x100
    EXPECT_EQ(bmp[19], 1);
    EXPECT_EQ(bmp[22], 16);   // height 16, positive: bottom-up
    EXPECT_EQ(bmp[28], 4);    // bits per pixel
    EXPECT_EQ(bmp[54 + 0], 71);  // palette 0: blue, green, red
    EXPECT_EQ(bmp[54 + 2], 19);
    EXPECT_EQ(bmp[54 + 4], 247);
    EXPECT_EQ(bmp[54 + 8], 127);
    EXPECT_EQ(bmp[54 + 12 + 2], 0);
    EXPECT_EQ(bmp[54 + 16 + 2], 0);  // entries 4-15 unused
    EXPECT_EQ(bmp[118 + 127], 0x30);          // first stored row is the bottom one
    EXPECT_EQ(bmp[118 + 15 * 128], 0x12);     // last stored row is the top one
}

TEST(FontArt, ShippedArtCoversTheCharacterSet) {
    std::ifstream input(FONT_ART_PATH);
    ASSERT_TRUE(input) << FONT_ART_PATH;
    std::ostringstream text;
    text << input.rdbuf();
    FontImage image;
    ASSERT_EQ(ParseFontArt(text.str(), FONT_ART_PATH, IntroCharset, &image).size(), 0u);
    // Space is blank, every other glyph has some body, cells 52-63 stay background.
    for (int n = 0; n < 64; ++n) {
        int body = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) body += image[(n / 32) * 8 + y][(n % 32) * 8 + x] == 1;
        if (n == 0 || n >= 52)
            EXPECT_EQ(body, 0) << n;
        else
            EXPECT_GT(body, 0) << n;
    }
}
