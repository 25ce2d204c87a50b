#pragma once
// Songs for tests and benchmarks that need real modules without carrying
// binary files, laid out by the shared ModuleBuilder.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "replayer/module_writer.h"

struct ModuleSpec {
    bool fc14 = true;
    std::vector<std::array<uint8_t, module_format::SequenceEntryBytes>> sequence;
    std::vector<std::array<uint8_t, module_format::PatternBytes>> patterns;
    std::vector<std::array<uint8_t, module_format::MacroBytes>> frequencyMacros;
    std::vector<std::array<uint8_t, module_format::MacroBytes>> volumeMacros;
    std::vector<ModuleSample> samples;                // at most 10
    std::vector<std::vector<int8_t>> waveforms;       // "FC14" only, at most 80
};

std::vector<uint8_t> BuildModule(const ModuleSpec& spec);

// A fixed little song: arpeggio, lead with vibrato and slides, a one-shot drum
// sample and a wave change, over `entries` sequence entries (4 distinct ones
// repeated with transposes). Voice 3's pattern ends after 16 rows, so the
// song advances every 16 rows: about 1.8 s per entry.
ModuleSpec DemoSong(bool fc14, int entries);

// FNV-1a, 64 bits: a stable fingerprint of rendered output.
uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
