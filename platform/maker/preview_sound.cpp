// The live intro's sound in the maker's worklet: the web front end's sound
// path (platform/web/worklet_sound.cpp, linked beside this) playing the pack
// the page hands over. The worklet makes a new instance for every restart.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>

#include "app/intro_content.h"
#include "replayer/replayer.h"
#include "sound/mixer.h"

namespace {
uint8_t* soundPack;  // the pack in use; it must outlive the music
int32_t mutedVoices;  // bit v: voice v silent
TickCallback songTick;

// The replayer's tick, then the muted voices' channel volume to 0; with no
// voice muted, exactly the replayer's tick. The replayer sets each voice's
// volume again every tick, so unmuting takes effect on the next one.
int MutingTick() {
    const int result = songTick();
    for (int voice = 0; voice < 4; ++voice)
        if (mutedVoices & (1 << voice)) mixer.channels[voice].volume = 0;
    return result;
}
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* SoundPackBuffer(int size) {
    if (size <= 0 || soundPack != nullptr) return nullptr;
    soundPack = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    return soundPack;
}

EMSCRIPTEN_KEEPALIVE int SoundUsePack(int size) {
    char reason[160];
    if (soundPack == nullptr || size <= 0) return PackTruncated;
    return UseContentPack(soundPack, static_cast<size_t>(size), FontInPack, reason, sizeof reason);
}

// Mutes the voices whose bits are set in `mask` (bit 0: voice 0). Blocks
// already in the ring play as they were rendered.
EMSCRIPTEN_KEEPALIVE void SoundMute(int mask) {
    mutedVoices = mask & 15;
    if (mixer.tickCallback != nullptr && mixer.tickCallback != MutingTick) {
        songTick = mixer.tickCallback;
        mixer.tickCallback = MutingTick;
    }
}

// The sequence entry the replayer is at and the song's number of entries.
EMSCRIPTEN_KEEPALIVE int SoundEntry() { return replayer.song.songPosition; }
EMSCRIPTEN_KEEPALIVE int SoundEntries() { return replayer.song.sequenceCount; }
}
