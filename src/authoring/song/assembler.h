#pragma once
// The module assembler: turns module source text into the parts of a module
// and lays them out as an "FC14" or "SMOD" image.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"
#include "macro_code.h"
#include "raw_bytes.h"
#include "song_code.h"
#include "sound_data.h"
#include "symbols.h"

struct AssembledModule {
    ModuleFormat format = ModuleFormat::Fc14;
    std::vector<SequenceEntry> sequence;
    std::vector<Pattern> patterns;
    std::vector<Macro> freqMacros;
    std::vector<Macro> volMacros;
    std::vector<SoundData> samples;  // sample table entries 0..9
    std::vector<SoundData> waves;    // "FC14": entries 10 onward
    RawImage raw;                    // applied to the laid-out image last
};

// Assembles `text`, read from `fileName`: no problem when the source is right.
// At most MaxProblemsKept problems are kept, then one counting the rest.
std::vector<Problem> AssembleSource(const std::string& text, const std::string& fileName,
                                    AssembledModule& module);

// The same into a log of the caller's: false when the source is wrong.
// `blocks`, when given, receives the source's blocks as they were read.
bool AssembleSource(const std::string& text, ProblemLog& problems, AssembledModule& module,
                    std::vector<SourceBlock>* blocks = nullptr);

// The module bytes: header, sequence, patterns, macros, samples, waveforms;
// then the raw blocks.
std::vector<uint8_t> BuildModuleImage(const AssembledModule& module);

// Bytes of sample memory the module fills (samples with their 2 trailing
// bytes, then the module's or the built-in waveforms).
long SampleMemoryUsed(const AssembledModule& module);

// One line about the module: format, counts, size and song length.
std::string DescribeModule(const AssembledModule& module, size_t imageBytes);
