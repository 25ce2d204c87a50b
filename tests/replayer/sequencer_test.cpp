#include <gtest/gtest.h>
#include "fake_channels.h"
#include "module_builder.h"
#include "replayer/replayer.h"

namespace {

class Sequencer : public ::testing::Test {
protected:
    void SetUp() override {
        ResetReplayerState();
        channelCalls.clear();
        // Instrument 0: volume 40 for ever, frequency macro 0 plays the note.
        module.volumeMacros.push_back(VolumeMacro(1, 0, {40, 0xE1}));
        module.frequencyMacros.push_back(Bytes({0x00, 0xE1}));
    }
    ModuleBuilder module;
};

int StopsOn(int channel) {
    int stops = 0;
    for (const ChannelCall& call : CallsOf(channel)) stops += call.operation == "Stop";
    return stops;
}

TEST_F(Sequencer, FirstTickPlaysRow0OfEntry0) {
    module.patterns.push_back(Pattern({{10, 0}, {0, 0}}));
    module.patterns.push_back(Pattern({{20, 0}}));
    module.Entry({0, 1, 0, 1}, 0, 2).Entry({1});
    LoadAndPlay(module.Build());
    EXPECT_EQ(ReplayerTick(), 0);
    EXPECT_EQ(replayer.song.songPosition, 0);
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(replayer.voices[v].note, v % 2 ? 20 : 10) << v;
        EXPECT_EQ(replayer.voices[v].noteTranspose, 2);
        EXPECT_EQ(replayer.voices[v].rowOffset, 2u);
        EXPECT_EQ(StopsOn(v), 1) << v;
        EXPECT_EQ(LastVolume(v), 40);
    }
    // Note 10 + transpose 2 -> index 12.
    EXPECT_EQ(LastPeriod(0), PeriodTable[12]);
}

TEST_F(Sequencer, SpeedGovernsRowTicks) {
    module.patterns.push_back(Pattern({}));
    module.Entry({0}, 3).Entry({0}, 2);
    LoadAndPlay(module.Build());
    std::vector<uint32_t> offsets;
    for (int tick = 1; tick <= 7; ++tick) {
        ReplayerTick();
        offsets.push_back(replayer.voices[0].rowOffset);
    }
    EXPECT_EQ(offsets, (std::vector<uint32_t>{2, 2, 2, 4, 4, 4, 6}));

    // Entry 1's speed 2 takes effect in the row pass that makes it current.
    while (replayer.song.songPosition != 16 || replayer.voices[0].rowOffset != 2) ReplayerTick();
    EXPECT_EQ(replayer.song.speed, 2);
    EXPECT_EQ(replayer.song.speedCounter, 2);
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].rowOffset, 2u);
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].rowOffset, 4u);
}

TEST_F(Sequencer, EndMarkerAndPositionAdvance) {
    Slot shortPattern = Pattern({});
    shortPattern[32] = 0x49;  // row 16 ends the pattern
    module.patterns.push_back(shortPattern);
    module.patterns.push_back(Pattern({{30, 0}}));
    module.patterns.push_back(Pattern({{40, 0}}));
    // Voice 0 plays the short pattern, the others full ones.
    module.Entry({0, 1, 1, 1}, 1).Entry({2}).Entry({1});
    LoadAndPlay(module.Build());
    Ticks(16);
    EXPECT_EQ(replayer.song.songPosition, 0);
    ReplayerTick();  // row 16 of voice 0: next entry, its row 0
    EXPECT_EQ(replayer.song.songPosition, 16);
    EXPECT_EQ(replayer.voices[0].pattern, 2);
    EXPECT_EQ(replayer.voices[0].note, 40);
    EXPECT_EQ(replayer.voices[0].rowOffset, 2u);
    EXPECT_EQ(replayer.voices[1].pattern, 1);  // still on entry 0's pattern, row 16
    EXPECT_EQ(replayer.voices[1].rowOffset, 34u);
    Ticks(15);
    ReplayerTick();  // voices 1..3 end together in one pass: one advance
    EXPECT_EQ(replayer.song.songPosition, 32);
    for (int v = 1; v < 4; ++v) EXPECT_EQ(replayer.voices[v].pattern, 1) << v;
    EXPECT_EQ(replayer.voices[0].pattern, 2);
    Ticks(16);
    ReplayerTick();  // voice 0 ends the 32 rows of pattern 2: wraps to entry 0
    EXPECT_EQ(replayer.song.songPosition, 0);
    EXPECT_EQ(replayer.voices[0].pattern, 0);
}

TEST_F(Sequencer, EmptySequenceStaysOnEntry0) {
    module.patterns.push_back(Pattern({{12, 0}}));
    LoadAndPlay(module.Build());
    EXPECT_EQ(replayer.song.sequenceEnd, 0);
    EXPECT_EQ(replayer.song.songPosition, 0);
    ReplayerTick();
    EXPECT_EQ(replayer.song.songPosition, 0);
    EXPECT_EQ(replayer.voices[3].pattern, 0);
    EXPECT_EQ(replayer.voices[3].note, 12);
    EXPECT_EQ(replayer.song.speed, 3);
}

