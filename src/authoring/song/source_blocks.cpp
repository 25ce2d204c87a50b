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

std::vector<std::string> Tokenize(const std::string& line) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : line) {
        if (c == ';') break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

}  // namespace

std::vector<SourceBlock> SplitBlocks(const std::string& text, ProblemLog& problems) {
    std::vector<SourceBlock> blocks;
    TextLines lines(text);
    std::string lineText;
    while (lines.Next(lineText)) {
        const int number = lines.Number();
        SourceLine line{number, Tokenize(lineText)};
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
            blocks.back().body.push_back(line);
        }
    }
    return blocks;
}
