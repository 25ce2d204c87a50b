#include "app/simulated_loop.h"

#include "app/intro_content.h"
#include "app/intro_geometry.h"
#include "app/intro_loop.h"

namespace {
uint32_t simulatedTick = 0;

uint32_t Tick() { return simulatedTick; }
void Wait(uint32_t milliseconds) { simulatedTick += milliseconds; }
void EndPresent(void*, DrawTarget*) {}
}  // namespace

bool BeginSimulatedIntro(DrawTarget* (*beginPresent)(void*), void (*musicStart)(), void (*musicStop)()) {
    simulatedTick = 0;
    ResetIntro();
    introDriver.platform = {Tick, Wait, beginPresent, EndPresent, musicStart, musicStop};
    SetIntroActive(true, simulatedTick);
    introDriver.instance = IntroContentResources();
    return BeginIntro();
}

uint32_t SimulatedTick() { return simulatedTick; }

void RunSimulatedLoopUntil(uint32_t tick) {
    if (static_cast<int32_t>(tick - simulatedTick) < 0) return;
    // In stretches the loop catches up in full: the simulated clock never
    // stalls, so every step of the timeline runs.
    while (tick - simulatedTick > MaxCatchUpMs / 2) {
        simulatedTick += MaxCatchUpMs / 2;
        AdvanceIntro(simulatedTick);
    }
    simulatedTick = tick;
    AdvanceIntro(tick);
}

void RunSimulatedSteps(uint32_t steps) {
    if (steps == 0) return;
    RunSimulatedLoopUntil(StartupWaitMs + (steps - 1) * StepPeriodMs);
}

void StopSimulatedIntro() { EndIntro(); }
