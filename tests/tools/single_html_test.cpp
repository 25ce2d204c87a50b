// WriteSingleHtml on small stand-ins for the web folder's files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/single_html.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

WebPageFiles StandIns() {
    WebPageFiles files;
    files[IndexHtml] = Of("<body>\n<script src=\"intro-page.js\"></script>\n"
                          "<script src=\"intro.js\" onerror=\"missing()\"></script>\n</body>\n");
    files[PageScript] = Of("const a = '</SCRIPT><!-- b';");
    files[ModuleScript] = Of("Module();\n");
    files[IntroWasm] = {0, 'a', 's', 'm'};
    files[SoundWasm] = {0, 'a', 's', 'm', 1};
    files[WorkletScript] = Of("registerProcessor();");
    files[FontPixels] = {1, 2};
    return files;
}

TEST(SingleHtml, Base64IsTheStandardOne) {
    const char* const expected[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (size_t n = 0; n <= 6; ++n) EXPECT_EQ(Base64(Of(std::string("foobar", n))), expected[n]);
    EXPECT_EQ(Base64({0xfb, 0xff, 0xfe}), "+//+");
}

TEST(SingleHtml, ScriptsGoInlineAndEveryOtherFileAsABlockBeforeThem) {
    std::string html;
    ASSERT_TRUE(WriteSingleHtml(StandIns(), Of("PACK"), &html).empty());
    const auto block = [](const std::string& name, const std::string& base64) {
        return "<script type=\"application/octet-stream\" data-file=\"" + name + "\">" + base64 + "</script>\n";
    };
    EXPECT_EQ(html, "<body>\n" + block("intro.wasm", "AGFzbQ==") + block("intro-sound.wasm", "AGFzbQE=") +
                        block("intro-worklet.js", "cmVnaXN0ZXJQcm9jZXNzb3IoKTs=") + block("font.pixels", "AQI=") +
                        block("content.json", Base64(Of("{\"pack\": \"content.intro\"}\n"))) +
                        block("content.intro", "UEFDSw==") +
                        "<script>\nconst a = '<\\/SCRIPT><\\!-- b';\n</script>\n"
                        "<script>\nModule();\n</script>\n</body>\n");
}

TEST(SingleHtml, AMissingFileOrAForeignIndexIsNamedAndNothingWritten) {
    std::string html = "before";
    WebPageFiles files = StandIns();
    files[SoundWasm].clear();
    std::vector<Problem> problems = WriteSingleHtml(files, {}, &html);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "intro-sound.wasm");
    EXPECT_EQ(WebPageFileIndex("intro-sound.wasm"), SoundWasm);
    EXPECT_EQ(WebPageFileIndex("content.json"), -1);
    files = StandIns();
    files[IndexHtml] = Of("<script src=\"intro.js\"></script><script src=\"intro-page.js\"></script>");
    problems = WriteSingleHtml(files, {}, &html);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "index.html");
    EXPECT_EQ(html, "before");
}

}  // namespace
