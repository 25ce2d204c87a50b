#include <cstring>
#include "replayer/replayer.h"

ReplayerState replayer;

void ResetReplayerState() {
    replayer = ReplayerState{};
}

void ClearReplayerStores() {
    SongState& song = replayer.song;
    std::memset(song.sampleTable, 0, sizeof song.sampleTable);
    std::memset(song.sequence, 0, sizeof song.sequence);
    std::memset(song.patterns, 0, sizeof song.patterns);
    std::memset(song.volumeMacros, 0, sizeof song.volumeMacros);
    std::memset(song.frequencyMacros, 0, sizeof song.frequencyMacros);
    replayer.moduleLoaded = 0;
}
