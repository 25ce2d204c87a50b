#include "source_blocks.h"

#include <cctype>
#include <optional>

#include "authoring/text_lines.h"
#include "replayer/module_format.h"

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

// Splits `line` into `tokens` and their `columns`, reusing their storage:
// most lines of a long wrong source are only counted, so they cost no
// allocation.
void Tokenize(const std::string& line, std::vector<std::string>& tokens, std::vector<int>& columns) {
    size_t count = 0;
    size_t start = 0;
    auto take = [&](size_t end) {
        if (end == start) return;
        if (count == tokens.size()) tokens.emplace_back();
        if (count == columns.size()) columns.emplace_back();
        columns[count] = static_cast<int>(start);
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
    columns.resize(count);
}

// Why a block with one body line more than `lines` is wrong, for the kinds
// whose every line gives at least a row, an entry, a byte or a label; "" for
// the others (sound and raw data, bounded by their byte counts).
std::string Overfull(const SourceBlock& block, size_t lines) {
    auto name = [&] { return block.header.tokens.size() > 1 ? block.header.tokens[1] : std::string(); };
    switch (block.kind) {
    case BlockKind::Pattern:
        if (lines >= module_format::PatternRows)
            return "pattern '" + name() + "' has more than " + std::to_string(module_format::PatternRows) + " rows";
        break;
    case BlockKind::Sequence:
        if (lines >= 255) return "the sequence has more than 255 entries; at most 255";
        break;
    case BlockKind::Freq:
    case BlockKind::Vol:  // a label or at least one byte a line
        if (lines >= 2 * module_format::MacroBytes)
            return "macro '" + name() + "' has more than " + std::to_string(2 * module_format::MacroBytes) +
                   " lines; a macro holds at most 64 bytes and 64 labels";
        break;
    default:
        break;
    }
    return "";
}

}  // namespace

SourceSpan SourceLine::Span(size_t first, size_t count) const {
    if (tokens.empty() || count == 0) return {number, 0, 0};
    const size_t from = first < tokens.size() ? first : tokens.size() - 1;
    const size_t last = from + count - 1 < tokens.size() ? from + count - 1 : tokens.size() - 1;
    return {number, columns[from], columns[last] + static_cast<int>(tokens[last].size())};
}

std::vector<SourceBlock> SplitBlocks(const std::string& text, ProblemLog& problems) {
    std::vector<SourceBlock> blocks;
    TextLines lines(text);
    std::string lineText;
    SourceLine line;
    bool overfull = false;  // the last block is refused: its further lines are not kept
    while (lines.Next(lineText)) {
        const int number = lines.Number();
        line.number = number;
        Tokenize(lineText, line.tokens, line.columns);
        if (line.tokens.empty()) continue;
        if (auto kind = DirectiveKind(line.tokens[0])) {
            blocks.push_back(SourceBlock{*kind, line, {}, number});
            overfull = false;
        } else if (blocks.empty()) {
            // Past the kept problems only the count matters: no words to build.
            problems.Error(number, problems.Full() ? std::string()
                                                   : "'" + line.tokens[0] +
                                                         "' outside any block; start one with format, "
                                                         "wave, sample, freq, vol, pattern, sequence or raw");
        } else {
            blocks.back().lastLine = number;
            if (overfull) continue;
            // A block past what it can hold is refused at its first line too many.
            const std::string why = Overfull(blocks.back(), blocks.back().body.size());
            overfull = !why.empty();
            if (overfull) {
                problems.Error(number, why);
                continue;
            }
            blocks.back().body.push_back(std::move(line));
            line = SourceLine();
        }
    }
    return blocks;
}
