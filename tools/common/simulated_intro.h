#pragma once
// The intro driver as the tools run it: on a simulated millisecond clock that
// starts at 0, with the start-up's wait passing at once, and with the frame
// step's blits landing in a draw target the size of the window's client area.
#include <cstdint>

#include "app/intro_driver.h"
#include "native_draw_target.h"

constexpr int ClientWidth = 528, ClientHeight = 365;  // 534x390 less frame and title bar

// Runs the start-up and the first show's closing steps. The music hooks run
// where the program starts and stops its music (null: silent). False when
// the display could not be set up.
bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)());
uint32_t SimulatedTick();
// Moves the clock on by `milliseconds` without calling the frame step.
void AdvanceSimulatedClock(uint32_t milliseconds);
// The message loop up to `tick`: the frame step is called in the current
// millisecond and once in every millisecond after it up to and including
// `tick`, as a loop that calls it whenever it is idle would. Nothing runs
// for a tick before the clock's time (inside the start-up's wait).
void RunSimulatedLoopUntil(uint32_t tick);
const DrawTarget& SimulatedClientArea();
void StopSimulatedIntro();
