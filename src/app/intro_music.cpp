#include "app/intro_music.h"

#include "audio/audio_control.h"
#include "data/intro_data.h"
#include "replayer/replayer.h"

void IntroMusicStart() {
    InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    // Compatibility: the result is not examined; an unrecognised image leaves
    // the replayer without a song, and the picture runs on in silence.
    LoadModule(ModuleImage);
    StartAudio();
}

// Both steps find the music stopped on a second teardown and do nothing.
void IntroMusicStop() {
    PauseAudio();
    ShutdownAudio();
}
