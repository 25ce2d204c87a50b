// The intro on a web page: the intro's loop over the page's canvas, its clock
// and its sound worklet, and the entry points the page script calls
// (intro-page.js): the content pack, the start gesture, each animation
// frame, Escape and the page's visibility.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "app/message_line.h"
#include "data/builtin_pack.h"
#include "web_canvas.h"

namespace {
struct PageState {
    double beginTime;     // performance.now() of the start gesture, ms
    double advancedTo;    // the time the loop last ran up to, ms
    uint32_t actingSteps; // frame steps that acted (each begins one presentation)
    const uint8_t* pack;  // the content pack in use: BuiltInPack or `userPack`
    uint32_t packSize;
    uint8_t* userPack;    // the page's last accepted pack, kept for the page's life
    char reason[256];     // why the last pack was refused
} page;

// Unsigned milliseconds that wrap, as GetTickCount's do.
uint32_t Milliseconds(double now) { return static_cast<uint32_t>(static_cast<uint64_t>(now)); }
uint32_t Clock() { return Milliseconds(emscripten_get_now()); }
DrawTarget* BeginPresent(void*) {
    ++page.actingSteps;
    return &pageCanvas;
}
void EndPresent(void*, DrawTarget*) {}

EM_JS(void, PostMusic, (int start), { Module.introMusic(start ? "start" : "stop"); });
void MusicStart() { PostMusic(1); }
void MusicStop() { PostMusic(0); }
}  // namespace

int main() {
    page.pack = BuiltInPack;
    page.packSize = BuiltInPackSize;
    // intro-pack checked the built-in pack when the build made it.
    UseContentPack(BuiltInPack, BuiltInPackSize, FontInPack, page.reason, sizeof page.reason);
    // No wait hook: the browser must not block, and the loop holds the first
    // frame step back until the start-up's 600 ms are over.
    introDriver.platform = {Clock, nullptr, BeginPresent, EndPresent, MusicStart, MusicStop};
    SetIntroActive(true, Clock());
    ShowMessageLine(&pageCanvas, IntroContentResources(), "CLICK OR PRESS A KEY");
    return 0;
}

extern "C" {

// A content pack for the intro, before the start gesture: `bytes` is a
// malloc'ed block of `size` bytes the page filled, which this call takes.
// Accepted, it stays for the page's life and replaces the previous one;
// refused, it is freed, the content stays as it was, and WebContentReason()
// says why. Returns 0, the reader's PackStatus, or -1 once the intro has started.
EMSCRIPTEN_KEEPALIVE int WebUseContent(uint8_t* bytes, uint32_t size) {
    int status = -1;
    if (IntroStarted())
        std::snprintf(page.reason, sizeof page.reason, "the intro has started; reload the page first");
    else
        status = UseContentPack(bytes, size, FontInPack, page.reason, sizeof page.reason);
    if (status != PackOk) {
        std::free(bytes);
        return status;
    }
    std::free(page.userPack);
    page.userPack = bytes;
    page.pack = bytes;
    page.packSize = size;
    return PackOk;
}
EMSCRIPTEN_KEEPALIVE const char* WebContentReason() { return page.reason; }

// The pack in use, for the page to pass to the sound worklet.
EMSCRIPTEN_KEEPALIVE const uint8_t* WebContentBytes() { return page.pack; }
EMSCRIPTEN_KEEPALIVE uint32_t WebContentSize() { return page.packSize; }

// The start gesture: the window's first show.
EMSCRIPTEN_KEEPALIVE void WebBegin(double now) {
    if (IntroStarted()) return;
    page.beginTime = page.advancedTo = now;
    const ResourceSource resources = IntroContentResources();
    ShowMessageLine(&pageCanvas, resources, "");
    introDriver.instance = resources;
    BeginIntro();
}

// One animation frame: every frame step due by the frame's time, so the page
// types at the same rate whatever the screen's refresh rate.
EMSCRIPTEN_KEEPALIVE void WebFrame(double now) {
    if (!IntroStarted() || IntroEnded()) return;
    page.advancedTo = now;
    AdvanceIntro(Milliseconds(now));
}

// Escape: the window's teardown, then the closing line in place of the picture.
EMSCRIPTEN_KEEPALIVE void WebEnd() {
    if (!IntroStarted() || IntroEnded()) return;
    EndIntro();
    ShowMessageLine(&pageCanvas, IntroContentResources(), "THE END. RELOAD TO START AGAIN.");
}

// A hidden page freezes the picture as an inactive window does; the music plays on.
EMSCRIPTEN_KEEPALIVE void WebSetActive(int active) { SetIntroActive(active != 0, Clock()); }

// For the browser tests: acting steps so far, the milliseconds since the
// start gesture that the loop has run up to (the picture is the reference
// timeline's at that moment), and the page being held after its last
// character (-1 while typing).
EMSCRIPTEN_KEEPALIVE uint32_t WebActingSteps() { return page.actingSteps; }
EMSCRIPTEN_KEEPALIVE double WebClock() { return page.advancedTo - page.beginTime; }
EMSCRIPTEN_KEEPALIVE int WebHeldPage() {
    const Typewriter* typewriter = introDriver.typewriter;
    if (typewriter == nullptr || typewriter->wait <= 1) return -1;
    return typewriter->nextPage - 1;
}
}
