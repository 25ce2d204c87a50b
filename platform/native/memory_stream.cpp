// In-memory implementation of the block stream seam (sound/block_stream.h).
#include "memory_stream.h"

#include <cstring>

MemoryStreamState memoryStream;

namespace {
int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }
}  // namespace

void SetMemoryStreamSink(BlockSink sink, void* context) {
    memoryStream.blockSink = sink;
    memoryStream.blockSinkContext = context;
}

void SetMemoryStreamOpenResult(int result) { memoryStream.openResult = result; }

int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount, void*) {
    if (memoryStream.openResult != 0) return memoryStream.openResult;
    memoryStream.isOpen = 1;
    memoryStream.playing = 0;
    memoryStream.closeCount = 0;
    memoryStream.fillCallback = fillCallback;
    memoryStream.rate = rate;
    memoryStream.blockCount = Clamp(blockCount, 2, MemoryStreamMaxBlocks);
    // WriteBlock copies this many frames from its caller: the mixer's block,
    // bounded by the same clamp.
    memoryStream.framesPerBlock = ClampFramesPerBlock(framesPerBlock);
    memoryStream.nextBlock = 0;
    return 0;
}

int StartStream() {
    if (!memoryStream.isOpen) return 1;
    memoryStream.nextBlock = 0;
    for (int i = 0; i < memoryStream.blockCount; ++i) {
        if (memoryStream.fillCallback) memoryStream.fillCallback();
        memoryStream.nextBlock = (memoryStream.nextBlock + 1) % memoryStream.blockCount;
    }
    memoryStream.playing = 1;
    return 0;
}

void PauseStream() { memoryStream.playing = 0; }

void CloseStream() {
    // Counted before the open test, so a second close is seen by the tests.
    ++memoryStream.closeCount;
    if (!memoryStream.isOpen) return;
    memoryStream.playing = 0;
    memoryStream.isOpen = 0;
}

int WriteBlock(const StereoFrame* frames) {
    if (!memoryStream.isOpen || !frames) return 1;
    const int block = Clamp(memoryStream.nextBlock, 0, memoryStream.blockCount - 1);
    std::memcpy(memoryStream.ring[block], frames,
                sizeof(StereoFrame) * static_cast<size_t>(memoryStream.framesPerBlock));
    ++memoryStream.blocksWritten;
    if (memoryStream.blockSink) {
        memoryStream.blockSink(memoryStream.blockSinkContext, block, frames,
                               memoryStream.framesPerBlock);
    }
    return 0;
}

int MemoryStreamRequestBlock() {
    if (!memoryStream.playing) return 1;
    if (memoryStream.fillCallback) memoryStream.fillCallback();
    memoryStream.nextBlock = (memoryStream.nextBlock + 1) % memoryStream.blockCount;
    return 0;
}

void* ForegroundWindow() { return nullptr; }

void ResetStream() { std::memset(&memoryStream, 0, sizeof memoryStream); }
