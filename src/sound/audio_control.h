#pragma once
// The facade through which the intro switches its music on and off.
void InitAudio(int rate, int framesPerBlock, int blockCount);
void StartAudio();
void PauseAudio();
void ShutdownAudio();
