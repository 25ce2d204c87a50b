#pragma once
// The intro as the tools run it: the loop on a simulated clock
// (app/simulated_loop.h), with the frame steps' blits landing in a draw
// target the size of the window's client area.
#include <cstdint>

#include "app/simulated_loop.h"
#include "native_draw_target.h"

// Runs the first show, of the content in use (app/intro_content.h), or of the
// built-in content when none was chosen. The music hooks run where the program starts and
// stops its music (null: silent). False when the display could not be set up.
bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)());
const DrawTarget& SimulatedClientArea();
