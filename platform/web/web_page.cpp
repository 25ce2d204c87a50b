// The intro on a web page: the driver's platform hooks over the page's canvas,
// its clock and its sound worklet, and the entry points the page script calls
// (intro-page.js): the start gesture, each animation frame, Escape and the
// page's visibility.
#include <emscripten.h>

#include <cstdint>

#include "app/intro_driver.h"
#include "message_line.h"
#include "web_canvas.h"

namespace {
struct PageState {
    double beginTime;       // performance.now() of the start gesture, ms
    double startupWaitEnd;  // frame steps begin here: the start-up's wait, without blocking
    uint32_t frameTick;     // the current animation frame's time as the driver's tick
    uint32_t actingSteps;   // frame steps that acted (each fetches the draw target once)
    double frameTime;       // the last animation frame's time, ms
    bool started;
    bool ended;
} page;

uint32_t FrameTick() { return page.frameTick; }
// The browser must not block: the wait becomes a time before which no frame
// step runs, so the picture holds just as it does during Sleep.
void StartupWait(uint32_t milliseconds) { page.startupWaitEnd = page.beginTime + milliseconds; }
DrawTarget* CanvasDC(void*) {
    ++page.actingSteps;
    return &pageCanvas;
}
void ReleaseCanvasDC(void*, DrawTarget*) {}

EM_JS(void, PostMusic, (int start), { Module.introMusic(start ? "start" : "stop"); });
void MusicStart() { PostMusic(1); }
void MusicStop() { PostMusic(0); }
}  // namespace

int main() {
    introDriver.platform = {FrameTick, StartupWait, CanvasDC, ReleaseCanvasDC, MusicStart, MusicStop};
    introDriver.appActive = 1;
    ShowMessageLine(&pageCanvas, "CLICK OR PRESS A KEY");
    return 0;
}

extern "C" {

// The start gesture: the first-show sequence of the window.
EMSCRIPTEN_KEEPALIVE void WebBegin(double now) {
    if (page.started) return;
    page.started = true;
    page.beginTime = now;
    ShowMessageLine(&pageCanvas, "");
    introDriver.startedUp = 1;
    StartIntro();
    FinishFirstShow();
}

// One animation frame: the driver's own gate decides whether the step acts,
// so a faster screen calls more often but types no faster.
EMSCRIPTEN_KEEPALIVE void WebFrame(double now) {
    page.frameTime = now;
    if (!page.started || page.ended || !introDriver.appActive || now < page.startupWaitEnd) return;
    // Unsigned milliseconds that wrap, as GetTickCount's do.
    page.frameTick = static_cast<uint32_t>(static_cast<uint64_t>(now));
    StepIntro();
}

// Escape: the window's teardown, then the closing line in place of the picture.
EMSCRIPTEN_KEEPALIVE void WebEnd() {
    if (!page.started || page.ended) return;
    page.ended = true;
    ShutdownIntro();
    ShowMessageLine(&pageCanvas, "THE END. RELOAD TO START AGAIN.");
}

// A hidden page freezes the picture as an inactive window does; the music plays on.
EMSCRIPTEN_KEEPALIVE void WebSetActive(int active) { introDriver.appActive = active ? 1 : 0; }

// For the browser tests: acting steps so far, and the page being held after
// its last character (-1 while typing).
EMSCRIPTEN_KEEPALIVE uint32_t WebActingSteps() { return page.actingSteps; }
// Milliseconds since the start gesture up to which the driver has advanced.
EMSCRIPTEN_KEEPALIVE double WebClock() {
    return page.started && page.frameTime > page.beginTime ? page.frameTime - page.beginTime : 0;
}
EMSCRIPTEN_KEEPALIVE int WebHeldPage() {
    const Typewriter* typewriter = introDriver.typewriter;
    if (typewriter == nullptr || typewriter->wait <= 1) return -1;
    return typewriter->nextPage - 1;
}
}
