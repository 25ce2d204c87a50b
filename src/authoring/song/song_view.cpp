#include "song_view.h"

#include "replayer/replayer.h"
#include "source_values.h"

namespace {

const char* KindName(BlockKind kind) {
    switch (kind) {
    case BlockKind::Format: return "format";
    case BlockKind::Wave: return "wave";
    case BlockKind::Sample: return "sample";
    case BlockKind::Freq: return "freq";
    case BlockKind::Vol: return "vol";
    case BlockKind::Pattern: return "pattern";
    case BlockKind::Sequence: return "sequence";
    case BlockKind::Raw: return "raw";
    }
    return "";
}

std::string NameAt(const std::vector<std::string>& names, int index) {
    return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<size_t>(index)] : "";
}

// A macro's commands back from its bytes, named as the source names them.
MacroView DecodeMacro(const Macro& macro, const std::vector<std::string>& soundNames,
                      const std::vector<std::string>& freqNames) {
    MacroView view;
    const int header = macro.isVolume ? VolumeMacroHeaderBytes : 0;
    for (const MacroInstruction& instruction : macro.code) {
        MacroStepView step;
        step.text = instruction.text;
        step.label = instruction.labelText;
        auto byte = [&](int offset) {
            const int at = header + instruction.position + offset;
            return at < module_format::MacroBytes ? static_cast<int>(macro.bytes[static_cast<size_t>(at)]) : 0;
        };
        auto note = [&](int offset) {
            step.fixedNote = (byte(offset) & 0x80) != 0;
            return byte(offset) & 0x7F;
        };
        if (instruction.isValue) {
            step.op = macro.isVolume ? "volume" : "note";
            step.values = {macro.isVolume ? byte(0) : note(0)};
        } else {
            switch (instruction.code) {
            case CodeLoop: step.op = "loop"; step.values = {instruction.operand}; break;
            case CodeEnd: step.op = "end"; break;
            case CodeHold: step.op = "hold"; step.values = {byte(1)}; break;
            case CodeSlide:
                step.op = "slide";
                if (macro.isVolume) step.values = {static_cast<int8_t>(byte(1)), byte(2)};
                else step.values = {byte(1), byte(2), note(3)};
                break;
            case CodeSetWave:
            case CodeChangeWave:
                step.op = instruction.code == CodeSetWave ? "setwave" : "changewave";
                step.values = {byte(1), note(2)};
                step.target = NameAt(soundNames, byte(1));
                break;
            case CodeVibrato: step.op = "vibrato"; step.values = {byte(1), byte(2), note(3)}; break;
            case CodeStopVoice: step.op = "stopvoice"; step.values = {note(3)}; break;
            case CodeJumpMacro:
                step.op = "jumpmacro";
                step.values = {byte(1)};
                step.target = NameAt(freqNames, byte(1));
                break;
            default: step.op = "byte"; step.values = {instruction.code}; break;
            }
        }
        view.steps.push_back(std::move(step));
    }
    return view;
}

void Span(std::string& out, const char* key, const SourceSpan& span) {
    out += ",\"";
    out += key;
    out += "\":[" + std::to_string(span.line) + "," + std::to_string(span.column) + "," +
           std::to_string(span.end) + "]";
}

void Field(std::string& out, const char* key, const std::string& text) {
    out += ",\"";
    out += key;
    out += "\":";
    AppendJsonString(out, text);
}

void Number(std::string& out, const char* key, long value) {
    out += ",\"";
    out += key;
    out += "\":" + std::to_string(value);
}

template <typename Values>
void Numbers(std::string& out, const char* key, const Values& values) {
    out += ",\"";
    out += key;
    out += "\":[";
    bool first = true;
    for (const auto value : values) {
        if (!first) out += ',';
        first = false;
        out += std::to_string(static_cast<long>(value));
    }
    out += ']';
}

// Opens an object whose first member is "name" (every member after it
// starts with a comma).
void OpenNamed(std::string& out, bool first, const std::string& name) {
    out += first ? "{" : ",{";
    out += "\"name\":";
    AppendJsonString(out, name);
}

