#include "song_code.h"

#include "source_values.h"

namespace {

using Porta = Portamento;
using RowText = PatternLine;

bool ParseRow(const SourceLine& line, RowText& row, int& repeat, const SymbolTables& symbols,
              ProblemLog& problems) {
    const auto& t = line.tokens;
    row.line = line.number;
    row.text = line.Span(0, t.size());
    row.noteText = line.Span(0);
    repeat = 1;
    size_t i = 1;
    if (t[0] == "---") {
    } else if (t[0] == "end") {
        row.isEnd = true;
    } else if (auto index = ParseNoteName(t[0])) {
        if (*index == 0) {
            problems.Error(line.number, "C-1 cannot be written in a pattern (note 0 means no "
                                           "note); write C-2 and transpose the entry by -12");
            return false;
        }
        row.note = *index;
    } else {
        problems.Error(line.number, "unknown note '" + t[0] + "' (notes are C-1 .. B-4 with "
                                       "'-', '#' or 'b'; '---' is an empty row, 'end' ends the pattern)");
        return false;
    }
    if (i < t.size() && t[i] != "porta" && t[i][0] != '*') {
        auto found = symbols.volMacros.find(t[i]);
        auto number = ParseInteger(t[i]);
        if (found != symbols.volMacros.end()) {
            row.instrument = found->second;
        } else if (number && *number >= 0 && *number <= 63) {
            row.instrument = static_cast<int>(*number);
        } else {
            problems.Error(line.number, "unknown instrument '" + t[i] + "' (a vol macro name or 0..63)");
            return false;
        }
        if (row.instrument > 63) {
            problems.Error(line.number, "instrument '" + t[i] + "' is volume macro " +
                                               std::to_string(row.instrument) +
                                               "; a row reaches only 0..63 (use a sound transpose)");
            return false;
        }
        row.instrumentWritten = true;
        row.instrumentText = line.Span(i);
        ++i;
    }
    if (i < t.size() && t[i] == "porta") {
        std::string mode = i + 1 < t.size() ? t[i + 1] : "";
        if (mode == "off") {
            row.porta = Porta::Off;
            row.portaText = line.Span(i, 2);
            i += 2;
        } else if ((mode == "up" || mode == "down") && i + 2 < t.size()) {
            auto amount = ParseInteger(t[i + 2]);
            if (!amount || *amount < 1 || *amount > 31) {
                problems.Error(line.number, "portamento amount '" + t[i + 2] + "' must be 1 to 31");
                return false;
            }
            row.porta = mode == "up" ? Porta::Up : Porta::Down;
            row.portaAmount = static_cast<int>(*amount);
            row.portaText = line.Span(i, 3);
            i += 3;
        } else {
            problems.Error(line.number, "expected 'porta up N', 'porta down N' or 'porta off'");
            return false;
        }
    }
    if (i < t.size() && t[i][0] == '*') {
        auto count = ParseInteger(t[i].substr(1));
        if (!count || *count < 1 || *count > module_format::PatternRows) {
            problems.Error(line.number, "repeat '" + t[i] + "' must be *1 to *32");
            return false;
        }
        repeat = static_cast<int>(*count);
        row.repeatText = line.Span(i);
        ++i;
    }
    if (i < t.size()) {
        problems.Error(line.number, "unexpected '" + t[i] + "' in pattern row");
        return false;
    }
    if ((row.isEnd || row.note == 0) && row.instrument >= 0) {
        problems.Error(line.number, "an instrument needs a note on its row");
        return false;
    }
    if (row.isEnd && (row.porta != Porta::None || repeat != 1)) {
        problems.Error(line.number, "'end' takes nothing after it");
        return false;
    }
    if (row.porta != Porta::None && row.porta != Porta::Off && repeat != 1) {
        problems.Error(line.number, "a row with a portamento cannot be repeated");
        return false;
    }
    return true;
}

}  // namespace

