#pragma once
// The sound path's settings, once for the intro and every tool that renders or
// plays its sound: 44100 Hz, blocks of 4000 frames (about 91 ms), a ring of 8
// (about 0.73 s), ticked 50 times a second (882 frames per tick).
struct SoundSettings {
    int rate;
    int framesPerBlock;
    int blockCount;
};

constexpr SoundSettings IntroSound{44100, 4000, 8};
constexpr int TicksPerSecond = 50;
constexpr int IntroFramesPerTick = IntroSound.rate / TicksPerSecond;
// The frames of the ring that StartAudio pre-fills before the first is heard.
constexpr int IntroRingFrames = IntroSound.framesPerBlock * IntroSound.blockCount;
