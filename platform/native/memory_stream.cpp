// In-memory implementation of the block stream seam (sound/block_stream.h).
#include "memory_stream.h"

MemoryStreamState memoryStream;

void SetMemoryStreamSink(BlockSink sink, void* context) {
    memoryStream.blockSink = sink;
    memoryStream.blockSinkContext = context;
}

void SetMemoryStreamOpenResult(int result) { memoryStream.openResult = result; }

int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount) {
    if (memoryStream.openResult != StreamOpened) return memoryStream.openResult;
    memoryStream.isOpen = 1;
    memoryStream.playing = 0;
    memoryStream.closeCount = 0;
    memoryStream.rate = rate;
    ConfigureRing(memoryStream.blocks.ring, fillCallback, framesPerBlock, blockCount);
    return StreamOpened;
}

int StartStream() {
    if (!memoryStream.isOpen) return 1;
    PrefillRing(memoryStream.blocks.ring);
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
    if (!memoryStream.isOpen || WriteRingBlock(memoryStream.blocks, frames) != 0) return 1;
    ++memoryStream.blocksWritten;
    if (memoryStream.blockSink) {
        const BlockRing& ring = memoryStream.blocks.ring;
        memoryStream.blockSink(memoryStream.blockSinkContext, ring.nextBlock, frames,
                               ring.framesPerBlock);
    }
    return 0;
}

int MemoryStreamRequestBlock() {
    if (!memoryStream.playing) return 1;
    FillNextBlock(memoryStream.blocks.ring);
    return 0;
}

void ResetStream() {
    memoryStream.isOpen = memoryStream.playing = memoryStream.closeCount = 0;
    memoryStream.rate = 0;
    memoryStream.blocksWritten = 0;
    memoryStream.blockSink = nullptr;
    memoryStream.blockSinkContext = nullptr;
    memoryStream.openResult = StreamOpened;
    ResetRing(memoryStream.blocks.ring);
}
