#include <gtest/gtest.h>
#include "fake_channels.h"
#include "module_builder.h"
#include "replayer/replayer.h"
#include "replayer/replayer_internal.h"

// Module data that name nothing, loop for ever or point past the stores.
namespace {

class Robustness : public ::testing::Test {
protected:
    void SetUp() override {
        ResetReplayerState();
        channelCalls.clear();
    }
    ModuleBuilder module;
};

TEST_F(Robustness, NumbersThatNameNoSlotAreSilent) {
    module.frequencyMacros.push_back(Bytes({0xE2, 10, 0x00, 0xE1}));
    module.volumeMacros.push_back(VolumeMacro(1, 0, {40}));
    module.volumeMacros.push_back(VolumeMacro(1, 0x90, {41}));  // frequency macro -112
    module.waveformLengths[0] = 16;
    module.patterns.push_back(Pattern({{10, 0x00}, {10, 0x01}, {10, 0x02}}));
    // Voice 0: pattern 0x85 (no slot); voices 1..3: pattern 0 with sound transposes.
    module.Entry({0}, 1);
    module.sequence[0][0] = 0x85;
    module.sequence[0][5] = static_cast<uint8_t>(-3);  // voice 1: instruments -3, -2, -1
    LoadAndPlay(module.Build());
    Ticks(2);
    EXPECT_EQ(replayer.voices[0].pattern, NoPattern);
    EXPECT_EQ(replayer.voices[0].note, 0);
    EXPECT_EQ(Describe(CallsOf(0)), "");
    EXPECT_EQ(Describe(CallsOf(1)), "Stop Stop");
    EXPECT_EQ(replayer.voices[1].volumeMacro, SilentVolumeMacro);
    EXPECT_EQ(replayer.voices[1].frequencyMacro, SilentMacroSlot);
    // Voice 2 row 1: instrument 1 names frequency macro 0x90: volume runs, no wave.
    EXPECT_EQ(replayer.voices[2].frequencyMacro, SilentMacroSlot);
    EXPECT_EQ(replayer.voices[2].volumeMacro, 64 + 5);
    EXPECT_EQ(LastVolume(2), 41);
    EXPECT_EQ(Describe(CallsOf(2)), "Stop Stop Sample:0 Length:16 Start Sample:0 Length:16 Stop");
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(1)), "Stop Stop Stop");
}

TEST_F(Robustness, ModuleWithoutFrequencyMacros) {
    module.volumeMacros.push_back(VolumeMacro(1, 0, {40}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.Entry({0}, 1);
    LoadAndPlay(module.Build());
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].frequencyMacro, SilentMacroSlot);
    EXPECT_EQ(Describe(CallsOf(0)), "Stop");
    EXPECT_EQ(LastVolume(0), 40);
}

