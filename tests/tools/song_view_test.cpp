// The assembler's view of a song: on the intro's own song every span holds
// the text of the element it names, and the counts are the module's.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "authoring/song/song_view.h"
#include "authoring/song/source_values.h"
#include "builtin_module.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string At(const std::vector<std::string>& lines, const SourceSpan& span) {
    if (span.line < 1 || span.line > static_cast<int>(lines.size())) return "<no line>";
    const std::string& line = lines[static_cast<size_t>(span.line - 1)];
    if (span.column < 0 || span.end > static_cast<int>(line.size()) || span.column > span.end) return "<bad columns>";
    return line.substr(static_cast<size_t>(span.column), static_cast<size_t>(span.end - span.column));
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class IntroSongView : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream file(INTRO_SONG_FCS, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        lines = Lines(text.str());
        ProblemLog log("intro-song.fcs");
        ASSERT_TRUE(AssembleSongView(text.str(), log, view));
    }
    std::vector<std::string> lines;
    SongView view;
};

TEST_F(IntroSongView, LeavesTheModuleAsTheBuiltInPackHasIt) {
    EXPECT_EQ(BuildModuleImage(view.module), BuiltInModule());
}

TEST_F(IntroSongView, SequenceAndBlockSpansHoldTheirText) {
    const AssembledModule& module = view.module;
    ASSERT_EQ(view.patternBlocks.size(), module.patterns.size());
    ASSERT_EQ(view.volBlocks.size(), module.volMacros.size());
    for (const SongBlockView& block : view.blocks) {
        const std::string header = At(lines, block.header);
        EXPECT_EQ(header.rfind(block.kind == BlockKind::Vol ? "vol " : block.kind == BlockKind::Pattern ? "pattern "
                               : block.kind == BlockKind::Format ? "format " : "", 0), 0u) << header;
        if (!block.name.empty()) {
            EXPECT_NE(header.find(" " + block.name), std::string::npos) << header;
        }
        EXPECT_GE(block.lastLine, block.header.line);
    }
    ASSERT_EQ(module.sequence.size(), 22u);
    for (const SequenceEntry& entry : module.sequence) {
        for (int v = 0; v < 4; ++v) {
            const std::string& name = module.patterns.at(entry.bytes[static_cast<size_t>(3 * v)]).name;
            const std::string text = At(lines, entry.voiceText[v]);
            EXPECT_EQ(text.substr(0, text.find_first_of("+-/")), name) << "line " << entry.line;
        }
        if (entry.speedText.line) {
            EXPECT_EQ(At(lines, entry.speedText), "speed=" + std::to_string(entry.bytes[12]));
        }
    }
}

TEST_F(IntroSongView, PatternLinesCoverTheRowsAndHoldTheirNotes) {
    int repeatedLines = 0;
    for (const Pattern& pattern : view.module.patterns) {
        int nextRow = 0;
        for (const PatternLine& line : pattern.lines) {
            EXPECT_EQ(line.firstRow, nextRow) << pattern.name;
            nextRow += line.isEnd ? 0 : line.count;
            const std::string note = At(lines, line.noteText);
            if (line.isEnd) {
                EXPECT_EQ(note, "end");
            } else if (line.note == 0) {
                EXPECT_EQ(note, "---");
            } else {
                EXPECT_EQ(ParseNoteName(note), line.note) << note;
            }
            for (int r = line.firstRow; r < line.firstRow + line.count && !line.isEnd; ++r)
                EXPECT_EQ(pattern.bytes[static_cast<size_t>(2 * r)], line.note) << pattern.name << " row " << r;
            if (line.instrumentWritten) {
                EXPECT_EQ(At(lines, line.instrumentText),
                          view.module.volMacros.at(static_cast<size_t>(line.instrument)).name);
            }
            if (line.count > 1) {
                ++repeatedLines;
                std::string repeat = "*";
                repeat += std::to_string(line.count);
                EXPECT_EQ(At(lines, line.repeatText), repeat);
            }
        }
        EXPECT_EQ(nextRow, pattern.rows) << pattern.name;
    }
    EXPECT_GT(repeatedLines, 0);
}

TEST_F(IntroSongView, MacroStepsHoldTheirCommandsAndValues) {
    auto check = [&](const std::vector<Macro>& macros, const std::vector<MacroView>& views) {
        ASSERT_EQ(macros.size(), views.size());
        for (size_t m = 0; m < macros.size(); ++m) {
            ASSERT_EQ(views[m].steps.size(), macros[m].code.size()) << macros[m].name;
            for (const MacroStepView& step : views[m].steps) {
                const std::string text = Lower(At(lines, step.text));
                const std::string op = step.op;
                if (text.rfind("ramp", 0) == 0) {
                    EXPECT_EQ(op, "volume");
                } else if (op == "volume" || (op == "note" && !step.fixedNote)) {
                    EXPECT_EQ(ParseInteger(text), step.values.at(0)) << text;
                } else if (op == "note") {
                    EXPECT_EQ(ParseNoteName(At(lines, step.text).substr(1)), step.values.at(0)) << text;
                } else {
                    EXPECT_NE(text.find(op), std::string::npos) << text << " for " << op;
                }
                if (op == "setwave" || op == "changewave") {
                    EXPECT_NE(At(lines, step.text).find(" " + step.target + " "), std::string::npos);
                }
                if (step.label.line) {
                    EXPECT_EQ(At(lines, step.label).back(), ':');
                }
            }
        }
    };
    check(view.module.volMacros, view.volMacros);
    check(view.module.freqMacros, view.freqMacros);
}

}  // namespace
