#pragma once
// Small "FC14" and "SMOD" modules for tests, laid out by the module writer:
// header, sequence, patterns, macros, samples and (FC14) waveforms.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "replayer/module_writer.h"

using Slot = std::array<uint8_t, module_format::MacroBytes>;
using SampleDescriptor = ModuleParts::Sample;

// The parts of a module with helpers to fill them. When `sampleData` is left
// empty, Build fills it with a ramp of the size the descriptors need.
struct ModuleBuilder : ModuleParts {
    // One sequence entry: the same pattern for all voices unless given per voice.
    ModuleBuilder& Entry(std::initializer_list<uint8_t> patternPerVoice, uint8_t speed = 0,
                         int8_t noteTranspose = 0, int8_t soundTranspose = 0);
    std::vector<uint8_t> Build() const;
    // Where the sequence starts in the built image.
    int FixedPartBytes() const { return module_format::FixedPartBytes(format); }
};

// A pattern from (note, info) rows; the rest of its 32 rows are empty.
Slot Pattern(std::initializer_list<std::pair<uint8_t, uint8_t>> rows);
Slot Bytes(std::initializer_list<uint8_t> bytes);
// A volume macro: header (speed, frequency macro, vibrato speed, depth, delay), then body.
Slot VolumeMacro(uint8_t speed, uint8_t frequencyMacro, std::initializer_list<uint8_t> body,
                 uint8_t vibratoSpeed = 0, uint8_t vibratoDepth = 0, uint8_t vibratoDelay = 0);

// In replayer_test_support.cpp (needs the replayer and the fake channels):
// Loads `image` through LoadModuleChecked and switches the replayer on with
// sound enabled, clearing the recorded channel calls.
void LoadAndPlay(const std::vector<uint8_t>& image);
// Runs `count` ticks.
void Ticks(int count);
