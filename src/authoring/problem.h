#pragma once
// One shape for what is wrong with a content source: the file, the line and
// column when known (0 when not), and the reason. The authoring functions
// return a list of them; the tools print them, the maker reads them as data.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct Problem {
    std::string file;  // empty: a problem of the run, not of one file
    int line = 0;
    int column = 0;
    std::string reason;
};

// A person reads at most this many problems of one run; the rest are counted.
constexpr size_t MaxProblemsKept = 20;

// "file:line: reason", "file: reason" without a line, or "program: reason"
// for a problem of the run (no file).
std::string FormatProblem(const Problem& problem, const std::string& program);

// The list as a JSON array of {"file","line","column","reason","message"}
// objects; "message" is the problem as FormatProblem words it for `program`.
std::string ProblemsAsJson(const std::vector<Problem>& problems, const std::string& program);

// Appends `text` to `out` as a JSON string: quoted, with '"', '\\' and
// control characters escaped.
void AppendJsonString(std::string& out, const std::string& text);

// Collects a run's problems: the first MaxProblemsKept are kept, the rest
// only counted, so a source of millions of bad lines costs no more memory
// than one of twenty. Error() reports against the log's file.
class ProblemLog {
public:
    // `keep`: how many are kept; a program reading every problem (the
    // disassembler's retries) keeps them all.
    explicit ProblemLog(std::string file, size_t keep = MaxProblemsKept)
        : file_(std::move(file)), keep_(keep) {}

    void Error(int line, const std::string& reason) { Error(line, 0, reason); }
    void Error(int line, int column, const std::string& reason);
    void Add(Problem problem);
    // Takes over another log's problems, kept and counted.
    void Absorb(const ProblemLog& other);
    bool HasErrors() const { return Count() > 0; }
    size_t Count() const { return kept_.size() + notKept_; }
    // True once no further problem would be kept: a caller may skip building
    // the words of one that would only be counted.
    bool Full() const { return kept_.size() >= keep_; }
    const std::string& FileName() const { return file_; }

    // The kept problems, then, when some were only counted, one problem of
    // the run saying how many more there were ("N more errors not shown").
    std::vector<Problem> Problems() const;

private:
    std::string file_;
    size_t keep_;
    std::vector<Problem> kept_;
    size_t notKept_ = 0;
};
