// The built-in pack's pages: only characters the font has, the intended
// shape, and every typed character inside the visible lines 2 to 21.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/builtin_pack.h"
#include "data/content_pack.h"
#include "data/intro_data.h"

namespace {
ContentPack BuiltIn() {
    ContentPack pack;
    char reason[200] = "";
    EXPECT_EQ(ReadContentPack(BuiltInPack, BuiltInPackSize, FontInPack, &pack, reason, sizeof reason), PackOk)
        << reason;
    return pack;
}

struct PageShape {
    int printable = 0;
    int lineBreaks = 0;
    int longLines = 0;  // lines that wrap
    int fiftyCharacterLines = 0;
    int lastLine = 0;   // the lowest line a character lands on, typed as the typewriter does
    bool endsWithPageEnd = false;
};

PageShape Measure(const char* page) {
    PageShape shape;
    int column = 1, line = 2, lineLength = 0;
    const size_t length = std::strlen(page);
    for (size_t i = 0; i < length; ++i) {
        const char c = page[i];
        if (c == '|') {
            shape.endsWithPageEnd = i + 1 == length;
            break;
        }
        if (c == ']') {
            ++shape.lineBreaks;
            shape.longLines += lineLength > 32;
            shape.fiftyCharacterLines += lineLength == 50;
            lineLength = 0;
            column = 1;
            ++line;
            continue;
        }
        ++shape.printable;
        ++lineLength;
        shape.lastLine = line;
        if (++column == 33) {
            column = 1;
            ++line;
        }
    }
    return shape;
}
}  // namespace

TEST(Pages, TwoPagesOfSetCharactersOnly) {
    const ContentPack pack = BuiltIn();
    ASSERT_EQ(pack.pageCount, 2);
    for (int p = 0; p < 2; ++p)
        for (const char* c = pack.pages[p]; *c != '\0'; ++c)
            EXPECT_TRUE(*c == ']' || *c == '|' || std::strchr(IntroCharset, *c) != nullptr)
                << "page " << p << " has '" << *c << "'";
}

TEST(Pages, ShapesFitTheVisibleLines) {
    const ContentPack pack = BuiltIn();
    ASSERT_EQ(pack.pageCount, 2);
    const PageShape first = Measure(pack.pages[0]);
    EXPECT_TRUE(first.endsWithPageEnd);
    EXPECT_EQ(first.lineBreaks, 16);
    EXPECT_NEAR(first.printable, 192, 12);
    EXPECT_EQ(first.longLines, 0);
    EXPECT_LE(first.lastLine, 21);

    const PageShape second = Measure(pack.pages[1]);
    EXPECT_TRUE(second.endsWithPageEnd);
    EXPECT_EQ(second.lineBreaks, 13);
    EXPECT_NEAR(second.printable, 170, 12);
    EXPECT_EQ(second.longLines, 2);
    EXPECT_EQ(second.fiftyCharacterLines, 2);
    EXPECT_LE(second.lastLine, 21);
}
