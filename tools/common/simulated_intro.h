#pragma once
// The intro driver as the tools run it: through the intro's loop on a
// simulated millisecond clock that starts at 0, with the start-up's wait
// passing at once, and the frame steps' blits landing in a draw target the
// size of the window's client area.
#include <cstdint>

#include "app/intro_driver.h"
#include "native_draw_target.h"

// Runs the first show, of the content in use (app/intro_content.h), or of the
// built-in content when none was chosen. The music hooks run where the program starts and
// stops its music (null: silent). False when the display could not be set up.
bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)());
uint32_t SimulatedTick();
// The loop up to `tick`: every frame step due by then (the first at 600 ms,
// then one every 21 ms), and the clock set to `tick`. Nothing runs for a tick
// before the clock's time.
void RunSimulatedLoopUntil(uint32_t tick);
// The loop up to the moment the `steps`-th frame step acts.
void RunSimulatedSteps(uint32_t steps);
const DrawTarget& SimulatedClientArea();
void StopSimulatedIntro();
