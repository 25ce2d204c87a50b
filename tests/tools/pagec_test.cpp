// The page text checker: each bad input stops with its file:line message, and
// the intro's own pages.txt gives exactly the page strings the intro types.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/page_text.h"
#include "data/builtin_pack.h"
#include "data/content_pack.h"
#include "data/intro_data.h"

namespace {
std::string ParseError(const std::string& text) {
    std::vector<std::string> pages;
    const std::vector<Problem> problems = ParsePages(text, "pages.txt", IntroCharset, &pages);
    EXPECT_EQ(problems.size(), 1u) << text;
    return problems.empty() ? "" : FormatProblem(problems[0], "pagec");
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
    // Lines ended by CR alone are lines too.
    EXPECT_EQ(ParseError("page\rHELLO\rWORLd\rend\r"),
              "pages.txt:3: character 5, 'd', is not in the font's character set "
              "(the font has upper-case letters only)");
}

// Only the first problem of a file was reported; a page too long is named once.
TEST(PageText, EveryProblemOfTheFileIsReportedNotOnlyTheFirst) {
    std::vector<std::string> pages;
    const std::string text = "page\nHELLo\nend\nSTRAY\nMORE\npage\n" + Lines(22, "X") + "x\nend\nend\n";
    std::vector<std::string> messages;
    for (const Problem& problem : ParsePages(text, "pages.txt", IntroCharset, &pages))
        messages.push_back(FormatProblem(problem, "pagec"));
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].rfind("pages.txt:2: character 5, 'o',", 0), 0u);
    EXPECT_EQ(messages[1], "pages.txt:4: text outside a page: begin a page with a \"page\" line");
    EXPECT_EQ(messages[2].rfind("pages.txt:27: the page runs past its 20 lines", 0), 0u);
    EXPECT_EQ(messages[3].rfind("pages.txt:29: character 1, 'x',", 0), 0u);
    EXPECT_EQ(messages[4], "pages.txt:31: \"end\" without a \"page\" line before it");
}

// 65 pages once passed here and made packs every reader refused.
TEST(PageText, PagesPastWhatAPackHoldsAreRefusedWhereTheyAreRead) {
    const std::string page = "page\nA\nend\n";
    std::string text;
    for (int i = 0; i < MaxPackPages; ++i) text += page;
    std::vector<std::string> pages;
    EXPECT_EQ(ParsePages(text, "pages.txt", IntroCharset, &pages).size(), 0u);
    EXPECT_EQ(pages.size(), static_cast<size_t>(MaxPackPages));
    EXPECT_EQ(ParseError(text + page), "pages.txt:193: page 65: an intro holds at most 64 pages");
}

TEST(PageText, IntroPagesAreTheTypedStrings) {
    std::ifstream input(PAGES_TEXT_PATH);
    ASSERT_TRUE(input) << PAGES_TEXT_PATH;
    std::ostringstream text;
    text << input.rdbuf();
    std::vector<std::string> pages;
    ASSERT_EQ(ParsePages(text.str(), PAGES_TEXT_PATH, IntroCharset, &pages).size(), 0u);
    // The strings the intro typed when its pages were written in C++.
    const std::vector<std::string> typed = {
        "HELLO!]]THIS IS A TINY WINDOWS INTRO.]IT TYPES TEXT IN AN 8X8 FONT,]"
        "ONE LETTER PER FRAME, DOUBLED]WITH HALF-BRIGHT LINES.]]THE MUSIC: A FOUR-VOICE SONG]"
        "ON OUR OWN REPLAYER + MIXER.]]]]]]]]PRESS ESC TO LEAVE.|",
        "NO FILES, NO SETTINGS:]]FONT, TEXT AND SONG ALL LIVE INSIDE THE EXE ITSELF]]]"
        "ALL CODE HERE IS HOME MADE AND WRAPS AT COLUMN 32!]]SOUND: 44100 HZ, 16 BIT STEREO.]"
        "]]]]]GREETINGS!|"};
    EXPECT_EQ(pages, typed);
    // The built-in pack, packed from the same file, holds these strings.
    ContentPack pack;
    char reason[200] = "";
    ASSERT_EQ(ReadContentPack(BuiltInPack, BuiltInPackSize, FontInPack, &pack, reason, sizeof reason), PackOk)
        << reason;
    EXPECT_EQ(std::vector<std::string>(pack.pages, pack.pages + pack.pageCount), typed);
    // The generated source spells backslashes and quotes as escapes.
    const std::string source = EmitPagesSource({"A\\B\"C|"}, "x.txt");
    EXPECT_NE(source.find("\"A\\\\B\\\"C|\""), std::string::npos) << source;
}
