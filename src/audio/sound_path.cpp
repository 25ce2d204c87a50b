#include "audio/sound_path.h"

#include "audio/audio_control.h"
#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

void ResetSoundPath() {
    ResetReplayerState();
    ResetAudioControl();
    ResetMixerState();
    ResetStream();
}

int ArmReplayer(const uint8_t* image, size_t size, int rate, char* reason, size_t reasonSize) {
    ResetSoundPath();
    InitAudio(rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    const int result = LoadModuleChecked(image, size, reason, reasonSize);
    if (result != 0) return result;
    if (replayer.soundEnabled) ResetChannels();
    SetReplayerPlaying(true);
    return 0;
}

int LoadReplayer(const uint8_t* image, size_t size, bool withSound, char* reason,
                 size_t reasonSize) {
    ResetReplayerState();
    replayer.soundEnabled = withSound ? 1 : 0;
    replayer.replayerReady = 1;
    return LoadModuleChecked(image, size, reason, reasonSize);
}

void SetReplayerPlaying(bool playing) { replayer.playing = playing ? 1 : 0; }

bool TickEnteredEntry() {
    const SongState& song = replayer.song;
    if (song.speedCounter != song.speed) return false;
    for (const VoiceState& voice : replayer.voices) {
        if (voice.rowOffset == 2) return true;
    }
    return false;
}

int ScanSong(const uint8_t* image, size_t size, int64_t loops, int64_t capTicks, SongScan& scan,
             char* reason, size_t reasonSize) {
    scan = SongScan{};
    const int result = LoadReplayer(image, size, false, reason, reasonSize);
    if (result != 0) {
        ResetReplayerState();
        return result;
    }
    scan.entryCount = replayer.song.sequenceCount;
    for (int64_t& tick : scan.entryFirstTick) tick = -1;
    SetReplayerPlaying(true);  // without sound: the tick touches no channel
    scan.capped = true;
    int64_t firstEntries = 0;
    for (int64_t tick = 1; tick <= capTicks + 1; ++tick) {
        ReplayerTick();
        if (!TickEnteredEntry()) continue;
        const int entry = replayer.song.songPosition / 16;
        if (entry == 0 && ++firstEntries == loops + 1) {
            scan.ticks = tick - 1;
            scan.capped = false;
            break;
        }
        if (entry >= 0 && entry < MaxSongEntries && scan.entryFirstTick[entry] < 0)
            scan.entryFirstTick[entry] = tick;
    }
    if (scan.capped) scan.ticks = capTicks;
    ResetReplayerState();
    return 0;
}

SongPlace ReplayerPlace() {
    const SongState& song = replayer.song;
    const uint32_t rowOffset = replayer.voices[0].rowOffset;
    SongPlace place;
    place.entry = song.songPosition / 16;
    if (place.entry < 0 || place.entry >= song.sequenceCount) place.entry = 0;
    place.row = rowOffset >= 2 ? static_cast<int>(rowOffset - 2) / 2 : 0;
    place.tickInRow = song.speed - song.speedCounter;
    return place;
}

int64_t FindSongTick(const SongPlace& place, bool* played) {
    const int32_t withSound = replayer.soundEnabled;
    replayer.soundEnabled = 0;  // the tick touches no channel
    SetReplayerPlaying(true);
    int64_t exact = 0, entryStart = 0;
    bool leftEntry0 = false;
    for (int64_t tick = 1; tick <= SongScanCapTicks && exact == 0; ++tick) {
        ReplayerTick();
        const SongPlace now = ReplayerPlace();
        if (now.entry == place.entry && entryStart == 0) entryStart = tick;
        if (now.entry == place.entry && now.row == place.row && now.tickInRow == place.tickInRow)
            exact = tick;
        // Back at entry 0 after another entry: one pass is done.
        if (now.entry != 0) leftEntry0 = true;
        else if (leftEntry0) break;
    }
    SetReplayerPlaying(false);
    replayer.soundEnabled = withSound;
    if (played) *played = exact != 0;
    return exact ? exact : (entryStart ? entryStart : 1);
}

void SkipSongTicks(int64_t tick) {
    static StereoFrame scratch[MixBufferFrames];
    uint8_t levels[4];
    for (int c = 0; c < 4; ++c) {
        levels[c] = mixer.channels[c].masterLevel;
        mixer.channels[c].masterLevel = 0;
    }
    const int32_t smoothing = mixer.smoothing;
    mixer.smoothing = 0;
    mixer.tickCounter = 0;
    SetReplayerPlaying(true);
    const int period = mixer.samplesPerTick < MixBufferFrames ? mixer.samplesPerTick : MixBufferFrames;
    for (int64_t t = 1; t < tick; ++t) MixFrames(scratch, period);
    mixer.smoothing = smoothing;
    for (int c = 0; c < 4; ++c) mixer.channels[c].masterLevel = levels[c];
}
