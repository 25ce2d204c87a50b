#include "app/intro_music.h"

#include "data/intro_data.h"
#include "replayer/replayer.h"
#include "sound/audio_control.h"

void IntroMusicStart() {
    InitAudio(44100, 4000, 8);
    // Compatibility: the result is not examined; an unrecognised image leaves
    // the replayer without a song, and the picture runs on in silence.
    LoadModule(ModuleImage);
    StartAudio();
}

void IntroMusicStop() {
    PauseAudio();
    ShutdownAudio();
}
