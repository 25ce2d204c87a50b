// Per-voice mute and the song's position for the maker's worklet, linked
// beside the web front end's sound path (platform/web/worklet_sound.cpp, whose
// SoundPackStore, SoundUsePack, SoundStart and SoundRender the worklet calls).
#include <emscripten.h>

#include <cstdint>

#include "replayer/replayer.h"
#include "sound/mixer.h"

namespace {
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

// Mutes the voices whose bits are set in `mask` (bit 0: voice 0). Blocks
// already in the ring play as they were rendered.
EMSCRIPTEN_KEEPALIVE void SoundMute(int mask) {
    mutedVoices = mask & 15;
    if (mixer.tickCallback != nullptr && mixer.tickCallback != MutingTick) {
        songTick = mixer.tickCallback;
        mixer.tickCallback = MutingTick;
    }
}

// The sequence entry the replayer plays (0 .. entries - 1) and the song's
// number of entries. The replayer counts its position in bytes, 16 an entry,
// and starts past the last one so that its first tick wraps to entry 0.
EMSCRIPTEN_KEEPALIVE int SoundEntry() {
    const int entry = replayer.song.songPosition / 16;
    return entry >= 0 && entry < replayer.song.sequenceCount ? entry : 0;
}
EMSCRIPTEN_KEEPALIVE int SoundEntries() { return replayer.song.sequenceCount; }
}
