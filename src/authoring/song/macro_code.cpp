#include "macro_code.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "replayer/replayer.h"
#include "source_values.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What one mnemonic takes: its code and the number of operand tokens.
struct Mnemonic {
    const char* name;
    uint8_t code;
    int operands;
};

const Mnemonic FrequencyMnemonics[] = {
    {"setwave", CodeSetWave, 2},  {"vibrato", CodeVibrato, 3},     {"changewave", CodeChangeWave, 2},
    {"jumpmacro", CodeJumpMacro, 1}, {"hold", CodeHold, 1},        {"stopvoice", CodeStopVoice, 1},
    {"pitchslide", CodeSlide, 3}, {"loop", CodeLoop, 1},           {"end", CodeEnd, 0},
};
const Mnemonic VolumeMnemonics[] = {
    {"hold", CodeHold, 1}, {"volumeslide", CodeSlide, 2}, {"loop", CodeLoop, 1},
    {"end", CodeEnd, 0},   {"ramp", 0, 3},
};

class MacroReader {
public:
    MacroReader(Macro& macro, const SymbolTables& symbols, ProblemLog& problems)
        : macro_(macro), symbols_(symbols), problems_(problems) {}

    void ReadBody(const std::vector<SourceLine>& body);

private:
    struct LoopFixup {
        size_t instruction;
        std::string label;
    };

    void ReadInstruction(const Mnemonic& mnemonic, const std::vector<std::string>& operands, int line);
    void ReadValue(const std::string& token, int line);
    void Append(int line, bool isValue, uint8_t code, std::vector<uint8_t> bytes, int operand = 0);
    std::optional<uint8_t> NoteValue(const std::string& token, int line);
    std::optional<long> Number(const std::string& token, long low, long high, const char* what, int line);
    std::optional<uint8_t> SoundEntry(const std::string& token, int line);
    void ResolveLoops();

    Macro& macro_;
    const SymbolTables& symbols_;
    ProblemLog& problems_;
    std::vector<uint8_t> body_;
    bool TooLong(bool moreToRead);

    std::map<std::string, size_t> labels_;   // label -> instruction index
    std::vector<std::string> pendingLabels_;
    std::set<std::string> pendingNames_;     // pendingLabels_, for a lookup in log time
    std::vector<LoopFixup> loops_;
    int pendingLine_ = 0;
    SourceSpan text_;  // of the command being read
    SourceSpan labelText_;  // of the first label waiting for its command
};

std::optional<long> MacroReader::Number(const std::string& token, long low, long high,
                                        const char* what, int line) {
    auto value = ParseInteger(token);
    if (!value || *value < low || *value > high) {
        problems_.Error(line, std::string(what) + " '" + token + "' is not a number from " +
                                     std::to_string(low) + " to " + std::to_string(high));
        return std::nullopt;
    }
    return value;
}

// Relative note values are semitones added to the played note; '=' marks a
// fixed note (bit 7 set), which ignores the played note and the transposes.
std::optional<uint8_t> MacroReader::NoteValue(const std::string& token, int line) {
    if (!token.empty() && token[0] == '=') {
        std::string rest = token.substr(1);
        std::optional<int> index = ParseNoteName(rest);
        if (!index) {
            auto number = ParseInteger(rest);
            if (number && *number >= 0 && *number <= 59) index = static_cast<int>(*number);
        }
        if (!index) {
            problems_.Error(line, "fixed note '" + token + "' must be =C-1 .. =B-4 or =0 .. =59");
            return std::nullopt;
        }
        return static_cast<uint8_t>(0x80 | *index);
    }
    auto value = Number(token, 0, 127, "note value", line);
    if (!value) return std::nullopt;
    macro_.highestRelativeNote = std::max(macro_.highestRelativeNote, static_cast<int>(*value));
    return static_cast<uint8_t>(*value);
}

