// BuildContent on texts, as intro-pack and the maker call it: the example
// folder builds whatever the editor's byte order mark and line endings, its
// problems come back as data, at most twenty and a count of the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "authoring/content_build.h"
#include "data/content_pack.h"

namespace {

std::string ReadExample(const std::string& name) {
    std::ifstream in(std::string(EXAMPLE_CONTENT_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ContentTexts Example() {
    ContentTexts texts;
    texts.pages = {"pages.txt", ReadExample("pages.txt")};
    texts.font = {"font.txt", ReadExample("font.txt")};
    texts.song = {"song.fcs", ReadExample("song.fcs")};
    return texts;
}

// `text` with every line ending as `end` and the UTF-8 byte order mark first.
std::string Rewritten(const std::string& text, const std::string& end) {
    std::string out = "\xEF\xBB\xBF";
    for (const char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? end : std::string(1, c);
    }
    return out;
}

// A byte order mark was once refused in font.txt and song.fcs, and CR-only
// line endings read as one line.
TEST(ContentBuild, ByteOrderMarkAndLineEndingsBuildTheSamePack) {
    const ContentTexts plain = Example();
    BuiltContent expected;
    ASSERT_EQ(BuildContent(plain, &expected).size(), 0u);
    ASSERT_GT(expected.pack.size(), 0u);
    for (const char* end : {"\r\n", "\r"}) {
        ContentTexts texts = plain;
        for (SourceText* source : {&texts.pages, &texts.font, &texts.song})
            source->text = Rewritten(source->text, end);
        BuiltContent built;
        const std::vector<Problem> problems = BuildContent(texts, &built);
        EXPECT_EQ(problems.size(), 0u) << (problems.empty() ? "" : FormatProblem(problems[0], "test"));
        EXPECT_EQ(built.pack, expected.pack);
    }
}

TEST(ContentBuild, EveryFilesProblemsComeBackAsDataCappedAtTwenty) {
    ContentTexts texts = Example();
    texts.pages.text = "page\nhello\nend\n";
    texts.font.read = false;  // the caller could not read it and said so
    std::string song = texts.song.text;
    const int SongLines = static_cast<int>(std::count(song.begin(), song.end(), '\n'));
    for (int i = 0; i < 30; ++i) song += "bogus\n";  // two problems each in the sequence
    texts.song.text = song;
    BuiltContent built;
    const std::vector<Problem> problems = BuildContent(texts, &built);
    ASSERT_EQ(problems.size(), MaxProblemsKept + 1);
    EXPECT_EQ(problems[0].file, "pages.txt");
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_EQ(problems[0].column, 1);
    EXPECT_EQ(FormatProblem(problems[0], "intro-pack"),
              "pages.txt:2: character 1, 'h', is not in the font's character set "
              "(the font has upper-case letters only)");
    EXPECT_EQ(problems[1].file, "song.fcs");
    EXPECT_EQ(problems[1].line, SongLines + 1);
    EXPECT_EQ(FormatProblem(problems[20], "intro-pack"), "intro-pack: 41 more errors not shown");
    EXPECT_TRUE(built.pack.empty());
    EXPECT_EQ(ProblemsAsJson({Problem{"song.fcs", 3, 0, "bad"}, Problem{"", 0, 0, "a \"quoted\"\tword"}}, "maker"),
              "[{\"file\":\"song.fcs\",\"line\":3,\"column\":0,\"reason\":\"bad\",\"message\":\"song.fcs:3: bad\"},"
              "{\"file\":\"\",\"line\":0,\"column\":0,\"reason\":\"a \\\"quoted\\\"\\u0009word\","
              "\"message\":\"maker: a \\\"quoted\\\"\\u0009word\"}]");
}

TEST(ContentBuild, AModuleIsCheckedByTheCheckedLoader) {
    ContentTexts texts = Example();
    texts.songIsModule = true;
    texts.song = {"song.mod", "FC14 but nothing more"};
    BuiltContent built;
    const std::vector<Problem> problems = BuildContent(texts, &built);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "song.mod");
    EXPECT_EQ(problems[0].line, 0);
    EXPECT_TRUE(LooksLikePack(std::vector<uint8_t>(PackMagic, PackMagic + sizeof PackMagic)));
}

}  // namespace
