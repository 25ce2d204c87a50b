#include <gtest/gtest.h>
#include "fake_channels.h"
#include "module_builder.h"
#include "replayer/replayer.h"

namespace {

// Voice 0 plays one note at row 0 with the given macros; rows come every 255
// ticks, so the note's macros run undisturbed. Voices 1..3 play nothing.
class VoiceMacros : public ::testing::Test {
protected:
    void SetUp() override {
        ResetReplayerState();
        module.waveformLengths[0] = 16;  // sample table entry 10: bytes 0..31
        module.waveformLengths[1] = 8;   // entry 11: bytes 32..47
    }
    void Play(const Slot& frequencyMacro, const Slot& volumeMacro, uint8_t note,
              int8_t noteTranspose = 0, uint8_t info = 0, uint8_t nextInfo = 0) {
        // The played macros take slot 0; macros added before move up.
        module.frequencyMacros.insert(module.frequencyMacros.begin(), frequencyMacro);
        module.volumeMacros.insert(module.volumeMacros.begin(), volumeMacro);
        module.patterns = {Pattern({{note, info}, {0, nextInfo}}), Pattern({})};
        module.Entry({0, 1, 1, 1}, 255, noteTranspose);
        LoadAndPlay(module.Build());
    }
    // Runs `count` ticks and returns what reached channel 0 after each.
    std::vector<long> Periods(int count) {
        std::vector<long> periods;
        for (int i = 0; i < count; ++i) {
            ReplayerTick();
            periods.push_back(LastPeriod(0));
        }
        return periods;
    }
    std::vector<long> Volumes(int count) {
        std::vector<long> volumes;
        for (int i = 0; i < count; ++i) {
            ReplayerTick();
            volumes.push_back(LastVolume(0));
        }
        return volumes;
    }
    std::vector<int> MacroNotes(int count) {
        std::vector<int> notes;
        for (int i = 0; i < count; ++i) {
            ReplayerTick();
            notes.push_back(replayer.voices[0].macroNote);
        }
        return notes;
    }
    std::vector<long> Offsets(std::vector<long> periods, long base) {
        for (long& period : periods) period -= base;
        return periods;
    }
    ModuleBuilder module;
    const Slot plainVolume = VolumeMacro(1, 0, {64, 0xE1});
};

TEST_F(VoiceMacros, ArpeggioLoopExecutesTargetAtOnce) {
    Play(Bytes({0xE2, 10, 0x00, 0x03, 0x07, 0x0C, 0xE0, 0x03}), plainVolume, 24);
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Stop Sample:0 Length:16 Start Sample:0 Length:16");
    EXPECT_EQ(replayer.voices[0].macroNote, 0);
    EXPECT_EQ(MacroNotes(7), (std::vector<int>{3, 7, 12, 3, 7, 12, 3}));
    EXPECT_EQ(LastPeriod(0), PeriodTable[27]);
}

TEST_F(VoiceMacros, FixedNoteIgnoresNoteAndTransposes) {
    Play(Bytes({0xA5, 0xE1}), plainVolume, 50, 7);
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 202);
    // Relative notes wrap in 8 bits, then to 7: 100 + 50 + 7 = 157 -> 29.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({100, 0xE1}), plainVolume, 50, 7);
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), PeriodTable[29]);
}

TEST_F(VoiceMacros, HoldTimings) {
    // Frequency Hold 3 met at tick 2: the next byte runs at tick 5.
    Play(Bytes({0x01, 0xE8, 0x03, 0x02, 0xE8, 0x00, 0x04, 0xE1}),
         VolumeMacro(1, 0, {10, 0xE8, 0x03, 20, 0xE1}), 24);
    std::vector<int> notes;
    std::vector<long> volumes;
    for (int tick = 1; tick <= 7; ++tick) {
        ReplayerTick();
        notes.push_back(replayer.voices[0].macroNote);
        volumes.push_back(LastVolume(0));
    }
    // Hold 0 executes the following byte in the same tick.
    EXPECT_EQ(notes, (std::vector<int>{1, 1, 1, 1, 2, 4, 4}));
    // Volume Hold 3 at tick 2 with speed 1: the next step at tick 6.
    EXPECT_EQ(volumes, (std::vector<long>{10, 10, 10, 10, 10, 20, 20}));
}

TEST_F(VoiceMacros, VolumeSpeedZeroStepsEvery256Ticks) {
    Play(Bytes({0x00, 0xE1}), VolumeMacro(0, 0, {1, 2, 3}), 24);
    std::vector<long> volumes = Volumes(512);
    EXPECT_EQ(volumes[254], 0);   // tick 255
    EXPECT_EQ(volumes[255], 1);   // tick 256
    EXPECT_EQ(volumes[510], 1);
    EXPECT_EQ(volumes[511], 2);   // tick 512
}

