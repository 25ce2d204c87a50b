// Switches the music on and off: sets up the mixer and the streamer, clears
// the replayer's stores before a module is loaded, and drives the run flags.
#include "audio/audio_control.h"

#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

namespace {
int streamResult = StreamOpened;
}

int AudioStreamResult() { return streamResult; }

void ResetAudioControl() { streamResult = StreamOpened; }

void InitAudio(int rate, int framesPerBlock, int blockCount) {
    replayer.replayerReady = 0;
    replayer.playing = 0;
    if (rate <= 0) {
        replayer.soundEnabled = 0;
    } else {
        replayer.soundEnabled = 1;
        // Without a stream the intro runs silent: the mixer is never asked
        // for a block. The result is kept for the front end to report.
        streamResult = OpenMixer(rate, ReplayerTick, TicksPerSecond, framesPerBlock, blockCount);
    }
    // The sample table, sequence, patterns and macro stores that LoadModule
    // fills; the sample memory is left as it is.
    ClearReplayerStores();
    replayer.replayerReady = 1;
}

void StartAudio() {
    if (!replayer.replayerReady) return;
    if (replayer.soundEnabled) {
        ResetChannels();
        // The pre-fill inside StartStream runs before `playing` is raised, so
        // the whole ring starts as silence with ticks that do nothing.
        StartStream();
    }
    replayer.playing = 1;
}

void PauseAudio() {
    if (!replayer.replayerReady) return;
    if (replayer.soundEnabled) PauseStream();
    replayer.playing = 0;
}

void ShutdownAudio() {
    // Guard: teardown may run more than once; the stream is closed by the
    // first call only, as its device objects are gone afterwards.
    if (!replayer.replayerReady) return;
    if (replayer.soundEnabled) CloseStream();
    replayer.playing = 0;
    replayer.replayerReady = 0;
}
