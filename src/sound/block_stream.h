#pragma once
// The block streamer seam: the mixer talks to the output only through these.
// platform/win32 implements them over DirectSound; platform/native over an
// in-memory ring that a tool or test drains block by block.
#include "sound/stereo_frame.h"

// Called once per block to be filled; it renders the block and hands it to
// WriteBlock.
using FillCallback = void (*)();

// The largest block: the size of the mixer's block buffer.
constexpr int MaxFramesPerBlock = 16384;

// The one bound on the block size, used by the mixer and by every stream, so
// that both always agree on how many frames a block holds: at least one frame
// (a block of none would never move the song on), at most MaxFramesPerBlock.
constexpr int ClampFramesPerBlock(int framesPerBlock) {
    return framesPerBlock < 1 ? 1
                              : (framesPerBlock > MaxFramesPerBlock ? MaxFramesPerBlock
                                                                    : framesPerBlock);
}

// 0 when open; 100..130 for the failed step (131 is recorded only).
int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount,
               void* window);
int StartStream();   // 1 when not open, else 0; pre-fills every block first
void PauseStream();  // nothing unless playing
void CloseStream();  // nothing unless open; the stream is closed afterwards
int WriteBlock(const StereoFrame* frames);  // one block of framesPerBlock frames

// The window given to the output: GetForegroundWindow on Win32, none natively.
void* ForegroundWindow();

// Back to program-start state (closed, nothing recorded): for tests and tools,
// never while the stream is open.
void ResetStream();
