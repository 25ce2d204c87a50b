#pragma once
// Lays out an "FC14" or "SMOD" module image from its parts: the counterpart of
// the loader, used by the module assembler and by tests. Not part of the
// intro, which only reads modules.
#include <array>
#include <cstdint>
#include <vector>

struct ModuleParts {
    bool fc14 = true;
    std::vector<std::array<uint8_t, 13>> sequence;
    std::vector<std::array<uint8_t, 64>> patterns;
    std::vector<std::array<uint8_t, 64>> frequencyMacros;
    std::vector<std::array<uint8_t, 64>> volumeMacros;
    struct Sample {
        uint16_t length = 0;        // words; 0 or 1 = empty
        uint16_t repeatStart = 0;   // bytes
        uint16_t repeatLength = 0;  // words
    } samples[10];
    uint8_t waveformLengths[80] = {};  // words, "FC14" only
    // Written as given behind the macros: the non-empty samples, each followed
    // by 2 spare bytes, then the "FC14" waveforms.
    std::vector<uint8_t> sampleData;
};

// Offsets and lengths in the header point at the parts as laid out; the
// waveform offset (field 36) is where the samples' bytes end.
std::vector<uint8_t> WriteModule(const ModuleParts& parts);
