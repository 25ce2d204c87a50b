#pragma once
// Lays out an "FC14" or "SMOD" module image from its parts: the counterpart of
// the loader, used by the module assembler and by tests. Not part of the
// intro, which only reads modules.
#include <array>
#include <cstdint>
#include <vector>

#include "replayer/module_format.h"

struct ModuleParts {
    module_format::Format format = module_format::Format::Fc14;
    std::vector<std::array<uint8_t, module_format::SequenceEntryBytes>> sequence;
    std::vector<std::array<uint8_t, module_format::PatternBytes>> patterns;
    std::vector<std::array<uint8_t, module_format::MacroBytes>> frequencyMacros;
    std::vector<std::array<uint8_t, module_format::MacroBytes>> volumeMacros;
    struct Sample {
        uint16_t length = 0;        // words; 0 or 1 = empty
        uint16_t repeatStart = 0;   // bytes
        uint16_t repeatLength = 0;  // words
    } samples[module_format::SampleCount];
    uint8_t waveformLengths[module_format::Fc14WaveformCount] = {};  // words, "FC14" only
    // Written as given behind the macros: the non-empty samples, each followed
    // by its spare bytes, then the "FC14" waveforms (PackSounds lays them out).
    std::vector<uint8_t> sampleData;
};

// A sample given by its bytes.
struct ModuleSample {
    std::vector<int8_t> data;   // even size; the length in words is size / 2
    uint16_t repeatStart = 0;   // bytes
    uint16_t repeatLength = 1;  // words; 1 = play once
};

// Fills the descriptors of the first samples (at most 10), the "FC14"
// waveform lengths (at most 80, each cut to 128 words) and `sampleData` as
// the loader expects them: each non-empty sample followed by its spare zero
// bytes, then the waveforms with no gap. Descriptors past the samples given
// keep their values.
void PackSounds(const std::vector<ModuleSample>& samples,
                const std::vector<std::vector<int8_t>>& waveforms, ModuleParts& parts);

// Offsets and lengths in the header point at the parts as laid out; the
// waveform offset (field 36) is where the samples' bytes end.
std::vector<uint8_t> WriteModule(const ModuleParts& parts);
