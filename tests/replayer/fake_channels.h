#pragma once
// A recording stand-in for the mixer's channel operations, linked into the
// replayer tests instead of the real mixer.
#include <cstdint>
#include <string>
#include <vector>

struct ChannelCall {
    std::string operation;  // "Period", "Volume", "Sample", "Length", "Start", "Stop"
    int channel;
    long argument;  // for "Sample": byte offset in sampleMemory, -1 if outside it
};

extern std::vector<ChannelCall> channelCalls;

// Calls of one channel, optionally without the per-tick Period/Volume pair.
std::vector<ChannelCall> CallsOf(int channel, bool withPeriodAndVolume = false);
// "Stop Sample:304 Length:16 Start ..." for compact expectations.
std::string Describe(const std::vector<ChannelCall>& calls);
// Period and volume sent to `channel` in the latest tick (-1 when none).
long LastPeriod(int channel);
long LastVolume(int channel);
