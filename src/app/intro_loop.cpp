#include "app/intro_loop.h"

#include "app/intro_driver.h"

namespace {
// The loop's own state beside the driver's flags, which it alone sets.
struct LoopState {
    bool ended;
    uint32_t nextStepTick;  // when the polling loop's next acting step comes
} loop;

// Wrap-aware order of two clock readings.
bool NotBefore(uint32_t tick, uint32_t reference) {
    return static_cast<int32_t>(tick - reference) >= 0;
}
uint32_t Later(uint32_t a, uint32_t b) { return NotBefore(a, b) ? a : b; }
uint32_t Clock() {
    return introDriver.platform.clock != nullptr ? introDriver.platform.clock() : 0;
}
bool Stepping() { return IntroStarted() && !loop.ended && IntroActive(); }
}  // namespace

bool IntroStarted() { return introDriver.startedUp != 0; }
bool IntroEnded() { return loop.ended; }
bool IntroActive() { return introDriver.appActive != 0; }

void ResetIntro() {
    introDriver = IntroDriver{};
    loop = LoopState{};
}

bool BeginIntro() {
    if (IntroStarted()) return introDriver.screen != nullptr;
    introDriver.startedUp = 1;
    const uint32_t began = Clock();
    StartIntro();
    FinishFirstShow();
    loop.nextStepTick = Later(began + StartupWaitMs, Clock());
    return introDriver.screen != nullptr;
}

void AdvanceIntro(uint32_t now) {
    if (!Stepping()) return;
    if (NotBefore(now, loop.nextStepTick + MaxCatchUpMs)) loop.nextStepTick = now;
    while (NotBefore(now, loop.nextStepTick)) {
        StepIntroAt(loop.nextStepTick);
        // The polling loop's next acting call: the first millisecond past the
        // gate (also when the gate held this one back, as it does for a clock
        // within 20 ms of the counter's start).
        loop.nextStepTick = introDriver.lastStepTick + FrameInterval + 1;
    }
}

void SetIntroActive(bool active, uint32_t now) {
    const bool wasActive = IntroActive();
    if (wasActive && !active) AdvanceIntro(now);
    introDriver.appActive = active ? 1 : 0;
    if (!wasActive && active && IntroStarted()) loop.nextStepTick = Later(loop.nextStepTick, now);
}

uint32_t MillisecondsUntilNextStep(uint32_t now) {
    if (!Stepping()) return NoStepPending;
    return NotBefore(now, loop.nextStepTick) ? 0 : loop.nextStepTick - now;
}

void EndIntro() {
    if (loop.ended) return;
    loop.ended = true;
    ShutdownIntro();
}
