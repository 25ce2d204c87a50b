#pragma once
// The four-channel software mixer: channel operations (called by the replayer
// from inside its tick), the frame renderer that also clocks the replayer, and
// the block fill handed to the streamer. File-level state, reachable from tests.
#include <cstdint>
#include "sound/stereo_frame.h"

struct MixChannel {
    uint8_t number;
    int32_t active;
    uint8_t masterLevel;
    uint8_t leftLevel;
    uint8_t rightLevel;
    uint32_t nextLength;
    uint32_t segmentLength;
    const int8_t* nextData;
    const int8_t* segmentData;
    uint32_t position;  // 20.12 fixed point
    int32_t rate;
    uint8_t volume;
};

using TickCallback = int (*)();

constexpr int MixBufferFrames = 16384;

struct MixerState {
    int32_t outputRate;
    TickCallback tickCallback;
    int32_t tickRate;
    int32_t framesPerBlock;
    int32_t blockCount;
    int32_t samplesPerTick;
    int32_t tickCounter;
    int32_t smoothing;
    StereoFrame mixBuffer[MixBufferFrames];
};

extern MixChannel mixChannels[4];
extern MixerState mixer;
extern int16_t VolumeTables[65][256];

// Channel operations; channel numbers outside 0..3 are ignored.
void SetChannelPeriod(int channel, int period);
void SetChannelRate(int channel, int rate);
void SetChannelVolume(int channel, int volume);
void SetChannelSample(int channel, const int8_t* data);
void SetChannelLength(int channel, uint16_t words);
void StartChannel(int channel);
void StopChannel(int channel);

void OpenMixer(int rate, TickCallback tickCallback, int tickRate, int framesPerBlock,
               int blockCount);
void BuildVolumeTables();
void ResetChannels();
void MixFrames(StereoFrame* frames, int count);
void FillBlock();

// Internal steps of MixFrames, exposed for tests.
void RenderChannel(MixChannel* channel, StereoFrame* frames, int count);
uint32_t AccumulateSamples(const int8_t* data, StereoFrame* frames, uint32_t position,
                           uint32_t step, int count, const int16_t* leftTable,
                           const int16_t* rightTable);
void SmoothChunk(StereoFrame* frames, int count);

// Back to program-start state (all zero, smoothing off): for tests and tools.
void ResetMixerState();

// Optional observer of what the replayer tells the channels, for traces: called
// at the top of each channel operation with its name and argument (for
// SetChannelSample the argument is 0 and `data` holds the address). Null in the
// intro, so the cost there is one pointer test per operation.
using ChannelObserver = void (*)(void* context, int channel, const char* operation,
                                 bool hasArgument, long argument, const int8_t* data);
void SetChannelObserver(ChannelObserver observer, void* context);
