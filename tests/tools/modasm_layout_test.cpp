// The module bytes modasm lays out: header fields, sample and waveform data,
// macro byte code, pattern rows and sequence entries.
#include <gtest/gtest.h>

#include "modasm_test_support.h"

namespace {

const char* const LayoutSong = R"(
format FC14
sample hit   noise words=100 seed=3
sample gap   data
  0 0 5 -5
sample loopy saw words=50 loop=20,10
wave w16  square words=16 amp=100
wave w8   pulse  words=8 width=4
wave wbig saw    words=128

freq arp
  SetWave w16 0
up: 3 7 12
  Loop up
freq drum
  SetWave hit =A-3
  StopVoice 0  Vibrato 2 3 5  PitchSlide 144 3 0  ChangeWave wbig 0  Hold 4
  JumpMacro arp

vol lead freq=arp speed=2 vibrato=1,4,9
  Ramp 60 40 3 Hold 7 VolumeSlide -2 5
top: 30
  Loop top
vol hit freq=drum
  64 End
vol spare freq=arp
  20 End

pattern a inst=lead
  C-2
  --- *3
  E-2 hit porta up 5
  ---
  G-2 porta down 3
  ---
  --- porta off
  end
pattern b inst=lead
  C#3 *7

sequence
  a a+5 a-3/1 a speed=4
  b b b b *2
)";

TEST(ModasmLayout, HeaderOffsetsAndLengthsChainThroughTheImage) {
    AssemblyResult r = AssembleText(LayoutSong);
    ASSERT_TRUE(r.ok) << (r.errors.empty() ? "" : r.errors[0]);
    const auto& image = r.image;
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "FC14");
    EXPECT_EQ(U32At(image, 4), 3u * 13);
    EXPECT_EQ(U32At(image, 8), 180u + 3 * 13);   // patterns follow the sequence
    EXPECT_EQ(U32At(image, 12), 2u * 64);
    EXPECT_EQ(U32At(image, 16), U32At(image, 8) + U32At(image, 12));
    EXPECT_EQ(U32At(image, 20), 2u * 64);
    EXPECT_EQ(U32At(image, 24), U32At(image, 16) + U32At(image, 20));
    EXPECT_EQ(U32At(image, 28), 3u * 64);
    const uint32_t sampleOffset = U32At(image, 32);
    EXPECT_EQ(sampleOffset, U32At(image, 24) + U32At(image, 28));
    // Each non-empty sample takes its words * 2 + 2 bytes.
    const uint32_t sampleBytes = (100 * 2 + 2) + (2 * 2 + 2) + (50 * 2 + 2);
    EXPECT_EQ(U32At(image, 36), sampleOffset + sampleBytes);
    EXPECT_EQ(image.size(), sampleOffset + sampleBytes + (16 + 8 + 128) * 2);
}

TEST(ModasmLayout, SampleDescriptorsAndWaveformTable) {
    AssemblyResult r = AssembleText(LayoutSong);
    ASSERT_TRUE(r.ok);
    const auto& image = r.image;
    // length in words, repeat start in bytes, repeat length in words
    EXPECT_EQ(U16At(image, 40), 100);
    EXPECT_EQ(U16At(image, 42), 0);
    EXPECT_EQ(U16At(image, 44), 1);  // plays once
    EXPECT_EQ(U16At(image, 46), 2);
    EXPECT_EQ(U16At(image, 52), 50);
    EXPECT_EQ(U16At(image, 54), 20);
    EXPECT_EQ(U16At(image, 56), 10);
    for (size_t s = 3; s < 10; ++s) {
        EXPECT_EQ(U16At(image, 40 + 6 * s), 0) << "sample " << s;
        EXPECT_EQ(U16At(image, 44 + 6 * s), 1) << "sample " << s;
    }
    EXPECT_EQ(image[100], 16);
    EXPECT_EQ(image[101], 8);
    EXPECT_EQ(image[102], 128);
    for (size_t w = 3; w < 80; ++w) EXPECT_EQ(image[100 + w], 0) << "wave " << w;
    // The first waveform follows the last sample's spare bytes directly.
    const uint32_t waveStart = U32At(image, 36);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(static_cast<int8_t>(image[waveStart + i]), 100) << i;
    for (int i = 16; i < 32; ++i) EXPECT_EQ(static_cast<int8_t>(image[waveStart + i]), -100) << i;
}

