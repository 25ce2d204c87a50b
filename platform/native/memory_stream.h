#pragma once
// The native block stream: the sound path's block ring in memory, standing in
// for the sound device. Nothing plays by itself; whoever stands in for the
// streaming thread (a tool or a test) asks for blocks with
// MemoryStreamRequestBlock, and each block written is handed to an optional
// sink in order.
#include <cstdint>

#include "sound/block_ring.h"

// Receives every block as WriteBlock gets it, with the ring slot it went to.
using BlockSink = void (*)(void* context, int block, const StereoFrame* frames, int frameCount);

struct MemoryStreamState {
    int32_t isOpen;       // between a successful OpenStream and CloseStream
    int32_t playing;      // between StartStream and PauseStream/CloseStream
    int32_t closeCount;   // CloseStream calls since the last OpenStream, counted
                          // even when the stream was already closed
    int32_t rate;
    int64_t blocksWritten;
    BlockSink blockSink;
    void* blockSinkContext;
    int32_t openResult;   // what the next OpenStream returns
    StoredRing blocks;
};

extern MemoryStreamState memoryStream;

void SetMemoryStreamSink(BlockSink sink, void* context);

// Makes the next OpenStream fail with this code (0 = succeed), as a missing
// sound device would; for tests of the silent path.
void SetMemoryStreamOpenResult(int result);

// The streaming thread's turn: fills the next block and moves on. 0 when a
// block was filled, 1 when the stream is not playing.
int MemoryStreamRequestBlock();
