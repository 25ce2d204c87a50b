// The maker's worklet sound path, linked beside the web front end's
// (platform/web/worklet_sound.cpp: SoundPackStore, SoundUsePack, SoundStart,
// SoundStop and SoundRender): mute per voice, the place being heard (entry,
// row), the song started from any entry and row, a new song going on from
// the place being heard, and an audition voice played over the song.
//
// A song started from a place runs the replayer alone (no sound) to find the
// tick that enters the place, then runs the song silently up to it from a
// fresh load (sound_path's FindSongTick and SkipSongTicks, as modrender
// --from does), so the channels are exactly as a render from the start leaves
// them there; the ring then fills from that tick on, with no silent lead-in.
// The worklet calls everything on its own thread: nothing here locks.
#include <emscripten.h>

#include <cstdint>

#include "app/intro_content.h"
#include "app/intro_music.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "preview_audition.h"
#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

extern "C" float* SoundRender(int frames);
extern "C" int SoundUsePack(uint32_t size);

namespace {
constexpr int MaxQuantumFrames = 1024;  // as SoundRender takes at most
constexpr int PlaceSlots = 64;          // more tick calls than the ring holds (36)

struct Place {
    int32_t started;  // 0 during the silent lead-in of a start from the top
    int32_t entry;
    int32_t row;
    int32_t tickInRow;
};

struct PreviewState {
    int32_t mutedVoices;     // bit v: voice v silent
    int32_t countsHeard;     // the worklet plays through SoundRenderPreview
    int64_t tickCalls;       // since the stream started
    int64_t heardFrames;     // played out since the stream started
    Place places[PlaceSlots];  // by tick call
} preview;

Place PlaceNow(bool started) {
    const SongPlace place = ReplayerPlace();
    return Place{started ? 1 : 0, place.entry, place.row, place.tickInRow};
}

// The replayer's tick, the muted voices' channel volume to 0 (the replayer
// sets it again every tick, so unmuting takes effect on the next one), then
// the place the tick played recorded.
int PreviewTick() {
    const int result = ReplayerTick();
    for (int voice = 0; voice < 4; ++voice)
        if (preview.mutedVoices & (1 << voice)) mixer.channels[voice].volume = 0;
    ++preview.tickCalls;
    preview.places[preview.tickCalls % PlaceSlots] = PlaceNow(result == 0);
    return result;
}

int64_t FramesPerTick() { return mixer.samplesPerTick > 0 ? mixer.samplesPerTick : 1; }

// The stream's frame at which tick call `call` (from 1) comes: the mixer calls
// the tick at the start of the last piece of its period, so a period that a
// block boundary splits is ticked at that boundary.
int64_t FrameOfCall(int64_t call) {
    const int64_t block = mixer.framesPerBlock > 0 ? mixer.framesPerBlock : 1;
    const int64_t periodStart = (call - 1) * FramesPerTick();
    const int64_t lastPieceStart = (call * FramesPerTick() - 1) / block * block;
    return periodStart > lastPieceStart ? periodStart : lastPieceStart;
}

// The tick through PreviewTick from a stream start on, nothing heard yet;
// `callsMade` tick calls (the places of a silent lead-in) already rendered.
void Hook(int64_t callsMade) {
    mixer.tickCallback = PreviewTick;
    preview.tickCalls = callsMade;
    preview.heardFrames = 0;
    for (Place& place : preview.places) place = Place{};
}

// After SoundStart (its mixer ticks the replayer directly): the tick calls
// of the periods that end within the ring it pre-filled ran idle.
void HookAfterSoundStart() {
    if (mixer.tickCallback != ReplayerTick) return;
    Hook(replayer.playing ? int64_t{mixer.framesPerBlock} * mixer.blockCount / FramesPerTick() : 0);
}

// The place of the tick being played out; without SoundRenderPreview's count
// of the frames heard, the replayer's own (a ring ahead of the ear).
Place HeardPlace() {
    int64_t call = preview.heardFrames / FramesPerTick() + 1;
    if (FrameOfCall(call) > preview.heardFrames) --call;
    if (call > preview.tickCalls) call = preview.tickCalls;
    if (!preview.countsHeard || mixer.tickCallback != PreviewTick || call < 1 ||
        preview.tickCalls - call >= PlaceSlots)
        return PlaceNow(replayer.playing != 0);
    return preview.places[call % PlaceSlots];
}

// The content's song loaded afresh on a newly opened mixer, not playing.
bool LoadSong() {
    IntroMusicStop();
    InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    return IntroContent().module != nullptr && LoadModule(IntroContent().module) == 0;
}

// Starts the content's song at `target` (the entry's first tick when the
// row is never played, the song's when the entry is not): the ticks before
// it run in silence, then the stream starts on its first tick.
int StartAt(const Place& target) {
    if (!LoadSong()) return 1;
    SongPlace place;
    place.entry = target.entry;
    place.row = target.row;
    place.tickInRow = target.tickInRow;
    const int64_t tick = FindSongTick(place);
    LoadSong();
    Hook(0);
    SkipSongTicks(tick);
    preview.tickCalls = 0;  // the stream's first tick call plays `tick`
    preview.countsHeard = 1;  // a worklet that starts here plays through SoundRenderPreview
    StartStream();
    return 0;
}
}  // namespace

