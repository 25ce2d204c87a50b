#pragma once
// The channel operations: all the replayer knows of the mixer. Channel numbers
// outside 0..3 are ignored; the values are clamped as each operation states
// (sound/mixer.cpp).
#include <cstdint>

void SetChannelPeriod(int channel, int period);
void SetChannelVolume(int channel, int volume);
void SetChannelSample(int channel, const int8_t* data);
void SetChannelLength(int channel, uint16_t words);
void StartChannel(int channel);
void StopChannel(int channel);
