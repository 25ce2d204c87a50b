#include "diagnostics.h"

#include <cstdint>

bool AssembleSource(const std::string& text, Diagnostics& diagnostics, AssembledModule& module) {
    ProblemLog problems(diagnostics.fileName_, SIZE_MAX);  // as before: every message
    const bool assembled = AssembleSource(text, problems, module);
    for (const Problem& problem : problems.Problems())
        diagnostics.messages_.push_back(FormatProblem(problem, diagnostics.fileName_));
    return assembled;
}
