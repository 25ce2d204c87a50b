#pragma once
// A module image read into its records the way the loader reads it: counts
// from the length fields, parts from the offset fields, samples and
// waveforms from the descriptors. Every read is clamped to the image, so any
// bytes give a view.
#include <array>
#include <cstdint>
#include <vector>

#include "replayer/module_format.h"

using Record = std::array<uint8_t, module_format::MacroBytes>;  // a pattern or a macro

struct ModuleView {
    module_format::Format format = module_format::Format::Fc14;
    std::vector<std::array<uint8_t, module_format::SequenceEntryBytes>> sequence;
    std::vector<Record> patterns;
    std::vector<Record> freqMacros;
    std::vector<Record> volMacros;
    struct Sound {
        uint16_t words = 0;  // 0 or 1: an empty slot
        uint16_t repeatStart = 0;
        uint16_t repeatWords = 1;
        std::vector<int8_t> data;
    };
    std::vector<Sound> samples;  // up to the last slot that holds data
    std::vector<Sound> waves;    // "FC14": up to the last waveform that holds data
};

// False when the image is too short for its format's fixed part.
bool ReadModuleView(const std::vector<uint8_t>& image, ModuleView& view);

// Rows a pattern plays: up to its first end marker, else 32.
int PatternRowsOf(const Record& pattern);

// Ticks of one pass, as the assembler's summary counts them (speed 3 until an
// entry sets one; each entry lasts as long as its voice 0 pattern).
long SongTicksOf(const ModuleView& view);
