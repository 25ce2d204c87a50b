// The intro's sound path inside the page's AudioWorklet: the block stream
// seam over a ring in this module's memory (heard_stream), played out by the
// worklet's process() a render quantum at a time, its blocks refilled on the
// audio rendering thread; so nothing on the page's main thread can hold the
// music up. The song is the content pack's that the
// page passes in before the start (SoundPackStore, SoundUsePack).
#include <emscripten.h>

#include "app/intro_content.h"
#include "app/intro_music.h"
#include "heard_stream.h"

namespace {
constexpr int MaxQuantumFrames = 1024;  // a render quantum is 128 frames

// One quantum as heard, then as the worklet's outputs take it: all left
// samples, then all right.
StereoFrame heard[MaxQuantumFrames];
float quantum[2 * MaxQuantumFrames];

// The pack whose song the intro plays, as large as a pack may be: the module
// has no allocator, and the song is read from here at each start.
uint8_t packStore[MaxPackBytes];

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }
}  // namespace

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
    ReadHeardFrames(heard, count);
    for (int i = 0; i < count; ++i) {
        quantum[i] = static_cast<float>(heard[i].left) / 32768.0f;
        quantum[count + i] = static_cast<float>(heard[i].right) / 32768.0f;
    }
    return quantum;
}
}