std::optional<uint8_t> MacroReader::SoundEntry(const std::string& token, int line) {
    auto found = symbols_.soundEntries.find(token);
    long entry;
    if (found != symbols_.soundEntries.end()) {
        entry = found->second;
    } else if (auto number = ParseInteger(token)) {
        entry = *number;
    } else {
        problems_.Error(line, "unknown sample or wave '" + token + "'" +
                                     (symbols_.format == ModuleFormat::Smod
                                          ? " (SMOD built-in waveforms are builtin0 .. builtin46)"
                                          : ""));
        return std::nullopt;
    }
    if (entry < 0 || entry >= SelectableEntries) {
        problems_.Error(line, "'" + token + "' is sample table entry " + std::to_string(entry) +
                                     "; byte codes reach only entries 0 to 63 (10 samples, then "
                                     "the first 54 waves)");
        return std::nullopt;
    }
    return static_cast<uint8_t>(entry);
}

void MacroReader::Append(int line, bool isValue, uint8_t code, std::vector<uint8_t> bytes, int operand) {
    MacroInstruction instruction;
    instruction.line = line;
    instruction.position = static_cast<int>(body_.size());
    instruction.size = static_cast<int>(bytes.size());
    instruction.isValue = isValue;
    instruction.code = code;
    instruction.operand = operand;
    instruction.text = text_;
    if (!pendingLabels_.empty()) instruction.labelText = labelText_;
    for (const auto& label : pendingLabels_) labels_[label] = macro_.code.size();
    pendingLabels_.clear();
    pendingNames_.clear();
    macro_.code.push_back(instruction);
    body_.insert(body_.end(), bytes.begin(), bytes.end());
}

void MacroReader::ReadValue(const std::string& token, int line) {
    if (macro_.isVolume) {
        auto volume = Number(token, 0, 64, "volume", line);
        if (volume) Append(line, true, 0, {static_cast<uint8_t>(*volume)});
    } else if (auto note = NoteValue(token, line)) {
        Append(line, true, 0, {*note});
    }
}

void MacroReader::ReadInstruction(const Mnemonic& m, const std::vector<std::string>& ops, int line) {
    const std::string name = m.name;
    if (name == "loop") {
        loops_.push_back({macro_.code.size(), ops[0]});
        Append(line, false, CodeLoop, {CodeLoop, 0});
    } else if (name == "end") {
        Append(line, false, CodeEnd, {CodeEnd});
    } else if (name == "hold") {
        if (auto ticks = Number(ops[0], 0, 255, "Hold ticks", line))
            Append(line, false, CodeHold, {CodeHold, static_cast<uint8_t>(*ticks)}, static_cast<int>(*ticks));
    } else if (name == "volumeslide") {
        auto speed = Number(ops[0], -128, 127, "VolumeSlide speed", line);
        auto time = Number(ops[1], 0, 255, "VolumeSlide time", line);
        if (speed && time)
            Append(line, false, CodeSlide, {CodeSlide, static_cast<uint8_t>(*speed & 0xFF), static_cast<uint8_t>(*time)});
    } else if (name == "ramp") {
        auto from = Number(ops[0], 0, 64, "Ramp start volume", line);
        auto to = Number(ops[1], 0, 64, "Ramp end volume", line);
        auto steps = Number(ops[2], 2, 59, "Ramp steps", line);
        if (!from || !to || !steps) return;
        for (long i = 0; i < *steps; ++i) {
            long value = *from + (*to - *from) * i / (*steps - 1);
            Append(line, true, 0, {static_cast<uint8_t>(value)});
        }
    } else if (name == "setwave" || name == "changewave") {
        auto entry = SoundEntry(ops[0], line);
        auto note = NoteValue(ops[1], line);
        if (entry && note) Append(line, false, m.code, {m.code, *entry, *note});
    } else if (name == "vibrato") {
        auto speed = Number(ops[0], 0, 255, "Vibrato speed", line);
        auto depth = Number(ops[1], 0, 127, "Vibrato depth", line);
        auto note = NoteValue(ops[2], line);
        if (speed && depth && note)
            Append(line, false, CodeVibrato, {CodeVibrato, static_cast<uint8_t>(*speed), static_cast<uint8_t>(*depth), *note});
    } else if (name == "pitchslide") {
        auto speed = Number(ops[0], 0, 255, "PitchSlide speed", line);
        auto time = Number(ops[1], 0, 255, "PitchSlide time", line);
        auto note = NoteValue(ops[2], line);
        if (speed && time && note)
            Append(line, false, CodeSlide, {CodeSlide, static_cast<uint8_t>(*speed), static_cast<uint8_t>(*time), *note});
    } else if (name == "stopvoice") {
        if (auto note = NoteValue(ops[0], line)) Append(line, false, CodeStopVoice, {CodeStopVoice, 0, 0, *note});
    } else if (name == "jumpmacro") {
        auto found = symbols_.freqMacros.find(ops[0]);
        if (found == symbols_.freqMacros.end()) {
            problems_.Error(line, "JumpMacro: unknown frequency macro '" + ops[0] + "'");
            return;
        }
        Append(line, false, CodeJumpMacro, {CodeJumpMacro, static_cast<uint8_t>(found->second)}, found->second);
    }
}

