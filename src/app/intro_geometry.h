#pragma once
// The intro's geometry and timing, for the driver and every front end: what
// the canvas, the screen and the window measure, and when the picture moves.
#include <cstdint>

#include "data/resource_ids.h"

constexpr int CanvasWidth = 264, CanvasHeight = 192;  // 33 x 24 cells of 8 x 8
constexpr int ScreenWidth = 528, ScreenHeight = 384;  // the canvas doubled both ways
constexpr int GridColumns = 33, GridRows = 24;
constexpr int GlyphWidth = 8, GlyphHeight = 8;
constexpr int ScreenCellSide = 16;                    // a canvas cell on the screen

// The Windows window: fixed outer size, and the client area that the frame
// and the title bar leave of it (what the window shows of the screen).
constexpr int WindowWidth = 534, WindowHeight = 390;
constexpr int ClientWidth = 528, ClientHeight = 365;

constexpr int FontResourceId = INTRO_FONT_RESOURCE_ID;

// The frame step acts only when more than FrameInterval ms have passed since it
// last acted, so on an idle machine it acts every FrameInterval + 1 ms.
constexpr uint32_t FrameInterval = 20;
constexpr uint32_t StepPeriodMs = FrameInterval + 1;
constexpr uint32_t StartupWaitMs = 600;

// The reference timeline: how many frame steps have acted `ms` milliseconds
// after the start-up began (the wait, then one step every StepPeriodMs).
constexpr uint32_t StepsActedAt(uint32_t ms) {
    return ms < StartupWaitMs ? 0 : (ms - StartupWaitMs) / StepPeriodMs + 1;
}
