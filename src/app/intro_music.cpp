#include "app/intro_music.h"

#include "audio/audio_control.h"
#include "app/intro_content.h"
#include "replayer/replayer.h"

void IntroMusicStart() {
    InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    // Compatibility: the result is not examined; an unrecognised image leaves
    // the replayer without a song, and the picture runs on in silence. Guard:
    // no content, no load.
    if (IntroContent().module != nullptr) LoadModule(IntroContent().module);
    StartAudio();
}

// Both steps find the music stopped on a second teardown and do nothing.
void IntroMusicStop() {
    PauseAudio();
    ShutdownAudio();
}
