#include "simulated_intro.h"

namespace {
uint32_t simulatedTick = 0;
DrawTarget clientArea(ClientWidth, ClientHeight);

uint32_t Tick() { return simulatedTick; }
void Sleep(uint32_t milliseconds) { simulatedTick += milliseconds; }
DrawTarget* ClientDC(void*) { return &clientArea; }
void ReleaseClientDC(void*, DrawTarget*) {}
}  // namespace

bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)()) {
    simulatedTick = 0;
    clientArea = DrawTarget(ClientWidth, ClientHeight);
    clientArea.recordBlits = false;
    ResetIntroDriver();
    introDriver.platform = {Tick, Sleep, ClientDC, ReleaseClientDC, musicStart, musicStop};
    StartIntro();
    FinishFirstShow();
    return introDriver.screen != nullptr;
}

uint32_t SimulatedTick() { return simulatedTick; }

void AdvanceSimulatedClock(uint32_t milliseconds) { simulatedTick += milliseconds; }

void RunSimulatedLoopUntil(uint32_t tick) {
    // Before the clock's time the start-up is still waiting: no loop runs yet.
    if (static_cast<int32_t>(tick - simulatedTick) < 0) return;
    StepIntro();  // the loop's first call comes in the millisecond it starts
    while (static_cast<int32_t>(tick - simulatedTick) > 0) {
        ++simulatedTick;
        StepIntro();
    }
}

const DrawTarget& SimulatedClientArea() { return clientArea; }

void StopSimulatedIntro() { ShutdownIntro(); }
