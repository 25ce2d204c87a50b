#pragma once
// The intro's loop, once for every front end: the first show, the frame steps
// up to a given time, activation, how long a front end may wait, and the end.
// A front end tells it what time it is (the clock of its IntroPlatform); the
// loop runs exactly the frame steps that the Windows program's polling loop
// would have run on an idle machine up to then, so a late or coarse caller
// (an animation frame, a late wake-up) catches up instead of falling behind,
// and every front end shows the same picture at the same moment. It alone
// runs the driver's phases and sets its startedUp and appActive flags; front
// ends ask through IntroStarted, IntroEnded and IntroActive.
#include <cstdint>

// MillisecondsUntilNextStep when no step can come (not begun, ended, inactive).
constexpr uint32_t NoStepPending = UINT32_MAX;
// A caller this far behind (a suspended machine, a clock that jumped) does not
// replay the steps it missed: the timeline goes on from its time, as after a
// reactivation, so one call never runs more than about a second of steps.
constexpr uint32_t MaxCatchUpMs = 1000;

// The window's first show: StartIntro (the music, the 600 ms wait), then the
// background fill with every cell marked. The first frame step comes when the
// wait is over: 600 ms after the start-up began, or when it returned if it
// blocked longer. Runs once; false when there is no picture (the music plays
// either way).
bool BeginIntro();
// Every frame step due up to `now`, each at the millisecond it would have
// acted. Nothing while inactive, before BeginIntro or after EndIntro.
void AdvanceIntro(uint32_t now);
// Activation. Going inactive at `now` first runs the steps due up to then;
// coming back, the first step acts at once (if its gate allows) and typing
// goes on where it stopped: the frozen time is not caught up. May come before
// BeginIntro: a front end whose window starts active says so first.
void SetIntroActive(bool active, uint32_t now);
// How long the front end may sleep before the next step is due (0: now).
uint32_t MillisecondsUntilNextStep(uint32_t now);
// The teardown (ShutdownIntro), once.
void EndIntro();

// What a front end may ask: whether the first show has run, whether the
// teardown has, and whether frame steps may run (the window is active).
bool IntroStarted();
bool IntroEnded();
bool IntroActive();

// Back to the process-start state, the driver's record (no objects, flags
// clear, tick 0, no platform hooks) and the loop's together. For tests and
// tools that run the intro more than once; display objects still held are
// not deleted (run EndIntro first).
void ResetIntro();