// A macro past its 64 bytes is refused as soon as it gets there; what
// follows is not read. True when it has.
bool MacroReader::TooLong(bool moreToRead) {
    const size_t header = macro_.isVolume ? VolumeMacroHeaderBytes : 0;
    const size_t bytes = header + body_.size();
    if (bytes <= module_format::MacroBytes) return false;
    const std::string size = moreToRead ? "more than " + std::to_string(module_format::MacroBytes)
                                        : std::to_string(bytes);
    problems_.Error(macro_.line, "macro '" + macro_.name + "' takes " + size +
                                     " bytes; a macro holds at most 64 (volume: 5 header + 59)");
    return true;
}

void MacroReader::ReadBody(const std::vector<SourceLine>& body) {
    const auto& mnemonics = macro_.isVolume ? std::vector<Mnemonic>(std::begin(VolumeMnemonics), std::end(VolumeMnemonics))
                                            : std::vector<Mnemonic>(std::begin(FrequencyMnemonics), std::end(FrequencyMnemonics));
    for (const SourceLine& line : body) {
        const auto& tokens = line.tokens;
        for (size_t i = 0; i < tokens.size();) {
            const std::string& token = tokens[i];
            if (token.size() > 1 && token.back() == ':') {
                std::string label = token.substr(0, token.size() - 1);
                if (!IsName(label)) {
                    problems_.Error(line.number, "bad label '" + token + "'");
                } else if (labels_.count(label) || pendingNames_.count(label)) {
                    problems_.Error(line.number, "label '" + label + "' defined twice");
                } else if (labels_.size() + pendingLabels_.size() >= module_format::MacroBytes) {
                    // Each label marks a byte: more than a macro holds is refused here.
                    problems_.Error(line.number, "macro '" + macro_.name + "' has more than " +
                                                     std::to_string(module_format::MacroBytes) +
                                                     " labels; a macro holds at most 64 bytes");
                    return;
                } else {
                    if (pendingLabels_.empty()) labelText_ = line.Span(i);
                    pendingLabels_.push_back(label);
                    pendingNames_.insert(label);
                    pendingLine_ = line.number;
                }
                ++i;
                continue;
            }
            const Mnemonic* mnemonic = nullptr;
            for (const auto& m : mnemonics) {
                if (Lower(token) == m.name) mnemonic = &m;
            }
            if (!mnemonic) {
                if (ParseInteger(token) || token[0] == '=') {
                    text_ = line.Span(i);
                    ReadValue(token, line.number);
                    if (TooLong(i + 1 < tokens.size() || &line != &body.back())) return;
                } else {
                    problems_.Error(line.number, std::string("unknown ") +
                                                        (macro_.isVolume ? "volume" : "frequency") +
                                                        " macro command '" + token + "'");
                }
                ++i;
                continue;
            }
            size_t count = static_cast<size_t>(mnemonic->operands);
            if (i + count >= tokens.size()) {
                problems_.Error(line.number, token + " takes " + std::to_string(count) +
                                                    " operand(s) on the same line");
                break;
            }
            std::vector<std::string> operands(tokens.begin() + static_cast<long>(i) + 1,
                                              tokens.begin() + static_cast<long>(i + 1 + count));
            text_ = line.Span(i, 1 + count);
            ReadInstruction(*mnemonic, operands, line.number);
            i += 1 + count;
            if (TooLong(i < tokens.size() || &line != &body.back())) return;
        }
    }
    if (!pendingLabels_.empty())
        problems_.Error(pendingLine_, "label '" + pendingLabels_[0] + "' marks no command");
    ResolveLoops();
    const int header = macro_.isVolume ? VolumeMacroHeaderBytes : 0;
    if (macro_.code.empty()) {
        problems_.Error(macro_.line, "macro '" + macro_.name + "' is empty; end it with End");
        return;
    }
    if (header + static_cast<int>(body_.size()) > module_format::MacroBytes) {
        problems_.Error(macro_.line, "macro '" + macro_.name + "' takes " +
                                            std::to_string(header + body_.size()) +
                                            " bytes; a macro holds at most 64 (volume: 5 header + 59)");
        return;
    }
    const uint8_t last = macro_.code.back().isValue ? 0 : macro_.code.back().code;
    if (last != CodeEnd && last != CodeLoop && last != CodeJumpMacro) {
        problems_.Error(macro_.code.back().line, "macro '" + macro_.name +
                                                        "' must end with End, Loop" +
                                                        (macro_.isVolume ? "" : " or JumpMacro") +
                                                        ", or it runs past its last command");
    }
    std::copy(body_.begin(), body_.end(), macro_.bytes.begin() + header);
}

