// Channel operations, volume tables and mixer set-up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "memory_stream.h"
#include "sound/mixer.h"

namespace {

int ticks = 0;
int CountTick() { return ++ticks, 0; }

class MixerChannels : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMixerState();
        ResetStream();
        ticks = 0;
        OpenMixer(44100, CountTick, 50, 4000, 8);
    }
};

TEST_F(MixerChannels, PeriodsBecomeRates) {
    const struct { int period, rate; } cases[] = {
        {113, 31388}, {3424, 1035}, {64, 55420}, {20, 55420}, {-7, 55420},
        {65, 3546895 / 65}, {27392, 129}, {30000, 129}};
    for (const auto& c : cases) {
        SetChannelPeriod(2, c.period);
        EXPECT_EQ(mixer.channels[2].rate, c.rate) << "period " << c.period;
    }
    mixer.channels[2].active = 1;
    SetChannelPeriod(2, 0);
    EXPECT_EQ(mixer.channels[2].active, 0);
    EXPECT_EQ(mixer.channels[2].rate, 129) << "period 0 changes nothing but active";
}

TEST_F(MixerChannels, NoPeriodGivesARateThatStopsTheChannel) {
    mixer.channels[1].active = 1;
    for (int period = -70000; period <= 70000; period += 7) {
        if (period == 0) continue;
        SetChannelPeriod(1, period);
        ASSERT_GE(mixer.channels[1].rate, 129) << "period " << period;
        ASSERT_LE(mixer.channels[1].rate, 55420) << "period " << period;
    }
    EXPECT_EQ(mixer.channels[1].active, 1);
}

TEST_F(MixerChannels, VolumeIsClamped) {
    SetChannelVolume(0, -5);
    EXPECT_EQ(mixer.channels[0].volume, 0);
    SetChannelVolume(0, 200);
    EXPECT_EQ(mixer.channels[0].volume, 64);
    SetChannelVolume(0, 37);
    EXPECT_EQ(mixer.channels[0].volume, 37);
}

TEST_F(MixerChannels, LengthZeroStopsAndKeepsLatchedLength) {
    static const int8_t data[64] = {};
    SetChannelSample(3, data);
    SetChannelLength(3, 10);
    StartChannel(3);
    ASSERT_EQ(mixer.channels[3].active, 1);
    EXPECT_EQ(mixer.channels[3].segmentLength, 20u);
    mixer.channels[3].position = 4096 * 7;
    SetChannelLength(3, 0);
    EXPECT_EQ(mixer.channels[3].active, 0);
    EXPECT_EQ(mixer.channels[3].nextLength, 20u);
    StartChannel(3);
    EXPECT_EQ(mixer.channels[3].active, 1);
    EXPECT_EQ(mixer.channels[3].segmentLength, 20u);
    EXPECT_EQ(mixer.channels[3].position, 0u);
}

TEST_F(MixerChannels, NullSampleAndBadChannelsAreIgnored) {
    static const int8_t data[4] = {};
    SetChannelSample(0, data);
    SetChannelSample(0, nullptr);
    EXPECT_EQ(mixer.channels[0].nextData, data);
    const MixChannel before[4] = {mixer.channels[0], mixer.channels[1], mixer.channels[2], mixer.channels[3]};
    for (int channel : {-1, 4, 1000}) {
        SetChannelPeriod(channel, 200);
        SetChannelVolume(channel, 30);
        SetChannelSample(channel, data);
        SetChannelLength(channel, 5);
        StartChannel(channel);
        StopChannel(channel);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::memcmp(&before[i], &mixer.channels[i], sizeof(MixChannel)), 0) << i;
    }
}

TEST_F(MixerChannels, StartWithoutLengthStaysInactive) {
    StartChannel(0);
    EXPECT_EQ(mixer.channels[0].active, 0);
}

// A length latched without a sample after a reset starts the channel on the
// placeholder: it must play silence for the whole segment, not read past it
// (ASan reports an overread here if the placeholder is shorter).
TEST_F(MixerChannels, StartOnThePlaceholderPlaysSilenceWithoutOverread) {
    SetChannelLength(0, 65535);
    SetChannelPeriod(0, 113);
    SetChannelVolume(0, 64);
    StartChannel(0);
    ASSERT_EQ(mixer.channels[0].active, 1);
    std::vector<StereoFrame> frames(20000);
    for (int block = 0; block < 12; ++block) RenderChannel(&mixer.channels[0], frames.data(), 20000);
    for (const StereoFrame& frame : frames) {
        ASSERT_EQ(frame.left, 0);
        ASSERT_EQ(frame.right, 0);
    }
}

TEST_F(MixerChannels, VolumeTablesHoldTheTellingValues) {
    auto entry = [](int level, int s) { return mixer.volumeTables[level][static_cast<uint8_t>(s)]; };
    EXPECT_EQ(entry(64, -128), -13107);
    EXPECT_EQ(entry(64, 127), 13004);
    EXPECT_EQ(entry(64, 1), 102);
    EXPECT_EQ(entry(64, -1), -102);
    EXPECT_EQ(entry(16, -128), -3276);
    EXPECT_EQ(entry(16, 127), 3251);
    EXPECT_EQ(entry(1, -128), -204);
    EXPECT_EQ(entry(1, 1), 1);
    EXPECT_EQ(entry(1, 3), 4);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(mixer.volumeTables[0][b], 0);
}