void SequenceJson(std::string& out, const SongView& view) {
    const AssembledModule& module = view.module;
    out += ",\"sequence\":[";
    for (size_t e = 0; e < module.sequence.size(); ++e) {
        const SequenceEntry& entry = module.sequence[e];
        out += e ? ",{" : "{";
        out += "\"line\":" + std::to_string(entry.line);
        Number(out, "speed", entry.bytes[12]);
        Span(out, "speedAt", entry.speedText);
        Number(out, "copy", entry.repeatIndex);
        Span(out, "repeatAt", entry.repeatText);
        out += ",\"voices\":[";
        for (int v = 0; v < 4; ++v) {
            const size_t at = static_cast<size_t>(3 * v);
            const size_t slot = entry.bytes[at];
            out += v ? ",{" : "{";
            out += "\"pattern\":";
            AppendJsonString(out, slot < module.patterns.size() ? module.patterns[slot].name : "");
            Number(out, "transpose", static_cast<int8_t>(entry.bytes[at + 1]));
            Number(out, "soundTranspose", static_cast<int8_t>(entry.bytes[at + 2]));
            Span(out, "at", entry.voiceText[v]);
            out += '}';
        }
        out += "]}";
    }
    out += ']';
}

void PatternsJson(std::string& out, const SongView& view) {
    const AssembledModule& module = view.module;
    auto volName = [&](int slot) {
        return slot >= 0 && slot < static_cast<int>(module.volMacros.size())
                   ? module.volMacros[static_cast<size_t>(slot)].name : std::string();
    };
    out += ",\"patterns\":[";
    for (size_t p = 0; p < module.patterns.size(); ++p) {
        const Pattern& pattern = module.patterns[p];
        OpenNamed(out, p == 0, pattern.name);
        Field(out, "inst", volName(pattern.defaultInstrument));
        Number(out, "rows", pattern.rows);
        Number(out, "block", static_cast<long>(view.patternBlocks[p]));
        out += ",\"lines\":[";
        for (size_t l = 0; l < pattern.lines.size(); ++l) {
            const PatternLine& line = pattern.lines[l];
            static const char* const portas[] = {"", "up", "down", "off"};
            out += l ? ",{" : "{";
            out += "\"row\":" + std::to_string(line.firstRow);
            Number(out, "count", line.count);
            Field(out, "note", line.isEnd ? "end" : line.note ? NoteName(line.note) : "---");
            Field(out, "instrument", volName(line.instrument));
            out += line.instrumentWritten ? ",\"written\":true" : ",\"written\":false";
            Field(out, "porta", portas[static_cast<int>(line.porta)]);
            Number(out, "amount", line.portaAmount);
            Span(out, "at", line.text);
            Span(out, "noteAt", line.noteText);
            Span(out, "instrumentAt", line.instrumentText);
            Span(out, "portaAt", line.portaText);
            Span(out, "repeatAt", line.repeatText);
            out += '}';
        }
        out += "]}";
    }
    out += ']';
}

void StepsJson(std::string& out, const MacroView& macro) {
    out += ",\"steps\":[";
    for (size_t s = 0; s < macro.steps.size(); ++s) {
        const MacroStepView& step = macro.steps[s];
        out += s ? ",{\"op\":" : "{\"op\":";
        AppendJsonString(out, step.op);
        Numbers(out, "values", step.values);
        Span(out, "at", step.text);
        if (step.label.line != 0) Span(out, "labelAt", step.label);
        if (!step.target.empty()) Field(out, "target", step.target);
        if (step.fixedNote) out += ",\"fixed\":true";
        out += '}';
    }
    out += ']';
}

void MacrosJson(std::string& out, const SongView& view) {
    const AssembledModule& module = view.module;
    out += ",\"freq\":[";
    for (size_t m = 0; m < module.freqMacros.size(); ++m) {
        OpenNamed(out, m == 0, module.freqMacros[m].name);
        Number(out, "block", static_cast<long>(view.freqBlocks[m]));
        StepsJson(out, view.freqMacros[m]);
        out += '}';
    }
    out += "],\"vol\":[";
    for (size_t m = 0; m < module.volMacros.size(); ++m) {
        const Macro& macro = module.volMacros[m];
        OpenNamed(out, m == 0, macro.name);
        Number(out, "block", static_cast<long>(view.volBlocks[m]));
        const size_t freq = static_cast<size_t>(macro.frequencyMacro);
        Field(out, "freq", freq < module.freqMacros.size() ? module.freqMacros[freq].name : "");
        Number(out, "speed", macro.bytes[0]);
        const int vibrato[] = {macro.bytes[2], macro.bytes[3], macro.bytes[4]};
        Numbers(out, "vibrato", vibrato);
        StepsJson(out, view.volMacros[m]);
        out += '}';
    }
    out += ']';
}