Pattern ReadPattern(const SourceBlock& block, const SymbolTables& symbols, ProblemLog& problems) {
    Pattern pattern;
    pattern.line = block.header.number;
    pattern.name = block.header.tokens.size() > 1 ? block.header.tokens[1] : "";
    Parameters parameters = ParseParameters(block.header.tokens, 2, {"inst"}, pattern.line, problems);
    int defaultInstrument = -1;
    bool defaultRefused = false;  // its notes then say nothing more: the pattern line says it
    if (parameters.Has("inst")) {
        const std::string& name = parameters.values.at("inst");
        auto found = symbols.volMacros.find(name);
        defaultRefused = found == symbols.volMacros.end() || found->second > 63;
        if (found == symbols.volMacros.end()) {
            problems.Error(pattern.line, "unknown instrument '" + name + "' (no vol macro has that name)");
        } else if (defaultRefused) {
            problems.Error(pattern.line, "inst=" + name + ": not a volume macro among the first 64");
        } else {
            defaultInstrument = found->second;
        }
    }
    pattern.defaultInstrument = defaultInstrument;
    std::vector<RowText> rows;
    for (const SourceLine& line : block.body) {
        RowText row;
        int repeat = 1;
        if (!ParseRow(line, row, repeat, symbols, problems)) continue;
        if (row.note != 0 && row.instrument < 0) {
            if (defaultInstrument < 0 && !defaultRefused) {
                problems.Error(line.number, "note " + line.tokens[0] + " has no instrument; "
                                               "name one or set inst= on the pattern line");
                continue;
            }
            row.instrument = defaultRefused ? 0 : defaultInstrument;  // refused: no module is made
        }
        bool ended = !rows.empty() && rows.back().isEnd;
        if (ended) {
            problems.Error(line.number, "row after 'end'");
            break;
        }
        row.firstRow = static_cast<int>(rows.size());
        row.count = repeat;
        pattern.lines.push_back(row);
        for (int r = 0; r < repeat; ++r) rows.push_back(row);
        if (rows.size() > module_format::PatternRows) {
            problems.Error(line.number, "pattern '" + pattern.name + "' has more than 32 rows");
            return pattern;
        }
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const RowText& row = rows[r];
        uint8_t& noteByte = pattern.bytes[2 * r];
        uint8_t& infoByte = pattern.bytes[2 * r + 1];
        if (row.isEnd) {
            if (r == 0) problems.Error(row.line, "'end' on the first row leaves the pattern empty");
            noteByte = PatternEndCode;
            pattern.rows = static_cast<int>(r);
            continue;
        }
        noteByte = static_cast<uint8_t>(row.note);
        if (row.note != 0) {
            infoByte = static_cast<uint8_t>(row.instrument);
            pattern.notes.push_back({row.note, row.instrument, row.line});
        }
        if (row.porta == Porta::Off) infoByte |= 0x40;
        if (row.porta == Porta::Up || row.porta == Porta::Down) {
            // The amount rides in the info byte of the next row, which must
            // therefore carry nothing of its own.
            const RowText* next = r + 1 < rows.size() ? &rows[r + 1] : nullptr;
            if (!next || next->isEnd || next->note != 0 || next->porta != Porta::None) {
                problems.Error(row.line, "a portamento needs a plain '---' row after it "
                                            "(that row carries the amount)");
                continue;
            }
            infoByte |= 0x80;
            pattern.bytes[2 * r + 3] = static_cast<uint8_t>(
                row.porta == Porta::Up ? row.portaAmount : 0x20 | row.portaAmount);
        }
    }
    return pattern;
}

std::vector<SequenceEntry> ReadSequence(const SourceBlock& block, const SymbolTables& symbols,
                                        ProblemLog& problems) {
    std::vector<SequenceEntry> entries;
    if (block.header.tokens.size() > 1)
        problems.Error(block.header.number, "sequence takes nothing on its line; entries follow");
    for (const SourceLine& line : block.body) {
        SequenceEntry entry;
        entry.line = line.number;
        int voice = 0;
        long repeat = 1;
        bool valid = true;
        for (const std::string& token : line.tokens) {
            if (token.rfind("speed=", 0) == 0) {
                auto speed = ParseInteger(token.substr(6));
                if (!speed || *speed < 1 || *speed > 255) {
                    problems.Error(line.number, "'" + token + "': speed must be 1 to 255 ticks per row");
                    valid = false;
                }
                entry.bytes[12] = static_cast<uint8_t>(speed.value_or(0));
                entry.speedText = line.Span(static_cast<size_t>(&token - line.tokens.data()));
                continue;
            }
            if (token[0] == '*') {
                auto count = ParseInteger(token.substr(1));
                if (!count || *count < 1 || *count > 255) {
                    problems.Error(line.number, "repeat '" + token + "' must be *1 to *255");
                    valid = false;
                }
                repeat = count.value_or(1);
                entry.repeatText = line.Span(static_cast<size_t>(&token - line.tokens.data()));
                continue;
            }
            // NAME[+N|-N][/S]: pattern, note transpose, sound transpose
            size_t nameEnd = token.find_first_of("+-/");
            std::string name = token.substr(0, nameEnd);
            size_t slash = token.find('/');
            std::string noteText = nameEnd == std::string::npos ? "" : token.substr(nameEnd, slash == std::string::npos ? std::string::npos : slash - nameEnd);
            std::string soundText = slash == std::string::npos ? "" : token.substr(slash + 1);
            auto found = symbols.patterns.find(name);
            auto noteTranspose = noteText.empty() ? std::optional<long>(0) : ParseInteger(noteText);
            auto soundTranspose = soundText.empty() ? std::optional<long>(0) : ParseInteger(soundText);
            if (found == symbols.patterns.end()) {
                problems.Error(line.number, "unknown pattern '" + name + "'");
                valid = false;
            } else if (!noteTranspose || !soundTranspose || *noteTranspose < -128 || *noteTranspose > 127 ||
                       *soundTranspose < -128 || *soundTranspose > 127) {
                problems.Error(line.number, "'" + token + "': expected PATTERN[+N|-N][/S] with transposes -128..127");
                valid = false;
            } else if (voice < 4) {
                entry.bytes[static_cast<size_t>(3 * voice)] = static_cast<uint8_t>(found->second);
                entry.bytes[static_cast<size_t>(3 * voice + 1)] = static_cast<uint8_t>(*noteTranspose & 0xFF);
                entry.bytes[static_cast<size_t>(3 * voice + 2)] = static_cast<uint8_t>(*soundTranspose & 0xFF);
                entry.voiceText[voice] = line.Span(static_cast<size_t>(&token - line.tokens.data()));
            }
            ++voice;
        }
        if (voice != 4) {
            problems.Error(line.number, "a sequence entry names 4 patterns, one per voice; found " +
                                               std::to_string(voice));
            valid = false;
        }
        if (!valid) continue;
        for (long r = 0; r < repeat; ++r) {
            entry.repeatIndex = static_cast<int>(r);
            entries.push_back(entry);
        }
    }
    return entries;
}

