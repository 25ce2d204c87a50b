#include "authoring/page_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "authoring/text_lines.h"
#include "data/content_pack.h"

namespace {
constexpr char LineBreak = ']';
constexpr char PageEnd = '|';

std::string DescribeByte(unsigned char c) {
    if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    char hex[16];
    std::snprintf(hex, sizeof hex, "byte 0x%02X", c);
    return hex;
}

std::string Hint(char c, const char* charset) {
    if (c >= 'a' && c <= 'z') return " (the font has upper-case letters only)";
    if (c == LineBreak || c == PageEnd) return " (each line of the file is a line of the page)";
    if (c == '\t') return " (use spaces)";
    std::string symbols;
    for (const char* s = charset; *s != '\0'; ++s)
        if (!std::isalnum(static_cast<unsigned char>(*s)) && *s != ' ') symbols += *s;
    return " (use letters, digits, space and " + symbols + ")";
}

std::string TrimEnd(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

// Where the typewriter's cursor is while a page is typed.
struct Cursor {
    int column = 1;
    int line = FirstTextLine;
};

// What is wrong with a typed line: the character it is about and why.
struct LineProblem {
    int column = 0;
    std::string reason;
    bool overflow = false;  // the page runs past its lines
};

// Moves `cursor` over `line` and its line break as the typewriter does, a
// character outside the set taking its place too; returns why the line
// cannot be shown, in the order of the line: its first character outside the
// set and where it first runs past the page, each at most once.
std::vector<LineProblem> TypeLine(const std::string& line, const char* charset, Cursor* cursor) {
    std::vector<LineProblem> problems;
    bool badCharacter = false, overflow = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const int column = static_cast<int>(i + 1);
        if (!badCharacter && (c == '\0' || std::strchr(charset, c) == nullptr)) {
            badCharacter = true;
            problems.push_back({column,
                                "character " + std::to_string(i + 1) + ", " +
                                    DescribeByte(static_cast<unsigned char>(c)) +
                                    ", is not in the font's character set" + Hint(c, charset),
                                false});
        } else if (!overflow && cursor->line > LastShownLine) {
            overflow = true;
            problems.push_back({column,
                                "the page runs past its " + std::to_string(LastShownLine - FirstTextLine + 1) +
                                    " lines (a line over " + std::to_string(PageColumns) +
                                    " characters takes more than one): shorten it or go on in a new page",
                                true});
        }
        if (++cursor->column > PageColumns) {
            cursor->column = 1;
            ++cursor->line;
        }
    }
    cursor->column = 1;
    ++cursor->line;
    return problems;
}

// The typewriter's string: lines joined by line breaks, then the page end.
std::string JoinPage(const std::vector<std::string>& lines) {
    std::string page;
    for (const std::string& line : lines) page += line + LineBreak;
    if (!page.empty()) page.pop_back();
    return page + PageEnd;
}
}  // namespace

std::vector<Problem> ParsePages(const std::string& text, const std::string& fileName,
                                const char* charset, std::vector<std::string>* pages) {
    pages->clear();
    ProblemLog problems(fileName);
    TextLines lines(text);
    std::string line;
    int lineNumber = 0;
    int pageStart = 0;  // line of the open page's "page", 0 outside a page
    int pagesBegun = 0;
    bool pageOverflowed = false;  // the open page's overflow is reported once
    bool outsideReported = false; // a run of text outside pages is reported once
    std::vector<std::string> pageLines;
    Cursor cursor;
    auto report = [&](int at, const std::string& reason, int column = 0) { problems.Error(at, column, reason); };
    while (lines.Next(line)) {
        lineNumber = lines.Number();
        if (!line.empty() && line[0] == ';') continue;
        const std::string marker = TrimEnd(line);
        if (marker == "page") {
            if (pageStart != 0)
                report(lineNumber, "a new page begins, but the page begun at line " +
                                       std::to_string(pageStart) + " has no \"end\" line");
            if (++pagesBegun > MaxPackPages)
                report(lineNumber, "page " + std::to_string(pagesBegun) + ": an intro holds at most " +
                                       std::to_string(MaxPackPages) + " pages");
            pageStart = lineNumber;
            pageLines.clear();
            cursor = Cursor();
            pageOverflowed = outsideReported = false;
            continue;
        }
        if (marker == "end") {
            if (pageStart == 0) {
                report(lineNumber, "\"end\" without a \"page\" line before it");
            } else if (pages->size() < static_cast<size_t>(MaxPackPages)) {
                pages->push_back(JoinPage(pageLines));
            }
            pageStart = 0;
            outsideReported = false;
            continue;
        }
        if (pageStart == 0) {
            if (marker.empty() || outsideReported) continue;
            report(lineNumber, "text outside a page: begin a page with a \"page\" line");
            outsideReported = true;
            continue;
        }
        for (const LineProblem& problem : TypeLine(line, charset, &cursor)) {
            if (problem.overflow && pageOverflowed) continue;
            pageOverflowed = pageOverflowed || problem.overflow;
            report(lineNumber, problem.reason, problem.column);
        }
        pageLines.push_back(line);
    }
    const int lastLine = lineNumber > 0 ? lineNumber : 1;
    if (pageStart != 0)
        report(lastLine, "the page begun at line " + std::to_string(pageStart) + " has no \"end\" line");
    if (pagesBegun == 0 && !problems.HasErrors())
        report(lastLine, "no pages: write at least one between a \"page\" and an \"end\" line");
    return problems.Problems();
}

std::string EmitPagesSource(const std::vector<std::string>& pages, const std::string& sourceName) {
    std::ostringstream out;
    out << "// Generated by pagec from " << sourceName << "; do not edit.\n"
        << "extern const char* const IntroPages[];\n\nnamespace {\n";
    for (size_t p = 0; p < pages.size(); ++p) {
        out << "const char Page" << p + 1 << "[] =";
        // One string literal per typed line, each ending in its "]" or "|".
        std::string piece;
        for (const char c : pages[p]) {
            if (c == '\\' || c == '"') piece += '\\';
            piece += c;
            if (c == LineBreak || c == PageEnd) {
                out << "\n    \"" << piece << "\"";
                piece.clear();
            }
        }
        if (!piece.empty()) out << "\n    \"" << piece << "\"";
        out << ";\n";
    }
    out << "}  // namespace\n\nconst char* const IntroPages[] = {";
    for (size_t p = 0; p < pages.size(); ++p) out << "Page" << p + 1 << ", ";
    out << "nullptr};\n";
    return out.str();
}
