#include "audio/sound_path.h"

#include "audio/audio_control.h"
#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

void ResetSoundPath() {
    ResetReplayerState();
    ResetMixerState();
    ResetStream();
}

int ArmReplayer(const uint8_t* image, size_t size, int rate, char* reason, size_t reasonSize) {
    ResetSoundPath();
    InitAudio(rate, IntroFramesPerBlock, IntroBlockCount);
    const int result = LoadModuleChecked(image, size, reason, reasonSize);
    if (result != 0) return result;
    if (replayer.soundEnabled) ResetChannels();
    replayer.playing = 1;
    return 0;
}
