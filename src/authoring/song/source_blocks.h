#pragma once
// First stage of the assembler: splits the text into blocks. A block starts
// at a directive line (format, wave, sample, freq, vol, pattern, sequence, raw)
// and
// takes every following line up to the next directive. Comments run from ';'
// to the end of the line; tokens are separated by blanks.
#include <string>
#include <vector>

#include "authoring/problem.h"

// Where an element was written: its line (from 1; 0 = not written) and its
// byte columns within that line, from `column` (0 = the line's first byte)
// up to, not including, `end`.
struct SourceSpan {
    int line = 0;
    int column = 0;
    int end = 0;
};

struct SourceLine {
    int number = 0;
    std::vector<std::string> tokens;
    std::vector<int> columns;  // where each token starts
    // Tokens first .. first + count - 1 (clamped to the line's tokens).
    SourceSpan Span(size_t first, size_t count = 1) const;
};

enum class BlockKind { Format, Wave, Sample, Freq, Vol, Pattern, Sequence, Raw };

struct SourceBlock {
    BlockKind kind = BlockKind::Format;
    SourceLine header;             // the directive line itself
    std::vector<SourceLine> body;  // non-empty lines that follow it
    int lastLine = 0;              // the last line with a token, the header's when none
};

std::vector<SourceBlock> SplitBlocks(const std::string& text, ProblemLog& problems);
