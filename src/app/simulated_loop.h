#pragma once
// The intro's loop on a simulated millisecond clock that starts at 0, for the
// programs that render the intro faster than it plays (intro-preview,
// intro-capture, the maker's song.wav and video): the start-up's 600 ms wait
// passes at once by moving the clock, and a call that moves the clock far
// still runs every frame step of the timeline, none skipped.
#include <cstdint>

#include "app/intro_driver.h"

// The first show of the content in use (app/intro_content.h) at tick 0, the
// window active. The frame steps' blits go to what `beginPresent` returns;
// the music hooks run where the program starts and stops its music (null:
// silent). False when the display could not be set up.
bool BeginSimulatedIntro(DrawTarget* (*beginPresent)(void*), void (*musicStart)(), void (*musicStop)());
uint32_t SimulatedTick();
// The loop up to `tick`: every frame step due by then (the first at 600 ms,
// then one every 21 ms), and the clock set to `tick`. Nothing runs for a tick
// before the clock's time.
void RunSimulatedLoopUntil(uint32_t tick);
// The loop up to the moment the `steps`-th frame step acts.
void RunSimulatedSteps(uint32_t steps);
// The intro's teardown, once.
void StopSimulatedIntro();
