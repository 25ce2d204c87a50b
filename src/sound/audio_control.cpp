// Switches the music on and off: sets up the mixer and the streamer, clears
// the replayer's stores before a module is loaded, and drives the run flags.
#include "sound/audio_control.h"

#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

namespace {
constexpr int TicksPerSecond = 50;
}

void InitAudio(int rate, int framesPerBlock, int blockCount) {
    replayerReady = 0;
    playing = 0;
    if (rate <= 0) {
        soundEnabled = 0;
    } else {
        soundEnabled = 1;
        OpenMixer(rate, ReplayerTick, TicksPerSecond, framesPerBlock, blockCount);
    }
    // The sample table, sequence, patterns and macro stores that LoadModule
    // fills; the sample memory is left as it is.
    ClearReplayerStores();
    replayerReady = 1;
}

void StartAudio() {
    if (!replayerReady) return;
    if (soundEnabled) {
        ResetChannels();
        // The pre-fill inside StartStream runs before `playing` is raised, so
        // the whole ring starts as silence with ticks that do nothing.
        StartStream();
    }
    playing = 1;
}

void PauseAudio() {
    if (!replayerReady) return;
    if (soundEnabled) PauseStream();
    playing = 0;
}

void ShutdownAudio() {
    if (soundEnabled) CloseStream();
    playing = 0;
    replayerReady = 0;
}