TEST(ModasmLayout, MacroByteCode) {
    AssemblyResult r = AssembleText(LayoutSong);
    ASSERT_TRUE(r.ok);
    const auto& arp = r.module.freqMacros[0].bytes;
    // SetWave entry 10 (first wave) note 0; 3 7 12; Loop to byte 3
    const uint8_t arpBytes[] = {0xE2, 10, 0, 3, 7, 12, 0xE0, 3};
    for (size_t i = 0; i < sizeof arpBytes; ++i) EXPECT_EQ(arp[i], arpBytes[i]) << i;
    EXPECT_EQ(arp[8], 0);

    const auto& drum = r.module.freqMacros[1].bytes;
    const uint8_t drumBytes[] = {0xE2, 0, 0x80 | 33, 0xE9, 0, 0, 0, 0xE3, 2, 3, 5,
                                 0xEA, 144, 3, 0, 0xE4, 12, 0, 0xE8, 4, 0xE7, 0};
    for (size_t i = 0; i < sizeof drumBytes; ++i) EXPECT_EQ(drum[i], drumBytes[i]) << i;

    const auto& lead = r.module.volMacros[0].bytes;
    // header: speed, frequency macro, vibrato speed, depth, delay; then the
    // ramp, the hold, the slide (speed -2), 30 and a Loop whose target counts
    // from the header's first byte.
    const uint8_t leadBytes[] = {2, 0, 1, 4, 9, 60, 50, 40, 0xE8, 7, 0xEA, 0xFE, 5, 30, 0xE0, 13};
    for (size_t i = 0; i < sizeof leadBytes; ++i) EXPECT_EQ(lead[i], leadBytes[i]) << i;
    EXPECT_EQ(r.module.volMacros[1].bytes[1], 1);  // hit plays freq macro 1
}

TEST(ModasmLayout, PatternRowsCarryPortamentoInTheFollowingRow) {
    AssemblyResult r = AssembleText(LayoutSong);
    ASSERT_TRUE(r.ok);
    const auto& a = r.module.patterns[0].bytes;
    EXPECT_EQ(a[0], 12);  // C-2 = index 12, instrument 0
    EXPECT_EQ(a[1], 0);
    for (int row = 1; row < 4; ++row) EXPECT_EQ(a[2 * row] | a[2 * row + 1], 0) << row;
    EXPECT_EQ(a[8], 16);       // E-2
    EXPECT_EQ(a[9], 0x80 | 1); // portamento flag, instrument 1
    EXPECT_EQ(a[11], 5);       // up 5: the amount in the next row's info byte
    EXPECT_EQ(a[12], 19);      // G-2
    EXPECT_EQ(a[13], 0x80);
    EXPECT_EQ(a[15], 0x20 | 3);  // down 3
    EXPECT_EQ(a[17], 0x40);      // porta off: bit 6 on an empty row
    EXPECT_EQ(a[18], 0x49);      // end marker
    EXPECT_EQ(r.module.patterns[0].rows, 9);
    // Pattern b: seven C#3 then empty rows up to 32.
    const auto& b = r.module.patterns[1].bytes;
    for (int row = 0; row < 7; ++row) EXPECT_EQ(b[2 * row], 25) << row;
    for (int row = 7; row < 32; ++row) EXPECT_EQ(b[2 * row], 0) << row;
    EXPECT_EQ(r.module.patterns[1].rows, 32);
}

