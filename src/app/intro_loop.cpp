#include "app/intro_loop.h"

#include "app/intro_driver.h"

IntroLoop introLoop;

namespace {
// Wrap-aware order of two clock readings.
bool NotBefore(uint32_t tick, uint32_t reference) {
    return static_cast<int32_t>(tick - reference) >= 0;
}
uint32_t Later(uint32_t a, uint32_t b) { return NotBefore(a, b) ? a : b; }
uint32_t Clock() {
    return introDriver.platform.clock != nullptr ? introDriver.platform.clock() : 0;
}
}  // namespace

void ResetIntroLoop() { introLoop = IntroLoop{}; }

bool BeginIntro() {
    if (introLoop.begun) return introDriver.screen != nullptr;
    introLoop.begun = 1;
    const uint32_t began = Clock();
    introDriver.startedUp = 1;
    StartIntro();
    FinishFirstShow();
    introLoop.nextStepTick = Later(began + StartupWaitMs, Clock());
    return introDriver.screen != nullptr;
}

void AdvanceIntro(uint32_t now) {
    if (!introLoop.begun || introLoop.ended || !introDriver.appActive) return;
    if (NotBefore(now, introLoop.nextStepTick + MaxCatchUpMs)) introLoop.nextStepTick = now;
    while (NotBefore(now, introLoop.nextStepTick)) {
        StepIntroAt(introLoop.nextStepTick);
        // The polling loop's next acting call: the first millisecond past the
        // gate (also when the gate held this one back, as it does for a clock
        // within 20 ms of the counter's start).
        introLoop.nextStepTick = introDriver.lastStepTick + FrameInterval + 1;
    }
}

void SetIntroActive(bool active, uint32_t now) {
    const bool wasActive = introDriver.appActive != 0;
    if (wasActive && !active) AdvanceIntro(now);
    introDriver.appActive = active ? 1 : 0;
    if (!wasActive && active && introLoop.begun)
        introLoop.nextStepTick = Later(introLoop.nextStepTick, now);
}

uint32_t MillisecondsUntilNextStep(uint32_t now) {
    if (!introLoop.begun || introLoop.ended || !introDriver.appActive) return NoStepPending;
    return NotBefore(now, introLoop.nextStepTick) ? 0 : introLoop.nextStepTick - now;
}

void EndIntro() {
    if (introLoop.ended) return;
    introLoop.ended = 1;
    ShutdownIntro();
}
