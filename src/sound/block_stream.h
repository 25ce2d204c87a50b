#pragma once
// The block streamer seam: the mixer talks to the output only through these.
// platform/win32 implements them over DirectSound; platform/native over an
// in-memory ring that a tool or test drains block by block.
#include "sound/stereo_frame.h"

using FillCallback = void (*)();

// 0 when open; 100..130 for the failed step (131 is recorded only).
int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount,
               void* window);
int StartStream();   // 1 when not open, else 0; pre-fills every block first
void PauseStream();
void CloseStream();
int WriteBlock(const StereoFrame* frames);  // one block of framesPerBlock frames

// The window given to the output: GetForegroundWindow on Win32, none natively.
void* ForegroundWindow();
