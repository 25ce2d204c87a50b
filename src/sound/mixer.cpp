// Mixer set-up and the channel operations the replayer drives. The render
// loop itself lives in mixer_render.cpp.
#include "sound/mixer.h"

#include <cstring>

#include "sound/block_stream.h"

MixerState mixer;

namespace {

constexpr int PalClock = 3546895;
constexpr int MinimumPeriod = 64;
constexpr int MaximumPeriod = 27392;
constexpr int FastestRate = 55420;  // PalClock / MinimumPeriod
constexpr int MinimumOutputRate = 8000;
constexpr int MaximumOutputRate = 48000;

// Fixed Amiga-style panning: full level on the channel's own side, a quarter
// on the other, so hard-panned pairs never sound completely one-sided.
constexpr uint8_t PanLeft[4] = {64, 16, 16, 64};
constexpr uint8_t PanRight[4] = {16, 64, 64, 16};

// Guard: the lengths stored beside it are 0 whenever it is put in place, so the
// replayer never plays it; it is as long as the longest segment (65535 words)
// all the same, so that a channel started on it with any length set plays
// silence instead of reading past it. Not const, so that it lives in
// zero-filled memory instead of the program file.
int8_t placeholderSample[65535 * 2];

void Notify(int channel, const char* operation, bool hasArgument, long argument,
            const int8_t* data = nullptr) {
    if (mixer.channelObserver) {
        mixer.channelObserver(mixer.channelObserverContext, channel, operation, hasArgument,
                              argument, data);
    }
}

MixChannel* ChannelOrNull(int channel) {
    return (channel >= 0 && channel < 4) ? &mixer.channels[channel] : nullptr;
}

// The rate in Hz from the period. Compatibility: only the low 16 bits count,
// and a rate below 2 stops the channel. Internal forms like this one do not notify, so a
// trace shows only what the replayer itself asked for.
void ApplyRate(MixChannel* c, int rate) {
    c->rate = static_cast<int32_t>(static_cast<uint16_t>(rate));
    if (c->rate < 2) {
        c->rate = 0;
        c->active = 0;
    }
}

void ApplyStop(MixChannel* c) { c->active = 0; }

}  // namespace

void SetChannelObserver(ChannelObserver observer, void* context) {
    mixer.channelObserver = observer;
    mixer.channelObserverContext = context;
}

void SetChannelPeriod(int channel, int period) {
    Notify(channel, "SetChannelPeriod", true, period);
    MixChannel* c = ChannelOrNull(channel);
    if (!c) return;
    if (period == 0) {
        c->active = 0;
    } else if (period < MinimumPeriod) {
        ApplyRate(c, FastestRate);
    } else {
        if (period > MaximumPeriod) period = MaximumPeriod;
        ApplyRate(c, PalClock / period);
    }
}

void SetChannelVolume(int channel, int volume) {
    Notify(channel, "SetChannelVolume", true, volume);
    MixChannel* c = ChannelOrNull(channel);
    if (!c) return;
    if (volume < 0) volume = 0;
    if (volume > 64) volume = 64;
    c->volume = static_cast<uint8_t>(volume);
}

void SetChannelSample(int channel, const int8_t* data) {
    Notify(channel, "SetChannelSample", false, 0, data);
    MixChannel* c = ChannelOrNull(channel);
    if (c && data) c->nextData = data;
}

void SetChannelLength(int channel, uint16_t words) {
    Notify(channel, "SetChannelLength", true, words);
    MixChannel* c = ChannelOrNull(channel);
    if (!c) return;
    if (words == 0) {
        // Compatibility: the old length stays latched, so a restart replays it.
        ApplyStop(c);
    } else {
        c->nextLength = static_cast<uint32_t>(words) * 2;
    }
}

void StartChannel(int channel) {
    Notify(channel, "StartChannel", false, 0);
    MixChannel* c = ChannelOrNull(channel);
    if (!c) return;
    c->segmentData = c->nextData;
    c->segmentLength = c->nextLength;
    c->position = 0;
    c->active = c->segmentLength > 0 ? 1 : 0;
}

void StopChannel(int channel) {
    Notify(channel, "StopChannel", false, 0);
    if (MixChannel* c = ChannelOrNull(channel)) ApplyStop(c);
}

void BuildVolumeTables() {
    for (int channel = 0; channel < 4; ++channel) {
        mixer.channels[channel].leftLevel = PanLeft[channel];
        mixer.channels[channel].rightLevel = PanRight[channel];
    }
    for (int level = 0; level <= 64; ++level) {
        for (int b = 0; b < 256; ++b) {
            const int s = b >= 128 ? b - 256 : b;
            mixer.volumeTables[level][b] = static_cast<int16_t>((256 * level * s) / 160);
        }
    }
}

void ResetChannels() {
    for (int channel = 0; channel < 4; ++channel) {
        MixChannel& c = mixer.channels[channel];
        c.active = 0;
        c.masterLevel = 64;
        c.nextLength = 0;
        c.segmentLength = 0;
        c.nextData = placeholderSample;
        c.segmentData = placeholderSample;
        c.position = 0;
        c.rate = 0;
        c.volume = 0;
    }
    mixer.tickCounter = 0;
}

int OpenMixer(int rate, TickCallback tickCallback, int tickRate, int framesPerBlock,
              int blockCount) {
    if (rate < MinimumOutputRate) rate = MinimumOutputRate;
    if (rate > MaximumOutputRate) rate = MaximumOutputRate;
    mixer.outputRate = rate;
    mixer.tickCallback = tickCallback;
    // Guard: a tick rate of 0 would divide by zero, and one above the output rate
    // would leave no frames per tick, so MixFrames could never move on.
    mixer.tickRate = tickRate < 1 ? 1 : tickRate;
    mixer.framesPerBlock = ClampFramesPerBlock(framesPerBlock);
    mixer.blockCount = blockCount;
    mixer.samplesPerTick = mixer.outputRate / mixer.tickRate;
    if (mixer.samplesPerTick < 1) mixer.samplesPerTick = 1;
    BuildVolumeTables();
    ResetChannels();
    // A stream that did not open leaves the mixer configured but never asked
    // for a block: the caller learns why from the result.
    const int result = OpenStream(FillBlock, mixer.outputRate, mixer.framesPerBlock, mixer.blockCount);
    if (result == StreamOpened) mixer.smoothing = 1;
    return result;
}

void ResetMixerState() { std::memset(&mixer, 0, sizeof mixer); }
