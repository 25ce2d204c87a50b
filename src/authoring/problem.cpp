#include "authoring/problem.h"

#include <cstdio>
#include <utility>

std::string FormatProblem(const Problem& problem, const std::string& program) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // operator+ with a string literal.
    std::string text = problem.file.empty() ? program : problem.file;
    if (!problem.file.empty() && problem.line > 0) {
        text.append(":");
        text.append(std::to_string(problem.line));
    }
    text.append(": ");
    text.append(problem.reason);
    return text;
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string ProblemsAsJson(const std::vector<Problem>& problems, const std::string& program) {
    std::string out = "[";
    for (const Problem& problem : problems) {
        if (out.size() > 1) out += ',';
        out += "{\"file\":";
        AppendJsonString(out, problem.file);
        out += ",\"line\":" + std::to_string(problem.line);
        out += ",\"column\":" + std::to_string(problem.column);
        out += ",\"reason\":";
        AppendJsonString(out, problem.reason);
        out += ",\"message\":";
        AppendJsonString(out, FormatProblem(problem, program));
        out += '}';
    }
    return out + "]";
}

void ProblemLog::Error(int line, int column, const std::string& reason) {
    if (Full()) {
        ++notKept_;
        return;
    }
    kept_.push_back(Problem{file_, line, column, reason});
}

void ProblemLog::Add(Problem problem) {
    if (Full()) {
        ++notKept_;
        return;
    }
    kept_.push_back(std::move(problem));
}

void ProblemLog::Absorb(const ProblemLog& other) {
    for (const Problem& problem : other.kept_) Add(problem);
    notKept_ += other.notKept_;
}

std::vector<Problem> ProblemLog::Problems() const {
    std::vector<Problem> all = kept_;
    if (notKept_ > 0) all.push_back(Problem{"", 0, 0, std::to_string(notKept_) + " more errors not shown"});
    return all;
}