void SoundsJson(std::string& out, const SongView& view) {
    out += ",\"sounds\":[";
    bool first = true;
    auto sound = [&](const SoundData& data, int entry, size_t block, const char* kind) {
        OpenNamed(out, first, data.name);
        first = false;
        Number(out, "entry", entry);
        Field(out, "kind", kind);
        Number(out, "block", static_cast<long>(block));
        Number(out, "words", data.Words());
        Number(out, "repeatStart", data.repeatStart);
        Number(out, "repeatWords", data.repeatWords);
        Numbers(out, "values", data.bytes);
        out += '}';
    };
    const AssembledModule& module = view.module;
    for (size_t s = 0; s < module.samples.size(); ++s)
        sound(module.samples[s], static_cast<int>(s), view.sampleBlocks[s], "sample");
    for (size_t w = 0; w < module.waves.size(); ++w)
        sound(module.waves[w], FirstWaveEntry + static_cast<int>(w), view.waveBlocks[w], "wave");
    out += ']';
}

}  // namespace

bool AssembleSongView(const std::string& text, ProblemLog& problems, SongView& view) {
    view = SongView{};
    std::vector<SourceBlock> blocks;
    if (!AssembleSource(text, problems, view.module, &blocks)) {
        view = SongView{};
        return false;
    }
    for (const SourceBlock& block : blocks) {
        const size_t index = view.blocks.size();
        const bool named = block.kind != BlockKind::Format && block.kind != BlockKind::Sequence &&
                           block.kind != BlockKind::Raw;
        view.blocks.push_back({block.kind, named && block.header.tokens.size() > 1 ? block.header.tokens[1] : "",
                               block.header.Span(0, block.header.tokens.size()), block.lastLine});
        switch (block.kind) {
        case BlockKind::Pattern: view.patternBlocks.push_back(index); break;
        case BlockKind::Freq: view.freqBlocks.push_back(index); break;
        case BlockKind::Vol: view.volBlocks.push_back(index); break;
        case BlockKind::Sample: view.sampleBlocks.push_back(index); break;
        case BlockKind::Wave: view.waveBlocks.push_back(index); break;
        default: break;
        }
    }
    const AssembledModule& module = view.module;
    view.soundNames.assign(SelectableEntries, "");
    for (size_t s = 0; s < module.samples.size(); ++s) view.soundNames[s] = module.samples[s].name;
    for (size_t w = 0; w < module.waves.size() && FirstWaveEntry + w < view.soundNames.size(); ++w)
        view.soundNames[FirstWaveEntry + w] = module.waves[w].name;
    if (module.format == ModuleFormat::Smod) {
        for (int w = 0; w < BuiltinWaveformCount && FirstWaveEntry + w < SelectableEntries; ++w)
            view.soundNames[static_cast<size_t>(FirstWaveEntry + w)] = "builtin" + std::to_string(w);
    }
    std::vector<std::string> freqNames;
    for (const Macro& macro : module.freqMacros) freqNames.push_back(macro.name);
    for (const Macro& macro : module.freqMacros) view.freqMacros.push_back(DecodeMacro(macro, view.soundNames, freqNames));
    for (const Macro& macro : module.volMacros) view.volMacros.push_back(DecodeMacro(macro, view.soundNames, freqNames));
    return true;
}

std::string SongViewAsJson(const SongView& view) {
    std::string out = "{\"format\":";
    out += view.module.format == ModuleFormat::Fc14 ? "\"FC14\"" : "\"SMOD\"";
    out += ",\"blocks\":[";
    for (size_t b = 0; b < view.blocks.size(); ++b) {
        const SongBlockView& block = view.blocks[b];
        out += b ? ",{\"kind\":" : "{\"kind\":";
        AppendJsonString(out, KindName(block.kind));
        Field(out, "name", block.name);
        Span(out, "header", block.header);
        const int lines[] = {block.header.line, block.lastLine};
        Numbers(out, "lines", lines);
        out += '}';
    }
    out += ']';
    SequenceJson(out, view);
    PatternsJson(out, view);
    MacrosJson(out, view);
    SoundsJson(out, view);
    out += '}';
    return out;
}
