#include <gtest/gtest.h>
#include <cstring>
#include <numeric>
#include "replayer/replayer.h"

namespace {

int WaveformStart(int w) {
    int offset = 0;
    for (int i = 0; i < w; ++i) offset += BuiltinWaveformLengths[i] * 2;
    return offset;
}
const int8_t* Waveform(int w) { return BuiltinWaveforms + WaveformStart(w); }

TEST(PeriodTable, RowsAndRepeats) {
    EXPECT_EQ(PeriodTable[0], 1712);
    EXPECT_EQ(PeriodTable[37], 202);
    EXPECT_EQ(PeriodTable[47], 113);
    for (int i = 48; i < 60; ++i) EXPECT_EQ(PeriodTable[i], 113) << i;
    EXPECT_EQ(PeriodTable[60], 3424);
    EXPECT_EQ(PeriodTable[72], 6848);
    EXPECT_EQ(PeriodTable[83], 3624);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(PeriodTable[i], 2 * PeriodTable[12 + i]) << i;
        EXPECT_EQ(PeriodTable[60 + i], 4 * PeriodTable[12 + i]) << i;
        EXPECT_EQ(PeriodTable[72 + i], 8 * PeriodTable[12 + i]) << i;
    }
    for (int i = 84; i < 128; ++i) EXPECT_EQ(PeriodTable[i], PeriodTable[i - 84]) << i;
    EXPECT_EQ(PeriodTable[127], 143);
}

TEST(BuiltinWaveforms, LengthsAndOffsets) {
    EXPECT_EQ(std::accumulate(BuiltinWaveformLengths, BuiltinWaveformLengths + 47, 0), 672);
    EXPECT_EQ(sizeof BuiltinWaveforms, 1344u);
    for (int w = 0; w < 32; ++w) EXPECT_EQ(WaveformStart(w), 32 * w) << w;
    for (int j = 0; j < 8; ++j) EXPECT_EQ(WaveformStart(32 + j), 1024 + 16 * j) << j;
    const int expected[] = {1152, 1184, 1200, 1232, 1264, 1280, 1296};
    for (int j = 0; j < 7; ++j) EXPECT_EQ(WaveformStart(40 + j), expected[j]) << 40 + j;
    EXPECT_EQ(WaveformStart(47), 1344);
}

TEST(BuiltinWaveforms, RampsWithReplacedBytes) {
    const int8_t* base = Waveform(0);
    EXPECT_EQ(base[0], -64);
    EXPECT_EQ(base[1], -64);
    EXPECT_EQ(base[2], -48);
    EXPECT_EQ(base[8], 0);
    EXPECT_EQ(base[15], -56);
    EXPECT_EQ(base[16], 63);
    EXPECT_EQ(base[24], -1);
    const int8_t* last = Waveform(15);
    EXPECT_EQ(last[16], -64);
    EXPECT_EQ(last[24], -128);
    EXPECT_EQ(last[30], -80);
    EXPECT_EQ(last[31], 55);
    // Waveform k pulls exactly the first k bytes of the second half down to
    // -128..-64; the others stay in -1..63.
    for (int k = 0; k < 16; ++k)
        for (int i = 16; i < 32; ++i)
            EXPECT_EQ(Waveform(k)[i] <= -64, i < 16 + k) << k << ' ' << i;
}

TEST(BuiltinWaveforms, PulsesAndCopies) {
    for (int w = 16; w < 30; ++w) {
        int low = 0;
        for (int i = 0; i < 32; ++i) low += Waveform(w)[i] == -127;
        EXPECT_EQ(low, w) << w;
        EXPECT_EQ(Waveform(w)[31], 127);
    }
    EXPECT_EQ(Waveform(30)[29], -128);
    EXPECT_EQ(Waveform(30)[30], 127);
    EXPECT_EQ(Waveform(31)[30], -128);
    EXPECT_EQ(Waveform(31)[31], 127);
    EXPECT_EQ(Waveform(32)[7], -128);
    EXPECT_EQ(Waveform(32)[8], 127);
    EXPECT_EQ(0, std::memcmp(Waveform(39), Waveform(38), 16));
    EXPECT_EQ(Waveform(38)[1], -128);
    EXPECT_EQ(Waveform(38)[2], 127);
    EXPECT_EQ(0, std::memcmp(Waveform(44), Waveform(45), 16));
    EXPECT_EQ(0, std::memcmp(Waveform(46), Waveform(40), 32));
    EXPECT_EQ(0, std::memcmp(Waveform(46) + 32, Waveform(41), 16));
    EXPECT_EQ(Waveform(40)[2], -112);
    EXPECT_EQ(Waveform(40)[30], 112);
    EXPECT_EQ(Waveform(40)[31], 127);
    EXPECT_EQ(Waveform(41)[2], -96);
    EXPECT_EQ(Waveform(41)[15], 112);
    EXPECT_EQ(Waveform(42)[17], -37);
    EXPECT_EQ(Waveform(43)[31], -125);
    EXPECT_EQ(Waveform(44)[12], -128);
    for (int w = 0; w < 47; ++w) EXPECT_EQ(Waveform(w)[1], Waveform(w)[0]) << w;
}

}  // namespace
