#pragma once
// The whole sound path at once, for tools and tests that run it outside the
// intro's start-up and teardown.
#include <cstddef>
#include <cstdint>

// Back to program-start state: the replayer's records and flags, the mixer
// and the stream (which must not be open).
void ResetSoundPath();

// Sets the replayer running on `image` without the streamer's pre-fill: the
// sound path reset, the audio set up as InitAudio(rate, IntroFramesPerBlock,
// IntroBlockCount) does, the module loaded through the checked loader, the
// channels silenced and `playing` raised. The caller then drives it with
// ReplayerTick or MixFrames. A rate of 0 or less arms it without sound: the
// tick runs and touches no channel. Returns LoadModuleChecked's result (0
// loaded); after a refusal nothing plays and `reason` says why.
int ArmReplayer(const uint8_t* image, size_t size, int rate, char* reason, size_t reasonSize);
