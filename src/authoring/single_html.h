#pragma once
// The web intro as one HTML file that plays when opened from disk: the web
// folder's index.html with its two scripts (intro-page.js, intro.js) written
// inline, and every other file the page loads carried as a base64 block
//   <script type="application/octet-stream" data-file="NAME">BASE64</script>
// which the page reads instead of fetching NAME: both WebAssembly modules, the
// worklet module, the font of the page's own lines, the content pack (as
// content.intro) and a content.json naming it.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

struct WebFile {
    std::string name;  // as in the web folder: "intro.wasm"
    std::vector<uint8_t> bytes;
};

// The web folder's files the single file is made of, all required.
extern const char* const SingleHtmlWebFiles[7];

// The page the intro's own content should stay within, in bytes.
constexpr uint64_t SingleHtmlBudget = 128 * 1024;

// Composes the page from `webFiles` (others than those listed are ignored)
// and the content pack `pack`. A missing file, or an index.html without the
// two script elements the web build writes, is a problem naming that file;
// `html` is then left untouched. The same inputs always give the same bytes.
std::vector<Problem> WriteSingleHtml(const std::vector<WebFile>& webFiles,
                                     const std::vector<uint8_t>& pack, std::string* html);

// The standard base64 alphabet with '=' padding.
std::string Base64(const std::vector<uint8_t>& bytes);