TEST_F(Robustness, RunawayMacrosAreCutOffEachTick) {
    module.frequencyMacros.push_back(Bytes({0xE8, 0x00, 0xE0, 0x00}));  // Hold 0 / Loop cycle
    module.frequencyMacros.push_back(Bytes({0xE7, 0x01}));              // jumps to itself
    module.frequencyMacros.push_back(Bytes({0xE7, 0xC0}));              // jump to no slot
    module.volumeMacros.push_back(VolumeMacro(1, 0, {0xE0, 0x05}));     // loops on itself
    module.volumeMacros.push_back(VolumeMacro(1, 1, {0xE0, 0x05}));
    module.volumeMacros.push_back(VolumeMacro(1, 2, {30, 0xE1}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.patterns.push_back(Pattern({{10, 1}}));
    module.patterns.push_back(Pattern({{10, 2}}));
    module.Entry({0, 1, 2, 2}, 50);
    LoadAndPlay(module.Build());
    for (int tick = 0; tick < 20; ++tick) {
        uint32_t before = replayer.macroBytesExecuted;
        ASSERT_EQ(ReplayerTick(), 0);
        EXPECT_LE(replayer.macroBytesExecuted - before, 8u * MacroStepByteLimit);
        EXPECT_GE(replayer.macroBytesExecuted - before, 4u * MacroStepByteLimit) << "cycles not reached";
    }
    EXPECT_EQ(replayer.voices[2].frequencyMacro, SilentMacroSlot);
    EXPECT_EQ(LastVolume(2), 30);
    EXPECT_EQ(LastPeriod(0), PeriodTable[10]);
}

TEST_F(Robustness, MacrosReadOnIntoTheNextSlotButNotPastTheStore) {
    Slot first{};
    first.fill(0x01);
    module.frequencyMacros.push_back(first);
    module.frequencyMacros.push_back(Bytes({0x02, 0xE1}));
    module.volumeMacros.push_back(VolumeMacro(1, 0, {}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.Entry({0}, 255);
    LoadAndPlay(module.Build());
    Ticks(64);
    EXPECT_EQ(replayer.voices[0].macroNote, 1);
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].macroNote, 2);

    EXPECT_EQ(FrequencyMacroByte(SilentMacroSlot, 0), 0xE1);
    EXPECT_EQ(FrequencyMacroByte(SilentMacroSlot, 64), 0xE1);
    EXPECT_EQ(FrequencyMacroByte(0, 0xFFFFFFF0u), 0xE1);
    EXPECT_EQ(VolumeMacroByte(SilentVolumeMacro, 64), 0xE1);
    EXPECT_EQ(VolumeMacroByte(5, -6), 0xE1);
    EXPECT_EQ(PatternByte(NoPattern, 0), 0);
    EXPECT_EQ(PatternByte(255, 65), 0);
    // A macro running off the store's end stops there for good.
    replayer.song.frequencyMacros[SilentMacroSlot][0] = 0x03;
    replayer.voices[0].frequencyMacro = SilentMacroSlot;
    replayer.voices[0].frequencyPosition = 62;
    replayer.song.frequencyMacros[SilentMacroSlot][62] = 0xE2;  // operands past the store
    Ticks(3);
    EXPECT_EQ(replayer.voices[0].frequencyPosition, 65u);
}

TEST_F(Robustness, SampleSegmentsStayInsideSampleMemory) {
    module.samples[0] = {40949, 0, 1};   // 81898 bytes + 2: ends at 81900
    module.samples[1] = {0, 0, 0};       // empty, at 81900
    module.samples[2] = {0, 0, 0};
    module.samples[3] = {0, 0, 0};
    module.waveformLengths[0] = 16;      // entry 10 at 81900: straddles the end
    module.waveformLengths[1] = 16;      // entry 11 at 81932: past the end
    module.frequencyMacros.push_back(Bytes({0xE2, 0, 0, 0xE2, 1, 0, 0xE2, 10, 0, 0xE2, 11, 0, 0xE4, 11, 0}));
    module.volumeMacros.push_back(VolumeMacro(1, 0, {64}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.Entry({0, 1, 1, 1}, 255);
    module.patterns.push_back(Pattern({}));
    LoadAndPlay(module.Build());
    std::vector<std::string> steps;
    for (int tick = 0; tick < 5; ++tick) {
        channelCalls.clear();
        ReplayerTick();
        steps.push_back(Describe(CallsOf(0)));
    }
    EXPECT_EQ(steps[0], "Stop Stop Sample:0 Length:40949 Start Sample:0 Length:1");
    // Empty sample at 81900 while 2 bytes are latched: the address stays.
    EXPECT_EQ(steps[1], "Stop Sample:81900 Length:0 Start Sample:81900 Length:0");
    EXPECT_EQ(steps[2], "Stop Sample:81900 Length:10 Start Sample:81900 Length:10");
    EXPECT_EQ(steps[3], "Stop Sample:0 Length:0 Start Sample:0 Length:0");
    EXPECT_EQ(steps[4], "Sample:0 Length:0");
}

TEST_F(Robustness, EmptySampleAfterLongOneMovesTheAddress) {
    module.samples[0] = {40949, 0, 40949};
    module.frequencyMacros.push_back(Bytes({0xE2, 0, 0, 0xE2, 1, 0}));
    module.volumeMacros.push_back(VolumeMacro(1, 0, {64}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.patterns.push_back(Pattern({}));
    module.Entry({0, 1, 1, 1}, 255);
    LoadAndPlay(module.Build());
    ReplayerTick();
    channelCalls.clear();
    ReplayerTick();
    // 81898 bytes still latched would not fit behind 81900.
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Sample:0 Length:0 Start Sample:0 Length:0");
}

TEST_F(Robustness, FailedLoadDoesNotPlay) {
    std::vector<uint8_t> junk(400, 0x55);
    replayer.replayerReady = replayer.playing = replayer.soundEnabled = 1;
    EXPECT_EQ(LoadModule(junk.data()), 1);
    EXPECT_EQ(LoadModuleChecked(junk.data(), junk.size(), nullptr, 0), 1);
    EXPECT_EQ(ReplayerTick(), 1);
    EXPECT_TRUE(channelCalls.empty());
}

}  // namespace
