// WriteSingleHtml on small stand-ins for the web folder's files.
#include <gtest/gtest.h>

#include "authoring/single_html.h"

namespace {

std::vector<uint8_t> Of(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

WebPageFiles StandIns() {
    WebPageFiles files;
    files[IndexHtml] =
        Of("<body>\n<script src=\"intro-page.js\"></script>\n"
           "<script src=\"intro.js\" onerror=\"missing()\"></script>\n</body>\n");
    files[PageScript] = Of("const a = '</SCRIPT><!-- b';");
    files[ModuleScript] = Of("Module();\n");
    files[IntroWasm] = {0, 'a', 's', 'm'};
    files[SoundWasm] = {0xfb, 0xff, 0xfe};
    files[WorkletScript] = Of("foobar");
    files[FontPixels] = {1, 2};
    return files;
}

std::string Block(const std::string& name, const std::string& base64) {
    return "<script type=\"application/octet-stream\" data-file=\"" + name + "\">" + base64 + "</script>\n";
}

TEST(SingleHtml, ScriptsGoInlineAndEveryOtherFileAsABase64BlockBeforeThem) {
    std::string html;
    ASSERT_TRUE(WriteSingleHtml(StandIns(), Of("PACK"), &html).empty());
    EXPECT_EQ(html, "<body>\n" + Block("intro.wasm", "AGFzbQ==") + Block("intro-sound.wasm", "+//+") +
                        Block("intro-worklet.js", "Zm9vYmFy") + Block("font.pixels", "AQI=") +
                        Block("content.json", "eyJwYWNrIjogImNvbnRlbnQuaW50cm8ifQo=") +
                        Block("content.intro", "UEFDSw==") +
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