void MacroReader::ResolveLoops() {
    for (const LoopFixup& fixup : loops_) {
        MacroInstruction& loop = macro_.code[fixup.instruction];
        auto found = labels_.find(fixup.label);
        if (found == labels_.end()) {
            problems_.Error(loop.line, "Loop: unknown label '" + fixup.label + "'");
            continue;
        }
        const MacroInstruction& target = macro_.code[found->second];
        if (!macro_.isVolume && !target.isValue && (target.code == CodeLoop || target.code == CodeEnd)) {
            problems_.Error(loop.line, "Loop target '" + fixup.label +
                                              "' is a Loop or End; in a frequency macro it would "
                                              "be read as a note value");
            continue;
        }
        loop.operand = static_cast<int>(found->second);
        int byte = target.position + (macro_.isVolume ? VolumeMacroHeaderBytes : 0);
        body_[static_cast<size_t>(loop.position + 1)] = static_cast<uint8_t>(byte);
    }
}

void ReadVolumeHeader(const SourceBlock& block, const SymbolTables& symbols, Macro& macro,
                      ProblemLog& problems) {
    const int line = block.header.number;
    Parameters parameters = ParseParameters(block.header.tokens, 2, {"freq", "speed", "vibrato"},
                                            line, problems);
    if (!parameters.Has("freq")) {
        problems.Error(line, "vol '" + macro.name + "' needs freq=NAME (its frequency macro)");
    } else {
        auto found = symbols.freqMacros.find(parameters.values.at("freq"));
        if (found == symbols.freqMacros.end()) {
            problems.Error(line, "unknown frequency macro '" + parameters.values.at("freq") + "'");
        } else {
            macro.frequencyMacro = found->second;
        }
    }
    long speed = IntegerParameter(parameters, "speed", 1, 1, 255, line, problems);
    long vibrato[3] = {0, 0, 0};
    if (parameters.Has("vibrato")) {
        std::string text = parameters.values.at("vibrato") + ",";
        int count = 0;
        bool valid = true;
        for (size_t start = 0, comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
            auto value = ParseInteger(text.substr(start, comma - start));
            if (count >= 3 || !value || *value < 0 || *value > (count == 1 ? 127 : 255)) valid = false;
            if (valid) vibrato[count] = *value;
            ++count;
        }
        if (!valid || count != 3)
            problems.Error(line, "vibrato=" + parameters.values.at("vibrato") +
                                        ": expected vibrato=SPEED,DEPTH,DELAY (depth 0..127)");
    }
    macro.bytes[0] = static_cast<uint8_t>(speed);
    macro.bytes[1] = static_cast<uint8_t>(macro.frequencyMacro);
    macro.bytes[2] = static_cast<uint8_t>(vibrato[0]);
    macro.bytes[3] = static_cast<uint8_t>(vibrato[1]);
    macro.bytes[4] = static_cast<uint8_t>(vibrato[2]);
}

}  // namespace

