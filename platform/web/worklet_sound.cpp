// The intro's sound path inside the page's AudioWorklet: the block stream
// seam over a ring in this module's memory, played out by the worklet's
// process() a render quantum at a time. When playback leaves a block, that
// block is refilled at once, on the audio rendering thread, as the streaming
// thread refills the DirectSound block just played; so nothing on the page's
// main thread can hold the music up. The song is the content pack's that the
// page passes in before the start (SoundPackStore, SoundUsePack).
#include <emscripten.h>

#include <cstddef>

#include "app/intro_content.h"
#include "app/intro_music.h"
#include "sound/block_ring.h"

namespace {
constexpr int MaxQuantumFrames = 1024;  // a render quantum is 128 frames

struct WorkletStream {
    int32_t isOpen;
    int32_t playing;
    int32_t playBlock;  // the block being played and the frame within it
    int32_t playFrame;
    StoredRing blocks;
} stream;

// One quantum as the worklet's outputs take it: all left samples, then all right.
float quantum[2 * MaxQuantumFrames];

// The pack whose song the intro plays, as large as a pack may be: the module
// has no allocator, and the song is read from here at each start.
uint8_t packStore[MaxPackBytes];

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }
}  // namespace

int OpenStream(FillCallback fillCallback, int, int framesPerBlock, int blockCount) {
    ConfigureRing(stream.blocks.ring, fillCallback, framesPerBlock, blockCount);
    stream.playing = 0;
    stream.isOpen = 1;
    return StreamOpened;
}

// Pre-fills the whole ring on the caller's turn, then plays from block 0.
int StartStream() {
    if (!stream.isOpen) return 1;
    PrefillRing(stream.blocks.ring);
    stream.playBlock = stream.playFrame = 0;
    stream.playing = 1;
    return 0;
}

void PauseStream() { stream.playing = 0; }

void CloseStream() {
    stream.playing = 0;
    stream.isOpen = 0;
}

int WriteBlock(const StereoFrame* frames) {
    if (!stream.isOpen) return 1;
    return WriteRingBlock(stream.blocks, frames);
}

void ResetStream() {
    stream.isOpen = stream.playing = stream.playBlock = stream.playFrame = 0;
    ResetRing(stream.blocks.ring);
}

extern "C" {

// Where the page writes a pack, and how many bytes fit there.
EMSCRIPTEN_KEEPALIVE uint8_t* SoundPackStore() { return packStore; }
EMSCRIPTEN_KEEPALIVE uint32_t SoundPackCapacity() { return MaxPackBytes; }

// The `size` bytes written at SoundPackStore() become the content whose song
// the next start plays: 0, or the reader's PackStatus with the content as it
// was. The page sends only a pack its main module accepted through the checked
// reader (song included); here its layout and checksum are checked again and
// the song is trusted, so this module links no message formatting. Between a start and its stop the playing song is not affected (the
// replayer copied it), but the page sends its pack before the start.
EMSCRIPTEN_KEEPALIVE int SoundUsePack(uint32_t size) {
    if (size > MaxPackBytes) return PackTooLarge;
    return UseEmbeddedContentPack(packStore, size, FontInPack);
}

EMSCRIPTEN_KEEPALIVE void SoundStart() { IntroMusicStart(); }
EMSCRIPTEN_KEEPALIVE void SoundStop() { IntroMusicStop(); }

// The next `frames` frames (at most MaxQuantumFrames) as floats, sample / 32768,
// exactly the 16-bit values; silence while not playing. Returns their address.
EMSCRIPTEN_KEEPALIVE float* SoundRender(int frames) {
    const int count = Clamp(frames, 0, MaxQuantumFrames);
    for (int i = 0; i < count; ++i) {
        StereoFrame frame{0, 0};
        if (stream.playing) {
            BlockRing& ring = stream.blocks.ring;
            frame = RingBlock(stream.blocks, stream.playBlock)[stream.playFrame];
            if (++stream.playFrame >= ring.framesPerBlock) {
                const int played = stream.playBlock;
                stream.playFrame = 0;
                stream.playBlock = FollowingBlock(ring, played);
                if (played == ring.nextBlock) FillNextBlock(ring);
            }
        }
        quantum[i] = static_cast<float>(frame.left) / 32768.0f;
        quantum[count + i] = static_cast<float>(frame.right) / 32768.0f;
    }
    return quantum;
}
}
