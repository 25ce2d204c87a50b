// The page text checker: each bad input stops with its file:line message, and
// the intro's own pages.txt gives exactly the page strings the intro types.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/intro_data.h"
#include "page_text.h"

namespace {
std::string ParseError(const std::string& text) {
    std::vector<std::string> pages;
    std::string error;
    EXPECT_FALSE(ParsePages(text, "pages.txt", IntroCharset, &pages, &error)) << text;
    return error;
}

std::string Lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\n";
    return text;
}
}  // namespace

TEST(PageText, BadInputsStopWithFileAndLine) {
    EXPECT_EQ(ParseError("page\nHELLO\nWORLd\nend\n"),
              "pages.txt:3: character 5, 'd', is not in the font's character set "
              "(the font has upper-case letters only)");
    EXPECT_EQ(ParseError("page\n\xC3\x84\nend\n"),
              "pages.txt:2: character 1, byte 0xC3, is not in the font's character set "
              "(use letters, digits, space and ><*/\\,.'&-:+@!%)");
    // 20 lines fit (screen lines 2 to 21); the 21st does not.
    const std::string tooLow = "the page runs past its 20 lines (a line over 32 characters takes "
                               "more than one): shorten it or go on in a new page";
    EXPECT_EQ(ParseError("page\n" + Lines(20, "X") + "X\nend\n"), "pages.txt:22: " + tooLow);
    // Wrapped lines count: 9 lines of 40 characters take 18 screen lines, a
    // line of exactly 32 is followed by an empty one.
    EXPECT_EQ(ParseError("page\n" + Lines(9, std::string(40, 'W')) + std::string(32, 'E') + "\nX\nend\n"),
              "pages.txt:12: " + tooLow);
    EXPECT_EQ(ParseError("page\n" + Lines(19, "") + std::string(33, 'W') + "\nend\n"),
              "pages.txt:21: " + tooLow);
    EXPECT_EQ(ParseError("page\nHELLO\n"), "pages.txt:2: the page begun at line 1 has no \"end\" line");
    EXPECT_EQ(ParseError("page\nHELLO\npage\nend\n"),
              "pages.txt:3: a new page begins, but the page begun at line 1 has no \"end\" line");
    EXPECT_EQ(ParseError("; nothing\n\n"),
              "pages.txt:2: no pages: write at least one between a \"page\" and an \"end\" line");
    EXPECT_EQ(ParseError("HELLO\n"),
              "pages.txt:1: text outside a page: begin a page with a \"page\" line");
    EXPECT_EQ(ParseError("end\n"), "pages.txt:1: \"end\" without a \"page\" line before it");
}

TEST(PageText, IntroPagesAreTheTypedStrings) {
    std::ifstream input(PAGES_TEXT_PATH);
    ASSERT_TRUE(input) << PAGES_TEXT_PATH;
    std::ostringstream text;
    text << input.rdbuf();
    std::vector<std::string> pages;
    std::string error;
    ASSERT_TRUE(ParsePages(text.str(), PAGES_TEXT_PATH, IntroCharset, &pages, &error)) << error;
    // The strings the intro typed when its pages were written in C++.
    const std::vector<std::string> typed = {
        "HELLO!]]THIS IS A TINY WINDOWS INTRO.]IT TYPES TEXT IN AN 8X8 FONT,]"
        "ONE LETTER PER FRAME, DOUBLED]WITH HALF-BRIGHT LINES.]]THE MUSIC: A FOUR-VOICE SONG]"
        "ON OUR OWN REPLAYER + MIXER.]]]]]]]]PRESS ESC TO LEAVE.|",
        "NO FILES, NO SETTINGS:]]FONT, TEXT AND SONG ALL LIVE INSIDE THE EXE ITSELF]]]"
        "ALL CODE HERE IS HOME MADE AND WRAPS AT COLUMN 32!]]SOUND: 44100 HZ, 16 BIT STEREO.]"
        "]]]]]GREETINGS!|"};
    EXPECT_EQ(pages, typed);
    // The build's IntroPages, generated from the same file, are these strings.
    std::vector<std::string> built;
    for (const char* const* page = IntroPages; *page != nullptr; ++page) built.push_back(*page);
    EXPECT_EQ(built, typed);
    // The generated source spells backslashes and quotes as escapes.
    const std::string source = EmitPagesSource({"A\\B\"C|"}, "x.txt");
    EXPECT_NE(source.find("\"A\\\\B\\\"C|\""), std::string::npos) << source;
}
