#pragma once
// The web intro as one HTML file that plays when opened from disk: the web
// folder's index.html with its two scripts (intro-page.js, intro.js) written
// inline, and every other file the page loads carried as a base64 block
//   <script type="application/octet-stream" data-file="NAME">BASE64</script>
// which the page reads instead of fetching NAME: both WebAssembly modules, the
// worklet module, the font of the page's own lines, the content pack (as
// content.intro) and a content.json naming it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

// The web folder's files the page is made of, all required, by their place
// in WebPageFileNames.
enum WebPageFile {
    IndexHtml,
    PageScript,
    ModuleScript,
    IntroWasm,
    SoundWasm,
    WorkletScript,
    FontPixels,
    WebPageFileCount
};
extern const char* const WebPageFileNames[WebPageFileCount];  // "index.html", "intro-page.js", ...
using WebPageFiles = std::array<std::vector<uint8_t>, WebPageFileCount>;

// The place of the web folder's file `name` ("intro.wasm"), -1 for one the page is not made of.
int WebPageFileIndex(const char* name);

// The page the intro's own content should stay within, in bytes.
constexpr uint64_t SingleHtmlBudget = 128 * 1024;

// Composes the page from `webFiles` and the content pack `pack`. A missing
// (empty) file, or an index.html without the two script elements the web
// build writes, is a problem naming that file; `html` is then left
// untouched. The same inputs always give the same bytes.
std::vector<Problem> WriteSingleHtml(const WebPageFiles& webFiles, const std::vector<uint8_t>& pack,
                                     std::string* html);

// The standard base64 alphabet with '=' padding.
std::string Base64(const std::vector<uint8_t>& bytes);
