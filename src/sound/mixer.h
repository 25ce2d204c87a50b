#pragma once
// The four-channel software mixer: channel operations (called by the replayer
// from inside its tick), the frame renderer that also clocks the replayer
// through the tick function it was opened with, and the block fill handed to
// the streamer. All its state is one record, reachable from tests.
#include <cstdint>
#include "sound/block_stream.h"
#include "sound/channel_operations.h"
#include "sound/stereo_frame.h"

struct MixChannel {
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

constexpr int MixBufferFrames = MaxFramesPerBlock;

// Optional observer of what the replayer tells the channels, for traces: called
// at the top of each channel operation with its name and argument (for
// SetChannelSample the argument is 0 and `data` holds the address). Null in the
// intro, so the cost there is one pointer test per operation.
using ChannelObserver = void (*)(void* context, int channel, const char* operation,
                                 bool hasArgument, long argument, const int8_t* data);

struct MixerState {
    MixChannel channels[4];
    int32_t outputRate;
    TickCallback tickCallback;
    int32_t tickRate;
    int32_t framesPerBlock;
    int32_t blockCount;
    int32_t samplesPerTick;
    int32_t tickCounter;
    int32_t smoothing;
    StereoFrame mixBuffer[MixBufferFrames];
    // Indexed by level 0..64 and the raw sample byte.
    int16_t volumeTables[65][256];
    ChannelObserver channelObserver;
    void* channelObserverContext;
};

extern MixerState mixer;

// Configures the mixer and opens the stream; returns OpenStream's result.
int OpenMixer(int rate, TickCallback tickCallback, int tickRate, int framesPerBlock,
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

void SetChannelObserver(ChannelObserver observer, void* context);
