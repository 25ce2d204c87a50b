#include "authoring/single_html.h"

#include <cctype>
#include <cstring>

const char* const WebPageFileNames[WebPageFileCount] = {"index.html", "intro-page.js",    "intro.js",
                                                        "intro.wasm", "intro-sound.wasm", "intro-worklet.js",
                                                        "font.pixels"};

int WebPageFileIndex(const char* name) {
    for (int i = 0; i < WebPageFileCount; ++i)
        if (std::strcmp(name, WebPageFileNames[i]) == 0) return i;
    return -1;
}

namespace {

constexpr char PageScriptElement[] = "<script src=\"intro-page.js\"></script>";
constexpr char ModuleScriptStart[] = "<script src=\"intro.js\"";
constexpr char ScriptEnd[] = "</script>";
// The files the page reads as blocks, in the order they are written.
constexpr WebPageFile DataFiles[] = {IntroWasm, SoundWasm, WorkletScript, FontPixels};
constexpr char PackName[] = "content.intro";
constexpr char ContentJson[] = "{\"pack\": \"content.intro\"}\n";

// Whether `text` at `at` reads `lower` (lower case) in any case.
bool ReadsAt(const std::string& text, size_t at, const char* lower) {
    for (size_t i = 0; lower[i] != '\0'; ++i)
        if (at + i >= text.size() || std::tolower(static_cast<unsigned char>(text[at + i])) != lower[i])
            return false;
    return true;
}

// Script text safe inside <script>...</script>: the HTML parser ends the
// element at any "</script" and changes state at "<!--", so both get a
// backslash, which leaves string, regular expression and comment text as it
// was (the two only occur there in minified code).
std::string InlineScript(const std::vector<uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    std::string out = "<script>\n";
    out.reserve(text.size() + 32);
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (ReadsAt(text, i, "</script") || ReadsAt(text, i, "<!--")) out += '\\';
    }
    if (!text.empty() && text.back() != '\n') out += '\n';
    return out + ScriptEnd;
}

std::string DataBlock(const std::string& name, const std::vector<uint8_t>& bytes) {
    return "<script type=\"application/octet-stream\" data-file=\"" + name + "\">" + Base64(bytes) +
           ScriptEnd + "\n";
}

}  // namespace

std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t word = uint32_t(bytes[i]) << 16 | (left > 1 ? uint32_t(bytes[i + 1]) << 8 : 0) |
                              (left > 2 ? bytes[i + 2] : 0);
        out += Alphabet[word >> 18 & 63];
        out += Alphabet[word >> 12 & 63];
        out += left > 1 ? Alphabet[word >> 6 & 63] : '=';
        out += left > 2 ? Alphabet[word & 63] : '=';
    }
    return out;
}

std::vector<Problem> WriteSingleHtml(const WebPageFiles& webFiles, const std::vector<uint8_t>& pack,
                                     std::string* html) {
    std::vector<Problem> problems;
    for (int i = 0; i < WebPageFileCount; ++i)
        if (webFiles[i].empty())
            problems.push_back(
                Problem{WebPageFileNames[i], 0, 0, "missing from the web version's files, or empty"});
    if (!problems.empty()) return problems;

    std::string page(webFiles[IndexHtml].begin(), webFiles[IndexHtml].end());
    const size_t pageAt = page.find(PageScriptElement);
    const size_t moduleAt = page.find(ModuleScriptStart);
    const size_t moduleEnd = moduleAt == std::string::npos ? moduleAt : page.find(ScriptEnd, moduleAt);
    if (pageAt == std::string::npos || moduleEnd == std::string::npos || moduleAt < pageAt)
        return {Problem{"index.html", 0, 0,
                        "lacks <script src=\"intro-page.js\"></script> followed by <script "
                        "src=\"intro.js\" ...></script>; give the web build's own index.html"}};

    // The module script first, as replacing it leaves the page script's place unchanged.
    page.replace(moduleAt, moduleEnd + sizeof ScriptEnd - 1 - moduleAt, InlineScript(webFiles[ModuleScript]));
    std::string blocks;
    for (WebPageFile file : DataFiles) blocks += DataBlock(WebPageFileNames[file], webFiles[file]);
    blocks +=
        DataBlock("content.json", std::vector<uint8_t>(ContentJson, ContentJson + sizeof ContentJson - 1));
    blocks += DataBlock(PackName, pack);
    page.replace(pageAt, sizeof PageScriptElement - 1, blocks + InlineScript(webFiles[PageScript]));
    *html = std::move(page);
    return {};
}
