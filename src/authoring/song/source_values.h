#pragma once
// Small value parsers shared by the assembler stages: integers, note names,
// names and key=value parameters.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "authoring/problem.h"

// Strict decimal (or 0x hex) integer with optional sign; nothing may follow.
std::optional<long> ParseInteger(const std::string& text);

// Note names run from C-1 (period index 0) to B-4 (index 47): a letter A-G,
// then '-', '#' or 'b', then the octave 1-4. Returns the index.
std::optional<int> ParseNoteName(const std::string& text);
std::string NoteName(int index);

// Names of patterns, macros, samples and waveforms: a letter or '_', then
// letters, digits and '_'.
bool IsName(const std::string& text);

// key=value tokens of a directive line, from token `first` on. Reports unknown
// keys and repeats; `allowed` lists the keys the directive takes.
struct Parameters {
    std::map<std::string, std::string> values;
    std::map<std::string, int> seen;
    bool Has(const std::string& key) const { return values.count(key) != 0; }
};
Parameters ParseParameters(const std::vector<std::string>& tokens, size_t first,
                           const std::vector<std::string>& allowed, int line,
                           ProblemLog& problems);

// Reads an integer parameter within [low, high]; reports and returns fallback
// when it is malformed or out of range.
long IntegerParameter(const Parameters& parameters, const std::string& key, long fallback,
                      long low, long high, int line, ProblemLog& problems);
