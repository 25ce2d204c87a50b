#pragma once
// The intro driver: owns every display object, runs the start-up, the gated
// frame step and the teardown. Its platform needs reach it through
// IntroPlatform, so the same code runs on Win32 and natively under a
// simulated clock.
#include <cstdint>
#include "display/cell_grid.h"
#include "display/surface.h"
#include "display/typewriter.h"

struct IntroPlatform {
    uint32_t (*tickCount)();                       // GetTickCount
    void (*sleep)(uint32_t milliseconds);          // Sleep
    DrawTarget* (*getDC)(void* window);            // GetDC
    void (*releaseDC)(void* window, DrawTarget*);  // ReleaseDC
    void (*musicStart)();  // InitAudio, LoadModule(ModuleImage), StartAudio
    void (*musicStop)();   // PauseAudio, ShutdownAudio
};

struct IntroDriver {
    Typewriter* typewriter;
    Surface* font;
    void* window;
    ModuleInstance instance;
    Surface* screen;
    Surface* canvas;
    int32_t startedUp;
    CellGrid* cells;
    int32_t appActive;
    uint32_t lastStepTick;
    IntroPlatform platform;
};

extern IntroDriver introDriver;

constexpr uint32_t FrameInterval = 20;
constexpr int FontResourceId = 103;

void StartIntro();     // start-up steps 1-7
void ShowIntroFirst(); // the window procedure's closing steps 8-9 of the first show
void StepIntro();
void ShutdownIntro();
// Back to the process-start state: no objects, flags clear, tick 0, no platform
// hooks. For tests and tools that run the driver more than once.
void ResetIntroDriver();