TEST_F(VoiceMacros, VibratoScalesByOctave) {
    const std::vector<long> factor2 = {-4, -8, -8, -4, 0, 4, 8, 4, 0, -4, -8, -8};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 2, 4, 0), 40);
    EXPECT_EQ(Offsets(Periods(12), PeriodTable[40]), factor2);

    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 2, 4, 0), 61);  // factor 1 above 47
    EXPECT_EQ(Offsets(Periods(9), PeriodTable[61]),
              (std::vector<long>{-2, -4, -4, -2, 0, 2, 4, 2, 0}));

    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 2, 4, 0), 5);
    EXPECT_EQ(Offsets(Periods(8), PeriodTable[5]),
              (std::vector<long>{-32, -64, -64, -32, 0, 32, 64, 32}));

    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 2, 4, 2), 40);
    EXPECT_EQ(Offsets(Periods(6), PeriodTable[40]), (std::vector<long>{0, 0, -4, -8, -8, -4}));
}

TEST_F(VoiceMacros, VibratoWrapsIn8Bits) {
    // Depth 200: top = 400 mod 256 = 144, centre 72; the swing starts above top.
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 100, 200, 0), 61);
    EXPECT_EQ(Offsets(Periods(8), PeriodTable[61]),
              (std::vector<long>{28, -72, -72, 28, 72, -28, -72, 28}));

    // Depth 120 (top 240), speed 130: a rising value that passes 255 wraps
    // below top and keeps rising.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {64}, 130, 120, 0), 61);
    EXPECT_EQ(Offsets(Periods(5), PeriodTable[61]), (std::vector<long>{-120, 10, -116, 14, -112}));
}

TEST_F(VoiceMacros, VibratoCommandKeepsValueAndDelay) {
    Play(Bytes({0x00, 0xE3, 0x02, 0x04, 0x00, 0xE1}), VolumeMacro(1, 0, {64}, 0, 0, 1), 40);
    ReplayerTick();  // the delay of 1 runs out
    ReplayerTick();  // E3: speed 2, depth 4; value stays 0 (header depth 0)
    EXPECT_EQ(replayer.voices[0].vibratoSpeed, 2);
    EXPECT_EQ(replayer.voices[0].vibratoDepth, 4);
    // Value 0 falling: jumps to 0 and turns; then rises 2, 4, 6, 8 and falls.
    EXPECT_EQ(LastPeriod(0) - PeriodTable[40], -8);
    EXPECT_EQ(Offsets(Periods(5), PeriodTable[40]), (std::vector<long>{-4, 0, 4, 8, 4}));
}

TEST_F(VoiceMacros, PatternPortamento) {
    struct Case {
        uint8_t operand;
        std::vector<long> offsets;
    };
    const Case cases[] = {{5, {-5, -5, -10, -10, -15}}, {0x25, {5, 5, 10, 10, 15}}, {0x20, {0, 0, 0, 0, 0}}};
    for (const Case& c : cases) {
        ResetReplayerState();
        module = ModuleBuilder{};
        Play(Bytes({0x00, 0xE1}), plainVolume, 24, 0, 0x80, c.operand);
        EXPECT_EQ(Offsets(Periods(5), PeriodTable[24]), c.offsets) << int(c.operand);
    }
}

TEST_F(VoiceMacros, PitchSlideIsUnsigned) {
    Play(Bytes({0xEA, 0x90, 0x03, 0x85, 0xE1}), plainVolume, 24);
    EXPECT_EQ(Offsets(Periods(8), PeriodTable[5]),
              (std::vector<long>{-144, -144, -288, -288, -432, -432, -432, -432}));
}

TEST_F(VoiceMacros, PeriodClamp) {
    Play(Bytes({0x00, 0xE1}), plainVolume, 72);  // 6848 before the clamp
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 3424);
    replayer.voices[0].pitchOffset = 100 - 6848;
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 113);
    replayer.voices[0].pitchOffset = 4000 - 6848;
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 3424);
    replayer.voices[0].pitchOffset = 30000;  // 36848 reads negative in 16 bits
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 113);
    replayer.voices[0].pitchOffset = 113 - 6848;
    ReplayerTick();
    EXPECT_EQ(LastPeriod(0), 113);
}