TEST_F(MixerChannels, OpenSetsPanTickPeriodAndSmoothing) {
    const uint8_t left[4] = {64, 16, 16, 64}, right[4] = {16, 64, 64, 16};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mixer.channels[i].masterLevel, 64);
        EXPECT_EQ(mixer.channels[i].leftLevel, left[i]);
        EXPECT_EQ(mixer.channels[i].rightLevel, right[i]);
        EXPECT_EQ(mixer.channels[i].active, 0);
    }
    EXPECT_EQ(mixer.samplesPerTick, 882);
    EXPECT_EQ(mixer.smoothing, 1);
    EXPECT_EQ(memoryStream.blocks.ring.blockCount, 8);
    EXPECT_EQ(memoryStream.blocks.ring.framesPerBlock, 4000);
}

TEST(MixerOpen, ClampsRateAndBlockAndSurvivesBadTickRates) {
    ResetMixerState();
    ResetStream();
    OpenMixer(1000, nullptr, 50, 99999, 1);
    EXPECT_EQ(mixer.outputRate, 8000);
    EXPECT_EQ(mixer.framesPerBlock, MixBufferFrames);
    EXPECT_EQ(mixer.blockCount, 1) << "stored as given; the stream clamps";
    EXPECT_EQ(memoryStream.blocks.ring.blockCount, 2);
    OpenMixer(96000, nullptr, 0, 4000, 8);
    EXPECT_EQ(mixer.outputRate, 48000);
    EXPECT_GE(mixer.samplesPerTick, 1);
    OpenMixer(8000, nullptr, 100000, 4000, 8);
    EXPECT_EQ(mixer.samplesPerTick, 1);
}

// A block size of 0 or less is one frame for the mixer and the stream alike,
// so each block written holds exactly the frame just rendered.
TEST(MixerOpen, NonPositiveBlockIsOneFrameForMixerAndStream) {
    ResetMixerState();
    ResetStream();
    OpenMixer(44100, nullptr, 50, 0, 8);
    EXPECT_EQ(mixer.framesPerBlock, 1);
    EXPECT_EQ(memoryStream.blocks.ring.framesPerBlock, 1);
    ASSERT_EQ(StartStream(), 0);
    EXPECT_EQ(mixer.tickCounter, 8) << "one frame rendered per pre-filled block";
    mixer.mixBuffer[0] = {7, -7};
    mixer.mixBuffer[1] = {9, -9};
    WriteBlock(mixer.mixBuffer);
    EXPECT_EQ(memoryStream.blocks.blocks[0][0].left, 7);
    EXPECT_EQ(memoryStream.blocks.blocks[0][1].left, 0) << "no frame beyond the block is copied";
}

TEST(MixerOpen, FailedOutputLeavesSmoothingOff) {
    ResetMixerState();
    ResetStream();
    SetMemoryStreamOpenResult(104);
    OpenMixer(44100, nullptr, 50, 4000, 8);
    EXPECT_EQ(mixer.smoothing, 0);
    EXPECT_EQ(mixer.samplesPerTick, 882);
    EXPECT_EQ(memoryStream.isOpen, 0);
}

struct Recorded {
    int channel;
    std::string operation;
    bool hasArgument;
    long argument;
};

void Record(void* context, int channel, const char* operation, bool hasArgument, long argument,
            const int8_t*) {
    static_cast<std::vector<Recorded>*>(context)->push_back(
        {channel, operation, hasArgument, argument});
}

TEST_F(MixerChannels, ObserverSeesOnlyTheCallsMadeFromOutside) {
    std::vector<Recorded> seen;
    SetChannelObserver(Record, &seen);
    static const int8_t data[8] = {};
    SetChannelPeriod(1, 113);
    SetChannelVolume(2, 99);
    SetChannelSample(3, data);
    SetChannelLength(0, 0);
    StartChannel(1);
    StopChannel(2);
    SetChannelObserver(nullptr, nullptr);
    SetChannelPeriod(1, 200);
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].operation, "SetChannelPeriod");
    EXPECT_EQ(seen[0].argument, 113);
    EXPECT_EQ(seen[1].operation, "SetChannelVolume");
    EXPECT_EQ(seen[1].argument, 99) << "the argument as given, before the clamp";
    EXPECT_EQ(seen[2].operation, "SetChannelSample");
    EXPECT_FALSE(seen[2].hasArgument);
    EXPECT_EQ(seen[3].operation, "SetChannelLength");
    EXPECT_EQ(seen[3].channel, 0);
    EXPECT_EQ(seen[4].operation, "StartChannel");
    EXPECT_EQ(seen[5].operation, "StopChannel");
    EXPECT_EQ(seen[5].channel, 2);
}

}  // namespace
