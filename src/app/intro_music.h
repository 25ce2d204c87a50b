#pragma once
// The intro's music start and stop, run by the driver's start-up and teardown.
void IntroMusicStart();  // InitAudio(44100, 4000, 8), LoadModule(the content's song), StartAudio
void IntroMusicStop();   // PauseAudio, ShutdownAudio