TEST(ModasmLayout, SequenceEntriesHoldTransposesAsSignedBytesAndTheSpeed) {
    AssemblyResult r = AssembleText(LayoutSong);
    ASSERT_TRUE(r.ok);
    const auto& image = r.image;
    const uint8_t first[13] = {0, 0, 0, 0, 5, 0, 0, 0xFD, 1, 0, 0, 0, 4};
    for (size_t i = 0; i < 13; ++i) EXPECT_EQ(image[180 + i], first[i]) << i;
    for (size_t e = 1; e < 3; ++e) {
        for (size_t v = 0; v < 4; ++v) EXPECT_EQ(image[180 + 13 * e + 3 * v], 1);
        EXPECT_EQ(image[180 + 13 * e + 12], 0) << "speed unchanged";
    }
    // 9 rows at speed 4, then 2 x 32 rows at speed 4
    EXPECT_EQ(SongTicks(r.module.sequence, r.module.patterns), (9 + 64) * 4);
}

TEST(ModasmLayout, SmodModulesUseBuiltinWaveformsAndAShorterHeader) {
    AssemblyResult r = AssembleText(
        "format SMOD\n"
        "sample s noise words=10\n"
        "freq f\n  SetWave builtin46 0 ChangeWave s 0 End\n"
        "vol v freq=f\n  40 End\n"
        "pattern p inst=v\n  A-2\n"
        "sequence\n  p p p p\n");
    ASSERT_TRUE(r.ok) << r.errors[0];
    const auto& image = r.image;
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "SMOD");
    EXPECT_EQ(U32At(image, 8), 100u + 13);  // the sequence sits at 100
    EXPECT_EQ(image[100 + 12], 0);
    EXPECT_EQ(U32At(image, 36), U32At(image, 32) + 22);
    EXPECT_EQ(image.size(), U32At(image, 32) + 22u);  // no waveform data
    EXPECT_EQ(r.module.freqMacros[0].bytes[1], 10 + 46);
    EXPECT_EQ(SampleMemoryUsed(r.module), 22 + 1344);

    AssemblyResult withWave = AssembleText("format SMOD\nwave w square words=8\n" + MinimalSong().substr(12));
    EXPECT_FALSE(withWave.ok);
    EXPECT_TRUE(HasError(withWave, "test.fcs:2: SMOD modules carry no waves"));
}

WaveShape Shape(const char* generator, long bytes, long amplitude, long period = 0, long width = 0) {
    WaveShape shape;
    shape.generator = generator;
    shape.bytes = bytes;
    shape.amplitude = amplitude;
    shape.period = period;
    shape.width = width;
    return shape;
}

TEST(ModasmGenerators, ShapesSeedsAndDecay) {
    WaveShape pulse = Shape("pulse", 16, 50, 0, 4);
    auto bytes = GenerateWave(pulse);
    ASSERT_EQ(bytes.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], i < 4 ? 50 : -50) << i;

    WaveShape saw = Shape("saw", 32, 127);
    bytes = GenerateWave(saw);
    EXPECT_EQ(bytes.front(), -127);
    EXPECT_EQ(bytes.back(), 127);
    for (size_t i = 1; i < bytes.size(); ++i) EXPECT_GT(bytes[i], bytes[i - 1]) << i;

    WaveShape triangle = Shape("triangle", 16, 100, 8);  // two cycles of 8 bytes
    bytes = GenerateWave(triangle);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], bytes[i + 8]) << i;
    EXPECT_EQ(bytes[0], -100);
    EXPECT_EQ(bytes[4], 100);

    WaveShape noise = Shape("noise", 64, 127);
    noise.seed = 9;
    auto first = GenerateWave(noise);
    EXPECT_EQ(first, GenerateWave(noise)) << "same seed, same noise";
    noise.seed = 10;
    EXPECT_NE(first, GenerateWave(noise));

    WaveShape decaying = Shape("square", 400, 120, 4);
    decaying.halfLife = 100;
    bytes = GenerateWave(decaying);
    EXPECT_EQ(bytes[0], 120);
    EXPECT_EQ(bytes[100], 60);
    EXPECT_EQ(bytes[200], 30);
}

}  // namespace