TEST_F(Sequencer, PortamentoBitsAndNoteByte0x80) {
    module.patterns.push_back(Pattern({
        {10, 0x80},  // row 0: note, operand from row 1
        {0, 0x05},   // row 1: no flags: portamento runs on
        {0x80, 0x80},  // row 2: no note, but clears pitchOffset and re-reads
        {0, 0x25},
        {0, 0x40},   // row 4: bit 6 alone turns it off
    }));
    module.Entry({0}, 1);
    LoadAndPlay(module.Build());
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].portamento, 0x05);
    EXPECT_EQ(replayer.voices[0].pitchOffset, -5);  // phase 1 on the first tick
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].portamento, 0x05);
    EXPECT_EQ(replayer.voices[0].pitchOffset, -5);
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].portamento, 0x25);
    EXPECT_EQ(replayer.voices[0].pitchOffset, 5);  // cleared, then +5
    EXPECT_EQ(replayer.voices[0].note, 10);
    EXPECT_EQ(StopsOn(0), 1);  // 0x80 starts no note
    ReplayerTick();
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].portamento, 0);
}

TEST_F(Sequencer, Row31OperandFromNextSlot) {
    Slot pattern = Pattern({});
    pattern[62] = 12;
    pattern[63] = 0x80;
    module.patterns.push_back(pattern);
    module.patterns.push_back(Pattern({{0, 0x2A}}));
    module.Entry({0}, 1);
    LoadAndPlay(module.Build());
    Ticks(32);
    EXPECT_EQ(replayer.voices[0].note, 12);
    EXPECT_EQ(replayer.voices[0].portamento, 0x2A);
}

TEST_F(Sequencer, InstrumentsAndFrequencyMacroClamp) {
    for (int i = 1; i < 10; ++i) module.frequencyMacros.push_back(Bytes({static_cast<uint8_t>(i), 0xE1}));
    module.volumeMacros.push_back(VolumeMacro(1, 100, {50}, 0, 3, 0));  // names macro 100 of 10
    module.patterns.push_back(Pattern({{10, 1}, {10, 2}, {10, 0}}));    // instrument 2 == count
    module.Entry({0}, 1);
    LoadAndPlay(module.Build());
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].frequencyMacro, 9);
    EXPECT_EQ(replayer.voices[0].macroNote, 9);
    EXPECT_EQ(replayer.voices[0].vibratoDepth, 3);
    EXPECT_EQ(replayer.voices[0].vibratoValue, 3);
    EXPECT_EQ(replayer.voices[0].vibratoFlags, 0x40);
    EXPECT_EQ(replayer.voices[0].volumeMacro, 1 * 64 + 5);
    channelCalls.clear();
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop");
    EXPECT_EQ(replayer.voices[0].volumeMacro, SilentVolumeMacro);
    EXPECT_EQ(replayer.voices[0].frequencyMacro, SilentMacroSlot);
    EXPECT_EQ(replayer.voices[0].volumeSpeed, 0);
    EXPECT_EQ(replayer.voices[0].vibratoFlags, 0);
    EXPECT_EQ(LastVolume(0), 50);  // volume is kept, the channel is stopped
    ReplayerTick();
    EXPECT_EQ(replayer.voices[0].frequencyMacro, 0);
}

TEST_F(Sequencer, SoundTransposeAndSilentWithoutSound) {
    module.volumeMacros.push_back(VolumeMacro(1, 0, {20}));
    module.patterns.push_back(Pattern({{10, 0}}));
    module.Entry({0}, 1, 0, 1);  // sound transpose 1: instrument 0 becomes 1
    LoadAndPlay(module.Build());
    replayer.soundEnabled = 0;
    ReplayerTick();
    EXPECT_TRUE(channelCalls.empty());
    EXPECT_EQ(replayer.voices[0].volume, 20);
}

TEST_F(Sequencer, TickNeedsFlagsAndALoadedModule) {
    module.patterns.push_back(Pattern({{10, 0}}));
    module.Entry({0});
    std::vector<uint8_t> image = module.Build();
    // Nothing loaded yet: the tick refuses even with both flags set.
    replayer.replayerReady = replayer.playing = replayer.soundEnabled = 1;
    EXPECT_EQ(ReplayerTick(), 1);
    EXPECT_TRUE(channelCalls.empty());
    LoadAndPlay(image);
    replayer.playing = 0;
    EXPECT_EQ(ReplayerTick(), 1);
    EXPECT_EQ(replayer.song.speedCounter, 1);
    replayer.playing = 1;
    replayer.replayerReady = 0;
    EXPECT_EQ(ReplayerTick(), 1);
    replayer.replayerReady = 1;
    EXPECT_EQ(ReplayerTick(), 0);
    EXPECT_EQ(replayer.voices[0].note, 10);
    ClearReplayerStores();
    EXPECT_EQ(ReplayerTick(), 1);
}

}  // namespace
