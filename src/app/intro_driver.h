#pragma once
// The intro driver: owns every display object, runs the start-up, the gated
// frame step and the teardown. Its platform needs reach it through
// IntroPlatform, so the same code runs on Win32 and natively under a
// simulated clock.
#include <cstdint>
#include "display/cell_grid.h"
#include "display/surface.h"
#include "display/typewriter.h"
#include "app/intro_geometry.h"

// What the driver needs of the platform. Any hook may be null: no clock means
// no frame steps, no wait means the start-up does not block (whoever calls
// the frame step then holds it back until the wait would have ended).
struct IntroPlatform {
    uint32_t (*clock)();                    // milliseconds, unsigned, wrapping
    void (*wait)(uint32_t milliseconds);    // blocks the caller that long
    // Where one frame step's cell blits go, fetched once per acting step and
    // handed back after its last blit.
    DrawTarget* (*beginPresent)(void* window);
    void (*endPresent)(void* window, DrawTarget*);
    void (*musicStart)();  // InitAudio, LoadModule(the content's song), StartAudio
    void (*musicStop)();   // PauseAudio, ShutdownAudio
};

struct IntroDriver {
    Typewriter* typewriter;
    Surface* font;
    void* window;
    ResourceSource instance;  // the program's instance: where the font bitmap comes from
    Surface* screen;
    Surface* canvas;
    int32_t startedUp;  // the first show has run; set by the loop alone
    CellGrid* cellGrid;
    int32_t appActive;  // frame steps may run; set and cleared by the loop alone
    uint32_t lastStepTick;
    IntroPlatform platform;
};

extern IntroDriver introDriver;

// Makes canvas, screen, font, cell grid and typewriter, starts the music and
// waits 600 ms. Run on the window's first show, followed by FinishFirstShow.
void StartIntro();
// The rest of the first show: fills the whole canvas with the background and
// marks every cell dirty, so the first acting frame step presents it all.
void FinishFirstShow();
// The frame step: acts only when more than FrameInterval ms have passed since
// it last acted; then one typewriter step, and every dirty cell doubled onto
// the screen and blitted to the window.
void StepIntro();
// The frame step as if the clock read `tick`: for a loop that knows when the
// step would have run. StepIntro is StepIntroAt(clock()).
void StepIntroAt(uint32_t tick);
// Stops the music, then deletes the display objects.
void ShutdownIntro();
