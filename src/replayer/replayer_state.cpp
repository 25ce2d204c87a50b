#include <cstring>
#include "replayer/replayer.h"
#include "replayer/replayer_internal.h"

SongState song;
VoiceState voices[4];
int32_t soundEnabled;
int32_t replayerReady;
int32_t playing;
int32_t moduleLoaded;
uint32_t macroBytesExecuted;
uint32_t latchedSegmentBytes[4] = {SampleMemoryBytes, SampleMemoryBytes, SampleMemoryBytes,
                                   SampleMemoryBytes};

void ResetReplayerState() {
    std::memset(&song, 0, sizeof song);
    std::memset(voices, 0, sizeof voices);
    soundEnabled = 0;
    replayerReady = 0;
    playing = 0;
    moduleLoaded = 0;
    macroBytesExecuted = 0;
    for (uint32_t& bytes : latchedSegmentBytes) bytes = SampleMemoryBytes;
}

void ClearReplayerStores() {
    std::memset(song.sampleTable, 0, sizeof song.sampleTable);
    std::memset(song.sequence, 0, sizeof song.sequence);
    std::memset(song.patterns, 0, sizeof song.patterns);
    std::memset(song.volumeMacros, 0, sizeof song.volumeMacros);
    std::memset(song.frequencyMacros, 0, sizeof song.frequencyMacros);
    moduleLoaded = 0;
}
