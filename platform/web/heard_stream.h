#pragma once
// The block stream seam over a ring in this module's memory, played out by
// its caller instead of a device: the worklet's process() a render quantum at
// a time, or the maker's renders as fast as they go. When playback leaves a
// block, that block is refilled at once, as the streaming thread refills the
// DirectSound block just played.
#include <cstdint>

#include "sound/block_ring.h"

struct HeardStream {
    int32_t isOpen;
    int32_t playing;
    int32_t playBlock;  // the block being heard and the frame within it
    int32_t playFrame;
    StoredRing blocks;
};

extern HeardStream heardStream;

// The next `count` frames heard, into `out`; silence while not playing.
void ReadHeardFrames(StereoFrame* out, int count);
