#include "fake_channels.h"
#include "replayer/replayer.h"
#include "sound/channel_operations.h"

std::vector<ChannelCall> channelCalls;

namespace {
void Record(const char* operation, int channel, long argument) {
    channelCalls.push_back({operation, channel, argument});
}
long LastOf(const char* operation, int channel) {
    for (auto it = channelCalls.rbegin(); it != channelCalls.rend(); ++it)
        if (it->channel == channel && it->operation == operation) return it->argument;
    return -1;
}
}  // namespace

void SetChannelPeriod(int channel, int period) { Record("Period", channel, period); }
void SetChannelVolume(int channel, int volume) { Record("Volume", channel, volume); }
void SetChannelSample(int channel, const int8_t* data) {
    long offset = data - replayer.song.sampleMemory;
    Record("Sample", channel, offset >= 0 && offset <= SampleMemoryBytes ? offset : -1);
}
void SetChannelLength(int channel, uint16_t words) { Record("Length", channel, words); }
void StartChannel(int channel) { Record("Start", channel, 0); }
void StopChannel(int channel) { Record("Stop", channel, 0); }

std::vector<ChannelCall> CallsOf(int channel, bool withPeriodAndVolume) {
    std::vector<ChannelCall> result;
    for (const ChannelCall& call : channelCalls) {
        if (call.channel != channel) continue;
        if (!withPeriodAndVolume && (call.operation == "Period" || call.operation == "Volume"))
            continue;
        result.push_back(call);
    }
    return result;
}

std::string Describe(const std::vector<ChannelCall>& calls) {
    std::string text;
    for (const ChannelCall& call : calls) {
        if (!text.empty()) text += ' ';
        text += call.operation;
        if (call.operation != "Start" && call.operation != "Stop")
            text += ':' + std::to_string(call.argument);
    }
    return text;
}

long LastPeriod(int channel) { return LastOf("Period", channel); }
long LastVolume(int channel) { return LastOf("Volume", channel); }
