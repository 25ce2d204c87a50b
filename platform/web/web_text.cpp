// The typed text for assistive technology: after each animation frame the
// page script (intro-page.js) asks whether the typewriter has typed on, and
// then gets the current page's characters typed so far, straight from the
// page table, with the line breaks (']') and the page end ('|') as typed.
#include <emscripten.h>

#include <cstdint>

#include "app/intro_driver.h"

namespace {
const char* reportedPage = nullptr;
int32_t reportedLength = 0;

// The page text holds only the font's characters (ASCII): a byte is a character.
EM_JS(void, PostTypedText, (const char* text, int length, int newPage), {
    Module.introTyped(String.fromCharCode.apply(null, HEAPU8.subarray(text, text + length)),
                      newPage !== 0);
});
}  // namespace

extern "C" {

// Hands the page the typed text when it changed since the last call; a page
// begun again (the next one, or the same one when it is the only page) is
// reported as new, so the page script starts its text over.
EMSCRIPTEN_KEEPALIVE void WebReportTyped() {
    const Typewriter* typewriter = introDriver.typewriter;
    if (typewriter == nullptr || typewriter->page == nullptr) return;
    const char* page = typewriter->page;
    const int32_t length = typewriter->pagePos;
    if (page == reportedPage && length == reportedLength) return;
    const bool newPage = page != reportedPage || length < reportedLength;
    reportedPage = page;
    reportedLength = length;
    PostTypedText(page, length, newPage ? 1 : 0);
}
}
