#pragma once
// The facade through which the intro switches its music on and off: the
// wiring of replayer, mixer and stream.
void InitAudio(int rate, int framesPerBlock, int blockCount);
void StartAudio();
void PauseAudio();
void ShutdownAudio();  // once: a second call finds the music stopped and does nothing

// The intro's settings: 882 frames per tick, blocks of about 91 ms, a ring of
// about 0.73 s.
constexpr int IntroOutputRate = 44100;
constexpr int IntroFramesPerBlock = 4000;
constexpr int IntroBlockCount = 8;
