#include "simulated_intro.h"

#include <string>

#include "app/intro_content.h"
#include "app/intro_loop.h"
#include "app/tool_content.h"

namespace {
uint32_t simulatedTick = 0;
DrawTarget clientArea(ClientWidth, ClientHeight);

uint32_t Tick() { return simulatedTick; }
void Wait(uint32_t milliseconds) { simulatedTick += milliseconds; }
DrawTarget* ClientArea(void*) { return &clientArea; }
void EndPresent(void*, DrawTarget*) {}
}  // namespace

bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)()) {
    simulatedTick = 0;
    clientArea = DrawTarget(ClientWidth, ClientHeight);
    clientArea.recordBlits = false;
    ResetIntro();
    introDriver.platform = {Tick, Wait, ClientArea, EndPresent, musicStart, musicStop};
    SetIntroActive(true, simulatedTick);
    std::string error;
    if (IntroContent().pageCount == 0 && !UseToolContent("", &error)) return false;
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

const DrawTarget& SimulatedClientArea() { return clientArea; }

void StopSimulatedIntro() { EndIntro(); }
