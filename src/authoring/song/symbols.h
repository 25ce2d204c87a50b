#pragma once
// Names a musician gives to sounds, macros and patterns, mapped to the numbers
// the module stores.
#include <map>
#include <string>

#include "replayer/module_format.h"

using ModuleFormat = module_format::Format;

struct SymbolTables {
    ModuleFormat format = ModuleFormat::Fc14;
    std::map<std::string, int> soundEntries;  // sample and wave names -> sample table entry
    std::map<std::string, int> freqMacros;    // frequency macro name -> slot
    std::map<std::string, int> volMacros;     // volume macro (instrument) name -> slot
    std::map<std::string, int> patterns;      // pattern name -> slot
};

// Sample table entries that the byte codes can select (6-bit operand).
constexpr int SelectableEntries = 64;
constexpr int FirstWaveEntry = module_format::SampleCount;  // waves follow the samples
