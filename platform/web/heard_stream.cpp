// The block stream seam (sound/block_stream.h) over a ring in memory, played
// out by ReadHeardFrames.
#include "heard_stream.h"

#include <cstddef>
#include <cstring>

HeardStream heardStream;

int OpenStream(FillCallback fillCallback, int, int framesPerBlock, int blockCount) {
    ConfigureRing(heardStream.blocks.ring, fillCallback, framesPerBlock, blockCount);
    heardStream.playing = 0;
    heardStream.isOpen = 1;
    return StreamOpened;
}

// Pre-fills the whole ring on the caller's turn, then plays from block 0.
int StartStream() {
    if (!heardStream.isOpen) return 1;
    PrefillRing(heardStream.blocks.ring);
    heardStream.playBlock = heardStream.playFrame = 0;
    heardStream.playing = 1;
    return 0;
}

void PauseStream() { heardStream.playing = 0; }

void CloseStream() { heardStream.playing = heardStream.isOpen = 0; }

int WriteBlock(const StereoFrame* frames) {
    if (!heardStream.isOpen) return 1;
    return WriteRingBlock(heardStream.blocks, frames);
}

void ResetStream() {
    heardStream.isOpen = heardStream.playing = heardStream.playBlock = heardStream.playFrame = 0;
    ResetRing(heardStream.blocks.ring);
}

void ReadHeardFrames(StereoFrame* out, int count) {
    BlockRing& ring = heardStream.blocks.ring;
    for (int done = 0; done < count;) {
        if (!heardStream.playing) {
            std::memset(out + done, 0, sizeof(StereoFrame) * static_cast<size_t>(count - done));
            return;
        }
        int run = ring.framesPerBlock - heardStream.playFrame;
        if (run > count - done) run = count - done;
        std::memcpy(out + done, RingBlock(heardStream.blocks, heardStream.playBlock) + heardStream.playFrame,
                    sizeof(StereoFrame) * static_cast<size_t>(run));
        done += run;
        heardStream.playFrame += run;
        if (heardStream.playFrame >= ring.framesPerBlock) {
            const int played = heardStream.playBlock;
            heardStream.playFrame = 0;
            heardStream.playBlock = FollowingBlock(ring, played);
            if (played == ring.nextBlock) FillNextBlock(ring);
        }
    }
}
