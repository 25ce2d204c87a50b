#pragma once
// The ring of equal blocks that every stream plays, written once: the block
// count and size clamps, the pre-fill, which block the next fill writes, and
// (in a StoredRing) the blocks themselves for streams that hold them in
// memory. A backend only drains the ring or signals that a block was played;
// the DirectSound streamer keeps its blocks in the device's buffer and uses
// the bookkeeping alone.
#include <atomic>
#include <cstdint>

#include "sound/block_stream.h"

constexpr int MinRingBlocks = 2;
constexpr int MaxRingBlocks = 16;

int ClampBlockCount(int blockCount);

struct BlockRing {
    FillCallback fillCallback = nullptr;
    int32_t framesPerBlock = 0;  // ClampFramesPerBlock's range
    int32_t blockCount = 0;      // MinRingBlocks..MaxRingBlocks
    // The block the next fill writes. Moved on only by whoever fills (the
    // pre-fill, then the streaming side); atomic because a device thread may
    // read it at the same time.
    std::atomic<int32_t> nextBlock = 0;
};

// Sets the ring up for blocks of `framesPerBlock` frames, both sizes clamped.
void ConfigureRing(BlockRing& ring, FillCallback fillCallback, int framesPerBlock,
                   int blockCount);
// Fills every block in order from block 0 on the caller's thread; nextBlock
// is 0 again afterwards.
void PrefillRing(BlockRing& ring);
// Fills nextBlock and moves it on, back to 0 after the last block.
void FillNextBlock(BlockRing& ring);
// The block after `block`, wrapping.
int FollowingBlock(const BlockRing& ring, int block);
// Back to the unconfigured state.
void ResetRing(BlockRing& ring);

// A ring that holds its blocks: the memory stream, SDL's and the browser's.
struct StoredRing {
    BlockRing ring;
    StereoFrame blocks[MaxRingBlocks][MaxFramesPerBlock];
};

// Copies one block of framesPerBlock frames into the block the next fill
// writes. 1 when the ring is not configured or there are no frames.
int WriteRingBlock(StoredRing& stored, const StereoFrame* frames);
// Block `block` of the ring, clamped to the configured count.
const StereoFrame* RingBlock(const StoredRing& stored, int block);
