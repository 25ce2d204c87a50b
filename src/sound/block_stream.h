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

// What OpenStream returns: 0 when open, else the step that failed. Every
// stream uses the same codes for the same steps (a device, its buffer, the
// wake-up signal, the thread); the device-specific ones are the DirectSound
// streamer's. StreamNotTimeCritical is recorded by the streamer only: the
// stream is open then.
enum StreamResult : int {
    StreamOpened = 0,
    StreamNoDevice = 100,
    StreamNoCooperation = 101,
    StreamNoPrimaryBuffer = 110,
    StreamNoFormat = 111,
    StreamNoBuffer = 120,
    StreamNoEvent = 121,
    StreamNoNotify = 122,
    StreamNoNotifyPositions = 123,
    StreamNoThread = 130,
    StreamNotTimeCritical = 131,
};
// A line saying what a result means, for front ends that report it.
const char* DescribeStreamResult(int result);

// The output opened for `fillCallback`, which renders each block and hands it
// to WriteBlock. A stream that needs a window for its device finds it itself.
int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount);
int StartStream();   // 1 when not open, else 0; pre-fills every block first
void PauseStream();  // nothing unless playing
void CloseStream();  // nothing unless open; the stream is closed afterwards
int WriteBlock(const StereoFrame* frames);  // one block of framesPerBlock frames

// Back to program-start state (closed, nothing recorded): for tests and tools,
// never while the stream is open.
void ResetStream();