Macro ReadMacro(const SourceBlock& block, const SymbolTables& symbols, ProblemLog& problems) {
    Macro macro;
    macro.isVolume = block.kind == BlockKind::Vol;
    macro.line = block.header.number;
    macro.name = block.header.tokens.size() > 1 ? block.header.tokens[1] : "";
    if (macro.isVolume) {
        ReadVolumeHeader(block, symbols, macro, problems);
    } else if (block.header.tokens.size() > 2) {
        problems.Error(macro.line, "freq takes only a name; found '" + block.header.tokens[2] + "'");
    }
    MacroReader reader(macro, symbols, problems);
    reader.ReadBody(block.body);
    return macro;
}

namespace {

// Follows one tick's execution from an entry point; reports a path that never
// ends the step. `next` gives, for a command that continues at once, where.
template <typename Ends, typename Next>
void CheckEntry(const std::vector<Macro>& macros, int slot, size_t start, const char* kind,
                Ends ends, Next next, ProblemLog& problems) {
    std::set<std::pair<int, size_t>> visited;
    std::pair<int, size_t> at{slot, start};
    while (true) {
        if (at.first < 0 || at.first >= static_cast<int>(macros.size())) return;
        const Macro& macro = macros[static_cast<size_t>(at.first)];
        if (at.second >= macro.code.size()) return;  // reported by the last-command check
        if (!visited.insert(at).second) {
            const Macro& origin = macros[static_cast<size_t>(slot)];
            problems.Error(origin.code[start].line,
                              std::string(kind) + " macro '" + origin.name +
                                  "': Loop/JumpMacro/Hold 0 lead round without a value or Hold; "
                                  "one tick would never end");
            return;
        }
        const MacroInstruction& instruction = macro.code[at.second];
        if (ends(instruction)) return;
        at = next(at, instruction);
    }
}

}  // namespace

void CheckFrequencyFlow(const std::vector<Macro>& macros, ProblemLog& problems) {
    auto ends = [](const MacroInstruction& i) {
        return i.isValue || (i.code != CodeLoop && i.code != CodeJumpMacro && i.code != CodeHold) ||
               (i.code == CodeHold && i.operand > 0);
    };
    auto next = [](std::pair<int, size_t> at, const MacroInstruction& i) -> std::pair<int, size_t> {
        if (i.code == CodeLoop) return {at.first, static_cast<size_t>(i.operand)};
        if (i.code == CodeJumpMacro) return {i.operand, 0};
        return {at.first, at.second + 1};
    };
    for (size_t slot = 0; slot < macros.size(); ++slot) {
        size_t before = problems.Count();
        for (size_t i = 0; i < macros[slot].code.size() && problems.Count() == before; ++i)
            CheckEntry(macros, static_cast<int>(slot), i, "frequency", ends, next, problems);
    }
}

void CheckVolumeFlow(const Macro& macro, ProblemLog& problems) {
    std::vector<Macro> one{macro};
    auto ends = [](const MacroInstruction& i) { return i.isValue || i.code != CodeLoop; };
    auto next = [](std::pair<int, size_t> at, const MacroInstruction& i) -> std::pair<int, size_t> {
        return {at.first, static_cast<size_t>(i.operand)};
    };
    size_t before = problems.Count();
    for (size_t i = 0; i < macro.code.size() && problems.Count() == before; ++i)
        CheckEntry(one, 0, i, "volume", ends, next, problems);
}

int HighestRelativeNote(const std::vector<Macro>& macros, int slot) {
    std::set<int> visited;
    std::vector<int> pending{slot};
    int highest = 0;
    while (!pending.empty()) {
        int current = pending.back();
        pending.pop_back();
        if (current < 0 || current >= static_cast<int>(macros.size()) || !visited.insert(current).second)
            continue;
        highest = std::max(highest, macros[static_cast<size_t>(current)].highestRelativeNote);
        for (const auto& i : macros[static_cast<size_t>(current)].code)
            if (!i.isValue && i.code == CodeJumpMacro) pending.push_back(i.operand);
    }
    return highest;
}
