#include "source_blocks.h"

#include <cctype>
#include <optional>

#include "authoring/text_lines.h"

namespace {

std::optional<BlockKind> DirectiveKind(const std::string& word) {
    if (word == "format") return BlockKind::Format;
    if (word == "wave") return BlockKind::Wave;
    if (word == "sample") return BlockKind::Sample;
    if (word == "freq") return BlockKind::Freq;
    if (word == "vol") return BlockKind::Vol;
    if (word == "pattern") return BlockKind::Pattern;
    if (word == "sequence") return BlockKind::Sequence;
    if (word == "raw") return BlockKind::Raw;
    return std::nullopt;
}

// Splits `line` into `tokens`, reusing their storage: most lines of a long
// wrong source are only counted, so they cost no allocation.
void Tokenize(const std::string& line, std::vector<std::string>& tokens) {
    size_t count = 0;
    size_t start = 0;
    auto take = [&](size_t end) {
        if (end == start) return;
        if (count == tokens.size()) tokens.emplace_back();
        tokens[count++].assign(line, start, end - start);
    };
    size_t at = 0;
    for (; at < line.size() && line[at] != ';'; ++at) {
        if (std::isspace(static_cast<unsigned char>(line[at]))) {
            take(at);
            start = at + 1;
        }
    }
    take(at);
    tokens.resize(count);
}

}  // namespace

std::vector<SourceBlock> SplitBlocks(const std::string& text, ProblemLog& problems) {
    std::vector<SourceBlock> blocks;
    TextLines lines(text);
    std::string lineText;
    SourceLine line;
    while (lines.Next(lineText)) {
        const int number = lines.Number();
        line.number = number;
        Tokenize(lineText, line.tokens);
        if (line.tokens.empty()) continue;
        if (auto kind = DirectiveKind(line.tokens[0])) {
            blocks.push_back(SourceBlock{*kind, line, {}});
        } else if (blocks.empty()) {
            // Past the kept problems only the count matters: no words to build.
            problems.Error(number, problems.Full() ? std::string()
                                                   : "'" + line.tokens[0] +
                                                         "' outside any block; start one with format, "
                                                         "wave, sample, freq, vol, pattern, sequence or raw");
        } else {
            blocks.back().body.push_back(std::move(line));
            line = SourceLine();
        }
    }
    return blocks;
}
