// The maker's live intro: the web front end's loop over the page's canvas,
// playing a content pack the page hands over. The page makes a new instance
// of this module for every restart, so each run starts from a clean state.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "web_canvas.h"

namespace {
struct PreviewState {
    double beginTime;   // performance.now() of the start, ms
    double advancedTo;  // the time the loop last ran up to, ms
    uint8_t* pack;      // the pack in use; it must outlive the intro
} preview;

uint32_t Milliseconds(double now) { return static_cast<uint32_t>(static_cast<uint64_t>(now)); }
uint32_t Clock() { return Milliseconds(emscripten_get_now()); }
DrawTarget* BeginPresent(void*) { return &pageCanvas; }
void EndPresent(void*, DrawTarget*) {}

// The music is the maker's worklet's, started by the page with the same pack.
void MusicStart() {}
void MusicStop() {}
}  // namespace

int main() {
    introDriver.platform = {Clock, nullptr, BeginPresent, EndPresent, MusicStart, MusicStop};
    SetIntroActive(true, Clock());
    return 0;
}

extern "C" {

// A block of `size` bytes for the pack, owned by the module from then on.
EMSCRIPTEN_KEEPALIVE uint8_t* PreviewPackBuffer(int size) {
    if (size <= 0 || preview.pack != nullptr) return nullptr;
    preview.pack = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    return preview.pack;
}

// Reads the pack written into the buffer; 0 when it is the content now.
EMSCRIPTEN_KEEPALIVE int PreviewUsePack(int size) {
    char reason[160];
    if (preview.pack == nullptr || size <= 0) return PackTruncated;
    return UseContentPack(preview.pack, static_cast<size_t>(size), FontInPack, reason, sizeof reason);
}

EMSCRIPTEN_KEEPALIVE void PreviewBegin(double now) {
    if (IntroStarted()) return;
    preview.beginTime = preview.advancedTo = now;
    introDriver.instance = IntroContentResources();
    BeginIntro();
}

EMSCRIPTEN_KEEPALIVE void PreviewFrame(double now) {
    if (!IntroStarted() || IntroEnded()) return;
    preview.advancedTo = now;
    AdvanceIntro(Milliseconds(now));
}

EMSCRIPTEN_KEEPALIVE void PreviewEnd() {
    if (IntroStarted() && !IntroEnded()) EndIntro();
}

// The page being held after its last character (-1 while typing), and the
// milliseconds since the start the loop has run up to.
EMSCRIPTEN_KEEPALIVE int PreviewHeldPage() {
    const Typewriter* typewriter = introDriver.typewriter;
    if (typewriter == nullptr || typewriter->wait <= 1) return -1;
    return typewriter->nextPage - 1;
}
EMSCRIPTEN_KEEPALIVE double PreviewClock() { return preview.advancedTo - preview.beginTime; }
}
