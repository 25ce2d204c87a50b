#pragma once
// Frequency and volume macros: mnemonic byte code with labels, encoded into
// 64-byte slots, and checked so that the replayer never runs off a slot or
// loops within one tick for ever.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"
#include "replayer/module_format.h"
#include "source_blocks.h"
#include "symbols.h"

struct MacroInstruction {
    int line = 0;
    int position = 0;     // within the body
    int size = 1;
    bool isValue = false; // note value (frequency) or volume value
    uint8_t code = 0;
    int operand = 0;      // Hold ticks, Loop target instruction, JumpMacro slot
    SourceSpan text;      // the command with its operands, or the value
    SourceSpan labelText; // the label that marks it ("name:"), when one does
};

struct Macro {
    std::string name;
    int line = 0;
    bool isVolume = false;
    std::array<uint8_t, module_format::MacroBytes> bytes{};  // volume macros: header then body
    std::vector<MacroInstruction> code;
    int frequencyMacro = 0;     // volume macros: slot named in the header
    int highestRelativeNote = 0;  // frequency macros: largest relative note value
};

// Reads one freq or vol block; names in the symbol tables must already be
// complete (jumps and the header may name later macros).
Macro ReadMacro(const SourceBlock& block, const SymbolTables& symbols, ProblemLog& problems);

// Checks every entry point: the step of one tick must end, and no path may
// run past the last instruction. Needs all frequency macros for JumpMacro.
void CheckFrequencyFlow(const std::vector<Macro>& macros, ProblemLog& problems);
void CheckVolumeFlow(const Macro& macro, ProblemLog& problems);

// Highest relative note a frequency macro can produce, following JumpMacro.
int HighestRelativeNote(const std::vector<Macro>& macros, int slot);
