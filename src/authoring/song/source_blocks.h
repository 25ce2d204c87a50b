#pragma once
// First stage of the assembler: splits the text into blocks. A block starts
// at a directive line (format, wave, sample, freq, vol, pattern, sequence, raw)
// and
// takes every following line up to the next directive. Comments run from ';'
// to the end of the line; tokens are separated by blanks.
#include <string>
#include <vector>

#include "authoring/problem.h"

struct SourceLine {
    int number = 0;
    std::vector<std::string> tokens;
};

enum class BlockKind { Format, Wave, Sample, Freq, Vol, Pattern, Sequence, Raw };

struct SourceBlock {
    BlockKind kind = BlockKind::Format;
    SourceLine header;             // the directive line itself
    std::vector<SourceLine> body;  // non-empty lines that follow it
};

std::vector<SourceBlock> SplitBlocks(const std::string& text, ProblemLog& problems);
