#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "fake_channels.h"
#include "module_builder.h"
#include "replayer/replayer.h"

namespace {

class Loader : public ::testing::Test {
protected:
    void SetUp() override { ResetReplayerState(); }
};

void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

TEST_F(Loader, ReadsBigEndianUnsigned) {
    const uint8_t bytes[] = {0x00, 0x00, 0x80, 0x00, 0xFF, 0xFE};
    EXPECT_EQ(ReadU32BE(bytes), 32768u);
    EXPECT_EQ(ReadU16BE(bytes + 4), 0xFFFEu);
    const uint8_t high[] = {0xF0, 0x01, 0x02, 0x03};
    EXPECT_EQ(ReadU32BE(high), 0xF0010203u);
}

TEST_F(Loader, WorkedSampleExample) {
    ModuleBuilder module;
    module.samples[0].length = 100;
    module.samples[2].length = 1;
    module.samples[3] = {50, 4, 10};
    module.waveformLengths[0] = 16;
    module.waveformLengths[2] = 8;
    module.Entry({0});
    auto image = module.Build();
    ASSERT_EQ(LoadModule(image.data()), 0);
    const uint32_t starts[] = {0, 202, 202, 202, 304, 304, 304, 304, 304, 304};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(replayer.song.sampleTable[i].start, starts[i]) << i;
    EXPECT_EQ(replayer.song.sampleTable[3].repeatStart, 4);
    EXPECT_EQ(replayer.song.sampleTable[3].repeatLength, 10);
    EXPECT_EQ(replayer.song.sampleTable[10].start, 304u);
    EXPECT_EQ(replayer.song.sampleTable[11].start, 336u);
    EXPECT_EQ(replayer.song.sampleTable[12].start, 336u);
    EXPECT_EQ(replayer.song.sampleTable[13].start, 352u);
    EXPECT_EQ(replayer.song.sampleTable[10].repeatLength, 16);
    EXPECT_EQ(replayer.song.sampleTable[10].repeatStart, 0);
    // Samples and waveforms come over in one run.
    size_t dataOffset = ReadU32BE(image.data() + 32);
    EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory, image.data() + dataOffset, 352));
    EXPECT_EQ(replayer.song.sampleMemory[352], 0);
}

TEST_F(Loader, CountsAreCutTo8Bits) {
    ModuleBuilder module;
    auto image = module.Build();
    image.resize(image.size() + 20000);
    PutU32(image, 4, 27);     // two entries and a remainder
    PutU32(image, 12, 100);   // one pattern
    PutU32(image, 20, 16384); // 256 macros: none
    PutU32(image, 28, 300 * 64);
    ASSERT_EQ(LoadModule(image.data()), 0);
    EXPECT_EQ(replayer.song.sequenceCount, 2);
    EXPECT_EQ(replayer.song.sequenceEnd, 32);
    EXPECT_EQ(replayer.song.songPosition, 32);
    EXPECT_EQ(replayer.song.patternCount, 1);
    EXPECT_EQ(replayer.song.frequencyMacroCount, 0);
    EXPECT_EQ(replayer.song.volumeMacroCount, 44);
    EXPECT_EQ(replayer.song.frequencyMacros[255][0], 0xE1);
    EXPECT_EQ(replayer.song.volumeMacros[255][0], 0xE1);
}

TEST_F(Loader, SpeedAndVoiceStart) {
    ModuleBuilder module;
    module.Entry({0}, 0);
    auto image = module.Build();
    ASSERT_EQ(LoadModule(image.data()), 0);
    EXPECT_EQ(replayer.song.speed, 3);
    EXPECT_EQ(replayer.song.speedCounter, 1);

    ModuleBuilder fast;
    fast.Entry({0}, 6).Entry({0}, 2);
    image = fast.Build();
    replayer.voices[2].volume = 55;
    replayer.song.positionAdvanced = 1;
    ASSERT_EQ(LoadModule(image.data()), 0);
    EXPECT_EQ(replayer.song.speed, 6);
    EXPECT_EQ(replayer.song.speedCounter, 1);
    EXPECT_EQ(replayer.song.positionAdvanced, 0);
    for (const VoiceState& voice : replayer.voices) {
        EXPECT_EQ(voice.rowOffset, 64u);
        EXPECT_EQ(voice.volumeSpeed, 1);
        EXPECT_EQ(voice.volumeCounter, 1);
        EXPECT_EQ(voice.volumeMacro, SilentVolumeMacro);
        EXPECT_EQ(voice.frequencyMacro, SilentMacroSlot);
        EXPECT_EQ(voice.volume, 0);
        EXPECT_EQ(voice.pattern, NoPattern);
    }
    EXPECT_EQ(replayer.moduleLoaded, 1);
}

TEST_F(Loader, UnknownMagicChangesNothing) {
    ModuleBuilder module;
    module.Entry({3}, 5);
    module.patterns.push_back(Pattern({{10, 1}}));
    auto image = module.Build();
    ASSERT_EQ(LoadModule(image.data()), 0);
    replayer.song.songPosition = 48;
    replayer.voices[1].volume = 33;
    SongState* before = new SongState(replayer.song);
    VoiceState voicesBefore[4];
    std::memcpy(voicesBefore, replayer.voices, sizeof replayer.voices);

    std::vector<uint8_t> zeros(image.size(), 0);
    EXPECT_EQ(LoadModule(zeros.data()), 1);
    char reason[200];
    EXPECT_EQ(LoadModuleChecked(zeros.data(), zeros.size(), reason, sizeof reason), 1);
    EXPECT_NE(std::string(reason).find("FC14"), std::string::npos) << reason;
    image[0] = 'X';
    EXPECT_EQ(LoadModule(image.data()), 1);
    EXPECT_EQ(0, std::memcmp(&replayer.song, before, sizeof replayer.song));
    EXPECT_EQ(0, std::memcmp(replayer.voices, voicesBefore, sizeof replayer.voices));
    delete before;
}

