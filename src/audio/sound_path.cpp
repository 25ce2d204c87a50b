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