TEST_F(VoiceMacros, VolumeSlides) {
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {40, 0xEA, 0xFC, 0x05, 50}), 24);
    EXPECT_EQ(Volumes(3), (std::vector<long>{40, 0, 50}));
    EXPECT_EQ(replayer.voices[0].volumeSlideTime, 0);

    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {10, 0xEA, 0x03, 0x04, 50}), 24);
    EXPECT_EQ(Volumes(9), (std::vector<long>{10, 13, 13, 16, 16, 19, 19, 22, 50}));

    // A time of 0 still takes the immediate step and leaves 255 steps to go.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {0xEA, 0x01, 0x00, 50}), 24);
    EXPECT_EQ(Volumes(3), (std::vector<long>{1, 1, 2}));
    EXPECT_EQ(replayer.voices[0].volumeSlideTime, 254);
}

TEST_F(VoiceMacros, VolumeValuesPassUnchanged) {
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {80, 0xF0, 0xE2, 0xE1}), 24);
    EXPECT_EQ(Volumes(4), (std::vector<long>{80, -16, -30, -30}));
}

TEST_F(VoiceMacros, VolumeLoopTargets) {
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {10, 20, 0xE0, 0x05}), 24);
    EXPECT_EQ(Volumes(5), (std::vector<long>{10, 20, 10, 20, 10}));

    // Target 2 reads the header from its vibrato speed byte on as byte code.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {10, 0xE0, 0x02}, 7, 9, 0), 24);
    EXPECT_EQ(Volumes(5), (std::vector<long>{10, 7, 9, 0, 10}));

    // Target 0 lands on the speed byte: position -5 reads inside the slot.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0x00, 0xE1}), VolumeMacro(1, 0, {10, 0xE0, 0x00}), 24);
    EXPECT_EQ(Volumes(3), (std::vector<long>{10, 1, 0}));
    EXPECT_EQ(replayer.voices[0].volumePosition, -3);
}

TEST_F(VoiceMacros, NoteStartWithVolumeSpeed2) {
    Play(Bytes({0x00, 0xE1}), VolumeMacro(2, 0, {33, 0xE1}), 24);
    EXPECT_EQ(Volumes(2), (std::vector<long>{0, 33}));

    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0xE2, 10, 0x00, 0xE1}), VolumeMacro(2, 0, {33, 0xE1}), 24);
    EXPECT_EQ(Volumes(1), (std::vector<long>{33}));

    // A volume slide still running holds the macro back.
    ResetReplayerState();
    module = ModuleBuilder{};
    Play(Bytes({0xE2, 10, 0x00, 0xE1}), VolumeMacro(2, 0, {33, 0xE1}), 24);
    replayer.voices[0].volumeSlideTime = 2;
    replayer.voices[0].volumeSlideSpeed = 1;
    EXPECT_EQ(Volumes(1), (std::vector<long>{1}));
}

TEST_F(VoiceMacros, StopVoiceThenSetWave) {
    Play(Bytes({0xE9, 0x00, 0x00, 0x05, 0xE8, 0x02, 0xE2, 11, 0x06, 0xE1}), plainVolume, 24);
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Stop");
    EXPECT_EQ(replayer.voices[0].macroNote, 5);
    channelCalls.clear();
    ReplayerTick();
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "");
    EXPECT_EQ(Describe(CallsOf(0, true)), "Period:320 Volume:64 Period:320 Volume:64");
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Sample:32 Length:8 Start Sample:32 Length:8");
    EXPECT_EQ(replayer.voices[0].macroNote, 6);
}

TEST_F(VoiceMacros, ChangeWaveLatchesWithoutRestart) {
    Play(Bytes({0xE4, 11, 0x03, 0xE1}), plainVolume, 24);
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Sample:32 Length:8");
    EXPECT_EQ(replayer.voices[0].macroNote, 3);
}

TEST_F(VoiceMacros, SampleWithLoop) {
    module.samples[0] = {100, 20, 40};
    Play(Bytes({0xE2, 0x40, 0x00, 0xE1}), plainVolume, 24);  // 0x40 & 0x3F = entry 0
    ReplayerTick();
    EXPECT_EQ(Describe(CallsOf(0)), "Stop Stop Sample:0 Length:100 Start Sample:20 Length:40");
}

TEST_F(VoiceMacros, JumpMacroAndLoopTargets) {
    // Jump to macro 1, whose first byte (a Loop) runs at once; a Loop target
    // holding E0 or E1 is a note value, not another Loop or End.
    module.frequencyMacros.push_back(Bytes({0xE0, 0x02, 0xE0, 0x05, 0xE0, 0x06, 0xE1}));
    Play(Bytes({0xE7, 0x01}), plainVolume, 24);
    std::vector<int> notes = MacroNotes(4);
    EXPECT_EQ(replayer.voices[0].frequencyMacro, 1);
    EXPECT_EQ(notes, (std::vector<int>{-32, 5, -31, 0}));
}

}  // namespace
