#include "replayer/replayer.h"

const int16_t PeriodTable[128] = {
    1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960,  906,
    856,  808,  762,  720,  678,  640,  604,  570,  538,  508,  480,  453,
    428,  404,  381,  360,  339,  320,  302,  285,  269,  254,  240,  226,
    214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113,
    113,  113,  113,  113,  113,  113,  113,  113,  113,  113,  113,  113,
    3424, 3232, 3048, 2880, 2712, 2560, 2416, 2280, 2152, 2032, 1920, 1812,
    6848, 6464, 6096, 5760, 5424, 5120, 4832, 4560, 4304, 4064, 3840, 3624,
    // 84..127 repeat 0..43
    1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960,  906,
    856,  808,  762,  720,  678,  640,  604,  570,  538,  508,  480,  453,
    428,  404,  381,  360,  339,  320,  302,  285,  269,  254,  240,  226,
    214,  202,  190,  180,  170,  160,  151,  143,
};

namespace {

struct WaveformBlock {
    int8_t bytes[BuiltinWaveformBytes];
};

constexpr int8_t Wave42[32] = {69,  69,  121, 125, 122, 119, 112, 102, 97,  88,  83,
                                77,  44,  32,  24,  18,  4,   -37, -45, -51, -58, -68,
                                -75, -82, -88, -93, -99, -103, -109, -114, -117, -118};
constexpr int8_t Wave43[32] = {69,  69,  121, 125, 122, 119, 112, 102, 91,  75,  67,
                                55,  44,  32,  24,  18,  4,   -8,  -24, -37, -49, -58,
                                -66, -80, -88, -92, -98, -102, -107, -108, -115, -125};
constexpr int8_t Wave44[16] = {0, 0, 64, 96, 127, 96, 64, 32, 0, -32, -64, -96, -128, -96, -64, -32};

constexpr int Abs(int value) { return value < 0 ? -value : value; }

// Byte i of built-in waveform w, for every waveform but 46 (which is 40 then 41).
constexpr int WaveformByte(int w, int i) {
    if (w <= 15) {
        if (i < 16) return i == 1 ? -64 : -8 * Abs(i - 8);
        // The first w bytes of the second half are pulled down by 128.
        return i < 16 + w ? -128 + 8 * Abs(i - 24) : 8 * Abs(i - 24) - 1;
    }
    if (w <= 29) return i < 16 + (w - 16) ? -127 : 127;
    if (w <= 31) return i < w ? -128 : 127;
    if (w <= 39) {
        int low = 8 - ((w == 39 ? 38 : w) - 32);
        return i < low ? -128 : 127;
    }
    if (w == 40) return i < 2 ? -128 : (i == 31 ? 127 : -128 + 8 * i);
    if (w == 41) return i < 2 ? -128 : -128 + 16 * i;
    if (w == 42) return Wave42[i];
    if (w == 43) return Wave43[i];
    return Wave44[i];
}

constexpr WaveformBlock MakeBuiltinWaveforms() {
    WaveformBlock block{};
    int offset = 0;
    for (int w = 0; w < BuiltinWaveformCount; ++w) {
        int bytes = BuiltinWaveformLengths[w] * 2;
        for (int i = 0; i < bytes; ++i) {
            int source = w;
            int at = i;
            if (w == 46) {
                source = i < 32 ? 40 : 41;
                at = i < 32 ? i : i - 32;
            }
            block.bytes[offset + i] = static_cast<int8_t>(WaveformByte(source, at));
        }
        offset += bytes;
    }
    return block;
}

constexpr WaveformBlock BuiltinWaveformStore = MakeBuiltinWaveforms();

}  // namespace

const int8_t (&BuiltinWaveforms)[BuiltinWaveformBytes] = BuiltinWaveformStore.bytes;