void CheckSequence(const std::vector<SequenceEntry>& sequence, const std::vector<Pattern>& patterns,
                   const std::vector<Macro>& freqMacros, const std::vector<Macro>& volMacros,
                   ProblemLog& problems) {
    for (size_t e = 0; e < sequence.size(); ++e) {
        const SequenceEntry& entry = sequence[e];
        const std::string where = "entry " + std::to_string(e) + " voice ";
        int rows = -1;
        for (int v = 0; v < 4; ++v) {
            const Pattern& pattern = patterns.at(entry.bytes[static_cast<size_t>(3 * v)]);
            int noteTranspose = static_cast<int8_t>(entry.bytes[static_cast<size_t>(3 * v + 1)]);
            int soundTranspose = static_cast<int8_t>(entry.bytes[static_cast<size_t>(3 * v + 2)]);
            if (rows >= 0 && pattern.rows != rows) {
                problems.Error(entry.line, where + std::to_string(v) + ": pattern '" + pattern.name +
                                                  "' has " + std::to_string(pattern.rows) + " rows, voice 0's has " +
                                                  std::to_string(rows) + "; the voices would drift apart");
            }
            if (rows < 0) rows = pattern.rows;
            for (const NoteUse& use : pattern.notes) {
                int instrument = static_cast<int8_t>(static_cast<uint8_t>(use.instrument + soundTranspose));
                if (instrument < 0 || instrument >= static_cast<int>(volMacros.size())) {
                    problems.Error(entry.line, where + std::to_string(v) + ": pattern '" + pattern.name +
                                                      "' line " + std::to_string(use.line) + ": instrument " +
                                                      std::to_string(use.instrument) + " with sound transpose " +
                                                      std::to_string(soundTranspose) + " names no volume macro");
                    break;
                }
                const Macro& volume = volMacros[static_cast<size_t>(instrument)];
                int lowest = use.note + noteTranspose;
                int highest = lowest + HighestRelativeNote(freqMacros, volume.frequencyMacro);
                if (lowest < 0 || highest > 47) {
                    problems.Error(entry.line, where + std::to_string(v) + ": pattern '" + pattern.name +
                                                      "' line " + std::to_string(use.line) + ": " + NoteName(use.note) +
                                                      " transposed by " + std::to_string(noteTranspose) +
                                                      (highest > 47 ? " with instrument '" + volume.name +
                                                                          "' reaches above B-4"
                                                                    : " falls below C-1"));
                    break;
                }
            }
        }
    }
}

long SongTicks(const std::vector<SequenceEntry>& sequence, const std::vector<Pattern>& patterns) {
    long ticks = 0;
    int speed = 3;
    for (const SequenceEntry& entry : sequence) {
        if (entry.bytes[12] != 0) speed = entry.bytes[12];
        ticks += static_cast<long>(patterns.at(entry.bytes[0]).rows) * speed;
    }
    return ticks;
}