TEST_F(Loader, SmodUsesBuiltinWaveforms) {
    ModuleBuilder module;
    module.format = module_format::Format::Smod;
    module.samples[0] = {2, 0, 2};
    module.Entry({0}, 4);
    auto image = module.Build();
    ASSERT_EQ(LoadModule(image.data()), 0);
    EXPECT_EQ(replayer.song.speed, 4);
    EXPECT_EQ(replayer.song.sequence[0][12], 4);
    // A 2-word sample takes 6 bytes; the waveforms follow at once.
    EXPECT_EQ(replayer.song.sampleTable[1].start, 6u);
    EXPECT_EQ(replayer.song.sampleTable[10].start, 6u);
    EXPECT_EQ(replayer.song.sampleTable[10].length, 16);
    EXPECT_EQ(replayer.song.sampleTable[56].start, 6u + 1296u);
    EXPECT_EQ(replayer.song.sampleTable[56].length, 24);
    EXPECT_EQ(replayer.song.sampleTable[57].length, 0);
    EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory + 6, BuiltinWaveforms, 1344));
}

TEST_F(Loader, SampleMemoryCuts) {
    // FC14: ten 65535-word samples far exceed sample memory; it fills exactly.
    ModuleBuilder module;
    for (SampleDescriptor& sample : module.samples) sample.length = 65535;
    module.waveformLengths[0] = 200;  // cut to 128 words
    auto image = module.Build();
    ASSERT_EQ(LoadModule(image.data()), 0);
    EXPECT_EQ(replayer.song.sampleTable[1].start, 131072u);
    EXPECT_EQ(replayer.song.sampleTable[10].length, 128);
    EXPECT_EQ(replayer.song.sampleTable[10].repeatLength, 128);
    EXPECT_EQ(replayer.song.sampleTable[11].start, replayer.song.sampleTable[10].start + 256);
    size_t dataOffset = ReadU32BE(image.data() + 32);
    EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory, image.data() + dataOffset, SampleMemoryBytes));

    // SMOD: samples past the end leave no room for the waveforms, nothing overflows.
    ResetReplayerState();
    module.format = module_format::Format::Smod;
    module.samples[1].length = 0;
    for (int i = 2; i < 10; ++i) module.samples[i].length = 0;
    module.samples[0].length = 40500;  // 81002 bytes: 918 left for waveforms
    image = module.Build();
    ASSERT_EQ(LoadModuleChecked(image.data(), image.size(), nullptr, 0), 0);
    EXPECT_EQ(replayer.song.sampleTable[10].start, 81002u);
    EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory + 81002, BuiltinWaveforms, 918));
}

TEST_F(Loader, CheckedLoadNamesTheField) {
    ModuleBuilder module;
    module.Entry({0});
    module.patterns.resize(10);
    auto image = module.Build();
    char reason[256];
    auto truncated = image;
    truncated.resize(ReadU32BE(image.data() + 8) + 300);
    size_t patternOffset = ReadU32BE(image.data() + 8);
    ASSERT_EQ(LoadModuleChecked(truncated.data(), truncated.size(), reason, sizeof reason), 1);
    std::string expected = "pattern data (offset " + std::to_string(patternOffset) +
                           ", length 640) ends at " + std::to_string(patternOffset + 640) +
                           ", past the end of the " + std::to_string(truncated.size()) +
                           "-byte module";
    EXPECT_EQ(std::string(reason), expected);
    EXPECT_EQ(replayer.moduleLoaded, 0);
    EXPECT_EQ(replayer.song.patternCount, 0);

    auto shortHeader = image;
    shortHeader.resize(150);
    ASSERT_EQ(LoadModuleChecked(shortHeader.data(), shortHeader.size(), reason, sizeof reason), 1);
    EXPECT_NE(std::string(reason).find("180 bytes"), std::string::npos) << reason;

    auto farSamples = image;
    PutU32(farSamples, 32, 0xFFFFFFF0u);
    farSamples[40 + 1] = 4;  // sample 0: 4 words
    ASSERT_EQ(LoadModuleChecked(farSamples.data(), farSamples.size(), reason, sizeof reason), 1);
    EXPECT_NE(std::string(reason).find("sample data (offset 4294967280, length 10)"),
              std::string::npos)
        << reason;

    auto longSequence = image;
    PutU32(longSequence, 4, 13 * 200);
    ASSERT_EQ(LoadModuleChecked(longSequence.data(), longSequence.size(), reason, sizeof reason), 1);
    EXPECT_NE(std::string(reason).find("sequence (offset 180, length 2600)"), std::string::npos)
        << reason;

    EXPECT_EQ(LoadModuleChecked(image.data(), 3, reason, sizeof reason), 1);
    EXPECT_NE(std::string(reason).find("3 bytes"), std::string::npos) << reason;
    EXPECT_EQ(replayer.moduleLoaded, 0);
    EXPECT_EQ(LoadModuleChecked(image.data(), image.size(), reason, sizeof reason), 0);
    EXPECT_EQ(replayer.song.patternCount, 10);
}

}  // namespace
