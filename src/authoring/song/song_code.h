#pragma once
// Patterns (32 rows of note and info byte) and the sequence (per entry and
// voice: pattern, note transpose, sound transpose; then the speed).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"
#include "macro_code.h"
#include "source_blocks.h"
#include "symbols.h"


struct NoteUse {
    int note = 0;        // period index 1..47
    int instrument = 0;  // 0..63 before the sound transpose
    int line = 0;
};

enum class Portamento { None, Up, Down, Off };

// One pattern row line as written: the rows it gives and where its parts are.
struct PatternLine {
    int line = 0;
    int firstRow = 0;
    int count = 1;                   // more than 1 when written with *COUNT
    int note = 0;                    // 0 = no note, else period index 1..47
    bool isEnd = false;
    int instrument = -1;             // volume macro slot; -1 = none
    bool instrumentWritten = false;  // on the row rather than the pattern's inst=
    Portamento porta = Portamento::None;
    int portaAmount = 0;
    SourceSpan text, noteText, instrumentText, portaText, repeatText;
};

struct Pattern {
    std::string name;
    int line = 0;
    int defaultInstrument = -1;     // inst= on the pattern line
    std::vector<PatternLine> lines;  // as written, in order
    std::array<uint8_t, module_format::PatternBytes> bytes{};
    int rows = module_format::PatternRows;  // rows played before the end marker
    std::vector<NoteUse> notes;
};

struct SequenceEntry {
    int line = 0;
    SourceSpan voiceText[4];  // PATTERN[+N|-N][/S] of each voice
    SourceSpan speedText;     // speed=N, when written
    SourceSpan repeatText;    // *COUNT, when written
    int repeatIndex = 0;      // which of the line's *COUNT entries this is
    std::array<uint8_t, module_format::SequenceEntryBytes> bytes{};
};

Pattern ReadPattern(const SourceBlock& block, const SymbolTables& symbols, ProblemLog& problems);
std::vector<SequenceEntry> ReadSequence(const SourceBlock& block, const SymbolTables& symbols,
                                        ProblemLog& problems);

// Checks what the transposes do to each entry: every instrument lands on a
// volume macro, every note (with the macro's highest arpeggio step) stays in
// C-1..B-4, and the four patterns of an entry last equally long.
void CheckSequence(const std::vector<SequenceEntry>& sequence, const std::vector<Pattern>& patterns,
                   const std::vector<Macro>& freqMacros, const std::vector<Macro>& volMacros,
                   ProblemLog& problems);

// Ticks from entry 0 until the sequence returns to entry 0 (50 ticks a second).
long SongTicks(const std::vector<SequenceEntry>& sequence, const std::vector<Pattern>& patterns);
