#include "sound/block_ring.h"

#include <cstring>

int ClampBlockCount(int blockCount) {
    if (blockCount < MinRingBlocks) return MinRingBlocks;
    if (blockCount > MaxRingBlocks) return MaxRingBlocks;
    return blockCount;
}

void ConfigureRing(BlockRing& ring, FillCallback fillCallback, int framesPerBlock,
                   int blockCount) {
    ring.fillCallback = fillCallback;
    // The mixer's clamp, so that each block holds exactly the frames the
    // mixer rendered; it also keeps the ring arithmetic defined.
    ring.framesPerBlock = ClampFramesPerBlock(framesPerBlock);
    ring.blockCount = ClampBlockCount(blockCount);
    ring.nextBlock = 0;
}

int FollowingBlock(const BlockRing& ring, int block) {
    const int next = block + 1;
    return next >= ring.blockCount || next < 0 ? 0 : next;
}

void FillNextBlock(BlockRing& ring) {
    if (ring.fillCallback != nullptr) ring.fillCallback();
    ring.nextBlock = FollowingBlock(ring, ring.nextBlock);
}

void PrefillRing(BlockRing& ring) {
    ring.nextBlock = 0;
    for (int i = 0; i < ring.blockCount; ++i) FillNextBlock(ring);
}

void ResetRing(BlockRing& ring) {
    ring.fillCallback = nullptr;
    ring.framesPerBlock = 0;
    ring.blockCount = 0;
    ring.nextBlock = 0;
}

namespace {
int ClampedBlock(const BlockRing& ring, int block) {
    const int last = ring.blockCount > 0 ? ring.blockCount - 1 : 0;
    return block < 0 ? 0 : (block > last ? last : block);
}
}  // namespace

const StereoFrame* RingBlock(const StoredRing& stored, int block) {
    return stored.blocks[ClampedBlock(stored.ring, block)];
}

int WriteRingBlock(StoredRing& stored, const StereoFrame* frames) {
    if (frames == nullptr || stored.ring.blockCount == 0) return 1;
    std::memcpy(stored.blocks[ClampedBlock(stored.ring, stored.ring.nextBlock)], frames,
                sizeof(StereoFrame) * static_cast<size_t>(stored.ring.framesPerBlock));
    return 0;
}
