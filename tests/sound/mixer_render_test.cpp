// Rendering: wrap and overshoot, levels, tick schedule, accumulation, smoothing.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "memory_stream.h"
#include "sound/mixer.h"

namespace {

int ticks = 0;
int CountTick() { return ++ticks, 0; }

void OpenAt(int rate, bool smoothing) {
    ResetMixerState();
    ResetStream();
    ticks = 0;
    OpenMixer(rate, CountTick, 50, 4000, 8);
    mixer.smoothing = smoothing ? 1 : 0;
}

void Play(int channel, const int8_t* data, uint16_t words, int rate, int volume) {
    SetChannelSample(channel, data);
    SetChannelLength(channel, words);
    StartChannel(channel);
    mixer.channels[channel].rate = rate;
    SetChannelVolume(channel, volume);
}

TEST(RenderChannel, OneWordLoopPlaysTheSampleOnceThenStops) {
    OpenAt(44100, false);
    std::vector<int8_t> sample(200, 50);
    Play(0, sample.data(), 100, 44100, 64);
    SetChannelLength(0, 1);
    std::vector<StereoFrame> frames(300, StereoFrame{0, 0});
    RenderChannel(&mixer.channels[0], frames.data(), 300);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(frames[i].left, mixer.volumeTables[64][50]) << i;
    for (int i = 200; i < 300; ++i) ASSERT_EQ(frames[i].left, 0) << i;
    EXPECT_EQ(mixer.channels[0].active, 0);
}

TEST(RenderChannel, OvershootCarriesAcrossEveryWrap) {
    OpenAt(8000, false);
    int8_t first[8], loop[10];
    for (int i = 0; i < 8; ++i) first[i] = static_cast<int8_t>(i + 1);
    for (int i = 0; i < 10; ++i) loop[i] = static_cast<int8_t>(20 + i);
    Play(0, first, 4, 24000, 64);
    SetChannelSample(0, loop);
    SetChannelLength(0, 5);
    ASSERT_EQ(mixer.channels[0].rate * 4096 / mixer.outputRate, 3 * 4096);
    StereoFrame frames[13] = {};
    RenderChannel(&mixer.channels[0], frames, 13);
    const int8_t expected[13] = {1, 4, 7, 21, 24, 27, 20, 23, 26, 29, 22, 25, 28};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(frames[i].left, mixer.volumeTables[64][uint8_t(expected[i])]) << i;
    EXPECT_EQ(mixer.channels[0].active, 1);
}

TEST(RenderChannel, SplitCallsRenderLikeOneCall) {
    OpenAt(8000, false);
    int8_t first[8], loop[10];
    for (int i = 0; i < 8; ++i) first[i] = static_cast<int8_t>(i * 9);
    for (int i = 0; i < 10; ++i) loop[i] = static_cast<int8_t>(-i * 7);
    Play(1, first, 4, 13000, 40);
    SetChannelSample(1, loop);
    SetChannelLength(1, 5);
    const MixChannel start = mixer.channels[1];
    StereoFrame whole[97] = {}, parts[97] = {};
    RenderChannel(&mixer.channels[1], whole, 97);
    mixer.channels[1] = start;
    for (int at = 0; at < 97; at += 10) RenderChannel(&mixer.channels[1], parts + at, at + 10 > 97 ? 97 - at : 10);
    EXPECT_EQ(std::memcmp(whole, parts, sizeof whole), 0);
}

TEST(RenderChannel, LevelsFollowPanAndVolume) {
    OpenAt(44100, false);
    std::vector<int8_t> sample(64, 100);
    for (int channel = 0; channel < 4; ++channel) {
        Play(channel, sample.data(), 32, 44100, 64);
        StereoFrame frames[16] = {};
        RenderChannel(&mixer.channels[channel], frames, 16);
        const bool leftSide = channel == 0 || channel == 3;
        EXPECT_EQ(frames[5].left, leftSide ? 10240 : 2560) << channel;
        EXPECT_EQ(frames[5].right, leftSide ? 2560 : 10240) << channel;
        SmoothChunk(frames, 16);
        EXPECT_EQ(frames[5].left, leftSide ? 10240 : 2560) << "constant runs survive smoothing";
    }
}

TEST(RenderChannel, VolumeOneSilencesTheQuarterSideAndZeroOnlyAdvances) {
    OpenAt(44100, false);
    std::vector<int8_t> sample(64, 100);
    Play(0, sample.data(), 32, 44100, 1);
    StereoFrame frames[8] = {};
    RenderChannel(&mixer.channels[0], frames, 8);
    EXPECT_EQ(frames[3].left, mixer.volumeTables[1][100]);
    EXPECT_NE(frames[3].left, 0);
    EXPECT_EQ(frames[3].right, 0);
    SetChannelVolume(0, 0);
    StereoFrame silent[8] = {};
    RenderChannel(&mixer.channels[0], silent, 8);
    EXPECT_EQ(mixer.channels[0].position, 16u * 4096);
    for (const StereoFrame& f : silent) EXPECT_EQ(f.left | f.right, 0);
}

TEST(RenderChannel, SkipsShortSegmentsSlowRatesAndStaysInsideTheSample) {
    OpenAt(48000, false);
    int8_t tiny[2] = {90, 90};
    Play(2, tiny, 1, 48000, 64);
    StereoFrame frames[8] = {};
    RenderChannel(&mixer.channels[2], frames, 8);
    EXPECT_EQ(mixer.channels[2].active, 1) << "a 2-byte start segment is skipped, not stopped";
    EXPECT_EQ(mixer.channels[2].position, 0u);
    std::vector<int8_t> sample(8, 90);
    Play(2, sample.data(), 4, 15, 64);
    RenderChannel(&mixer.channels[2], frames, 8);
    EXPECT_EQ(mixer.channels[2].position, 0u) << "rate below 16 is not rendered";
    // The fastest rate at the slowest output steps ~7 bytes; with a latched
    // length of 0 (never stored by the operations, forced here) the wrap must
    // stop the channel rather than divide by zero or read on.
    OpenAt(8000, false);
    Play(2, sample.data(), 4, 65535, 64);
    mixer.channels[2].nextLength = 0;
    RenderChannel(&mixer.channels[2], frames, 8);
    EXPECT_EQ(mixer.channels[2].active, 0);
}

TEST(AccumulateSamples, FourAtATimeEqualsThePlainLoop) {
    std::mt19937 random(1234);
    std::vector<int8_t> data(4096);
    for (int8_t& b : data) b = static_cast<int8_t>(random());
    OpenAt(44100, false);
    for (int trial = 0; trial < 500; ++trial) {
        const int count = static_cast<int>(random() % 67);
        const uint32_t step = 1 + random() % (40 * 4096);
        const uint32_t position = random() % 4096;
        if (position + step * static_cast<uint32_t>(count) >= data.size() * 4096u) continue;
        const int16_t* left = mixer.volumeTables[random() % 65];
        const int16_t* right = mixer.volumeTables[random() % 65];
        std::vector<StereoFrame> got(count + 1), want(count + 1);
        for (int i = 0; i <= count; ++i) got[i] = want[i] = {int16_t(random()), int16_t(random())};
        const uint32_t end = AccumulateSamples(data.data(), got.data(), position, step, count, left, right);
        uint32_t p = position;
        for (int i = 0; i < count; ++i, p += step) {
            const uint8_t b = static_cast<uint8_t>(data[p >> 12]);
            want[i].left = int16_t(uint16_t(want[i].left + left[b]));
            want[i].right = int16_t(uint16_t(want[i].right + right[b]));
        }
        ASSERT_EQ(end, p);
        ASSERT_EQ(std::memcmp(got.data(), want.data(), got.size() * sizeof(StereoFrame)), 0)
            << "count " << count << " step " << step;
    }
    StereoFrame f{1, 1};
    EXPECT_EQ(AccumulateSamples(nullptr, &f, 77, 5, 1, mixer.volumeTables[1], mixer.volumeTables[1]), 77u);
}

TEST(SmoothChunk, ShortChunksAndTruncation) {
    StereoFrame one[1] = {{100, -100}}, two[2] = {{100, 7}, {-5, 9}};
    SmoothChunk(one, 1);
    SmoothChunk(two, 2);
    EXPECT_EQ(one[0].left, 100);
    EXPECT_EQ(two[0].left, 100);
    EXPECT_EQ(two[1].right, 9);
    StereoFrame three[3] = {{10, -10}, {21, -21}, {7, -7}};
    SmoothChunk(three, 3);
    EXPECT_EQ(three[0].left, 10);
    EXPECT_EQ(three[1].left, 10 / 4 + 7 / 4 + 21 / 2);
    EXPECT_EQ(three[1].right, -(10 / 4 + 7 / 4 + 21 / 2)) << "quotients truncate toward zero";
    EXPECT_EQ(three[2].left, 7);
    StereoFrame sevens[5] = {{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}};
    SmoothChunk(sevens, 5);
    EXPECT_EQ(sevens[1].left, 5);  // 1 + 1 + 3
    EXPECT_EQ(sevens[2].left, 5);  // F[1] already smoothed: 1 + 1 + 3
    EXPECT_EQ(sevens[4].left, 7);
}

TEST(MixFrames, FourChannelsAtTheLowestByte) {
    OpenAt(44100, false);
    std::vector<int8_t> sample(64, -128);
    for (int channel = 0; channel < 4; ++channel) Play(channel, sample.data(), 32, 44100, 64);
    StereoFrame frames[10];
    MixFrames(frames, 10);
    for (const StereoFrame& f : frames) {
        ASSERT_EQ(f.left, -32766);
        ASSERT_EQ(f.right, -32766);
    }
    SmoothChunk(frames, 10);
    EXPECT_EQ(frames[0].left, -32766);
    for (int i = 1; i < 9; ++i) EXPECT_EQ(frames[i].left, -32765) << i;
    EXPECT_EQ(frames[9].right, -32766);
}

TEST(MixFrames, TickScheduleAcrossBlocks) {
    OpenAt(44100, true);
    StereoFrame frames[4000];
    MixFrames(frames, 0);
    MixFrames(frames, -3);
    MixFrames(nullptr, 100);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(mixer.tickCounter, 0);
    MixFrames(frames, 4000);
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(mixer.tickCounter, 472);
    MixFrames(frames, 4000);
    EXPECT_EQ(ticks, 9);
    EXPECT_EQ(mixer.tickCounter, 62);
    MixFrames(frames, 1);
    EXPECT_EQ(ticks, 9);
    EXPECT_EQ(mixer.tickCounter, 63);
}

std::vector<int8_t> tickSample(64, 60);
int StartChannelZero() {
    ++ticks;
    SetChannelSample(0, tickSample.data());
    SetChannelLength(0, 32);
    StartChannel(0);
    SetChannelLength(0, 1);  // play the 64 bytes once
    mixer.channels[0].rate = 44100;
    SetChannelVolume(0, 64);
    return 0;
}

TEST(MixFrames, TickComesBeforeTheChunkThatCompletesThePeriod) {
    OpenAt(44100, false);
    mixer.tickCallback = StartChannelZero;
    mixer.tickCounter = 800;
    StereoFrame frames[1000];
    MixFrames(frames, 1000);
    // The tick completing the period ran before the 82-frame chunk, so the
    // channel it started sounds from frame 0; the next tick precedes the
    // following full chunk at frame 82.
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(frames[0].left, mixer.volumeTables[64][60]);
    EXPECT_EQ(frames[63].left, mixer.volumeTables[64][60]);
    EXPECT_EQ(frames[64].left, 0);
    EXPECT_EQ(frames[81].left, 0);
    EXPECT_EQ(frames[82].left, mixer.volumeTables[64][60]);
    EXPECT_EQ(frames[82 + 64].left, 0);
    EXPECT_EQ(frames[999].left, 0) << "no tick before the 36-frame tail";
    EXPECT_EQ(mixer.tickCounter, 1000 - 82 - 882);
}

TEST(MixFrames, UnconfiguredMixerRendersNothing) {
    ResetMixerState();
    StereoFrame frames[4] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    MixFrames(frames, 4);
    EXPECT_EQ(frames[0].left, 1);
}

}  // namespace
