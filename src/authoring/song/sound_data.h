#pragma once
// Samples and waveforms: signed 8-bit data given as numbers or made by a
// generator (square, pulse, saw, triangle, sine, noise), with an optional
// exponential decay and, for samples, a repeat part.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"
#include "source_blocks.h"

struct WaveShape {
    std::string generator;  // square, pulse, saw, triangle, sine, noise or data
    long bytes = 0;         // total length, always even
    long amplitude = 127;   // peak value, 1..127
    long period = 0;        // bytes per cycle; 0 = the whole length
    long width = 0;         // pulse: bytes at the high level per cycle
    long seed = 1;          // noise: generator seed
    long halfLife = 0;      // bytes over which the level halves; 0 = no decay
    std::vector<int8_t> data;  // for "data"
};

std::vector<int8_t> GenerateWave(const WaveShape& shape);

struct SoundData {
    std::string name;
    int line = 0;
    std::vector<int8_t> bytes;  // length in words = bytes.size() / 2
    uint16_t repeatStart = 0;   // bytes from the first byte
    uint16_t repeatWords = 1;   // 1 = play once and stop

    uint16_t Words() const { return static_cast<uint16_t>(bytes.size() / 2); }
};

// Reads a `wave` (isSample false: 2..128 words, whole waveform repeats) or a
// `sample` block (2..65535 words, optional loop=START,WORDS).
SoundData ReadSound(const SourceBlock& block, bool isSample, ProblemLog& problems);
