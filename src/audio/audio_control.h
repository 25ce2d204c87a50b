#pragma once
#include "audio/sound_settings.h"
#include "sound/block_stream.h"
// The facade through which the intro switches its music on and off: the
// wiring of replayer, mixer and stream.
void InitAudio(int rate, int framesPerBlock, int blockCount);
void StartAudio();
void PauseAudio();
void ShutdownAudio();  // once: a second call finds the music stopped and does nothing

// What the stream's open returned at the last InitAudio with sound
// (StreamResult; StreamOpened before any). Front ends report it from here.
int AudioStreamResult();
// Back to program-start state (no result recorded); ResetSoundPath calls it.
void ResetAudioControl();