extern "C" {

// Mutes the voices whose bits are set in `mask` (bit 0: voice 0). Blocks
// already in the ring play as they were rendered.
EMSCRIPTEN_KEEPALIVE void SoundMute(int mask) {
    preview.mutedVoices = mask & 15;
    HookAfterSoundStart();
}

// The sequence entry (0 .. entries - 1), the row (0 .. 31) and the tick
// within the row (0 = its first) being heard, and the song's number of entries.
EMSCRIPTEN_KEEPALIVE int SoundEntry() { return HeardPlace().entry; }
EMSCRIPTEN_KEEPALIVE int SoundRow() { return HeardPlace().row; }
EMSCRIPTEN_KEEPALIVE int SoundTickInRow() { return HeardPlace().tickInRow; }
EMSCRIPTEN_KEEPALIVE int SoundEntries() { return replayer.song.sequenceCount; }

// Plays the content's song from the start of row `row` of entry `entry`
// (clamped: a row the entry never plays starts the entry, an entry past the
// song starts the song), without SoundStart's silent lead-in. 0 when it plays.
EMSCRIPTEN_KEEPALIVE int SoundPlayFrom(int entry, int row) {
    return StartAt(Place{1, entry, row, 0});
}

// SoundUsePack's pack, and while a song plays, its song going on from the
// entry, row and tick being heard (as SoundPlayFrom goes there). Returns
// SoundUsePack's status; on a refusal the old song plays on.
EMSCRIPTEN_KEEPALIVE int SoundSwapPack(uint32_t size) {
    const bool playing = replayer.playing != 0;
    const Place heard = HeardPlace();
    const int status = SoundUsePack(size);
    if (status != 0 || !playing) return status;
    StartAt(heard.started ? heard : Place{1, 0, 0, 0});  // in a lead-in: from the top
    return 0;
}

// Sounds `note` (C-1 = 0 .. B-4 = 47) with volume macro `instrument` of the
// song, over the song if it plays; with no song playing the content's song
// is loaded (not played) for its instruments. It ends at SoundNoteOff or
// when its volume macro ends.
EMSCRIPTEN_KEEPALIVE void SoundNoteOn(int note, int instrument) {
    if (!replayer.playing) LoadSong();
    AuditionNoteOn(note, instrument);
}
EMSCRIPTEN_KEEPALIVE void SoundNoteOff() { AuditionNoteOff(); }
EMSCRIPTEN_KEEPALIVE int SoundNoteSounding() { return AuditionSounding() ? 1 : 0; }

// SoundRender's next `frames` frames with the audition voice added, counting
// the frames heard for SoundEntry and SoundRow: the worklet's process() calls
// this in place of SoundRender.
EMSCRIPTEN_KEEPALIVE float* SoundRenderPreview(int frames) {
    const int count = frames < 0 ? 0 : (frames > MaxQuantumFrames ? MaxQuantumFrames : frames);
    HookAfterSoundStart();
    preview.countsHeard = 1;
    float* quantum = SoundRender(count);
    if (replayer.playing) preview.heardFrames += count;
    MixAudition(quantum, quantum + count, count);
    return quantum;
}
}
