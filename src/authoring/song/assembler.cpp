#include "assembler.h"

#include <cstdio>

#include "replayer/replayer.h"
#include "source_values.h"

namespace {

// Records a block's name in `table`, rejecting bad and repeated names and
// going past `limit` entries.
bool DeclareName(const SourceBlock& block, std::map<std::string, int>& table, int number, int limit,
                 const char* what, ProblemLog& problems) {
    const int line = block.header.number;
    if (block.header.tokens.size() < 2 || !IsName(block.header.tokens[1])) {
        problems.Error(line, std::string(what) + " needs a name (letters, digits, '_')");
        return false;
    }
    const std::string& name = block.header.tokens[1];
    if (table.count(name)) {
        problems.Error(line, std::string(what) + " name '" + name + "' is already used");
        return false;
    }
    if (number >= limit) {
        problems.Error(line, std::string("too many ") + what + "s: at most " + std::to_string(limit));
        return false;
    }
    table[name] = number;
    return true;
}

bool ReadFormat(const std::vector<SourceBlock>& blocks, ProblemLog& problems, ModuleFormat& format) {
    bool seen = false;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const SourceBlock& block = blocks[b];
        if (block.kind != BlockKind::Format) continue;
        const int line = block.header.number;
        if (seen || b != 0) {
            problems.Error(line, "format must be the first directive, and given once");
            return false;
        }
        seen = true;
        const auto& t = block.header.tokens;
        if (t.size() != 2 || (t[1] != "FC14" && t[1] != "SMOD") || !block.body.empty()) {
            problems.Error(line, "expected 'format FC14' or 'format SMOD'");
            return false;
        }
        format = t[1] == "FC14" ? ModuleFormat::Fc14 : ModuleFormat::Smod;
    }
    return true;
}

}  // namespace

bool AssembleSource(const std::string& text, ProblemLog& problems, AssembledModule& module,
                    std::vector<SourceBlock>* blocksRead) {
    std::vector<SourceBlock> ownBlocks;
    std::vector<SourceBlock>& blocks = blocksRead ? *blocksRead : ownBlocks;
    blocks = SplitBlocks(text, problems);
    if (!ReadFormat(blocks, problems, module.format)) return false;
    SymbolTables symbols;
    symbols.format = module.format;
    if (module.format == ModuleFormat::Smod) {
        for (int w = 0; w < BuiltinWaveformCount; ++w)
            symbols.soundEntries["builtin" + std::to_string(w)] = FirstWaveEntry + w;
    }
    // Names first, so that blocks may refer to blocks further down.
    int samples = 0, waves = 0, freqs = 0, vols = 0, patterns = 0;
    for (const SourceBlock& block : blocks) {
        switch (block.kind) {
        case BlockKind::Sample:
            if (DeclareName(block, symbols.soundEntries, samples, module_format::SampleCount, "sample",
                            problems))
                ++samples;
            break;
        case BlockKind::Wave:
            if (module.format == ModuleFormat::Smod) {
                problems.Error(block.header.number, "SMOD modules carry no waves; use the "
                                                       "built-in waveforms builtin0 .. builtin46");
            } else if (DeclareName(block, symbols.soundEntries, FirstWaveEntry + waves,
                                   FirstWaveEntry + module_format::Fc14WaveformCount, "wave",
                                   problems)) {
                ++waves;
            }
            break;
        case BlockKind::Freq:  // the volume macro header reads the number as signed
            if (DeclareName(block, symbols.freqMacros, freqs, 128, "freq macro", problems)) ++freqs;
            break;
        case BlockKind::Vol:  // slot 255 belongs to the replayer's silent macro
            if (DeclareName(block, symbols.volMacros, vols, 255, "vol macro", problems)) ++vols;
            break;
        case BlockKind::Pattern:  // the sequence reads pattern numbers as signed
            if (DeclareName(block, symbols.patterns, patterns, 128, "pattern", problems)) ++patterns;
            break;
        default:
            break;
        }
    }
    if (problems.HasErrors()) return false;

    int sequenceBlocks = 0;
    for (const SourceBlock& block : blocks) {
        switch (block.kind) {
        case BlockKind::Sample: module.samples.push_back(ReadSound(block, true, problems)); break;
        case BlockKind::Wave: module.waves.push_back(ReadSound(block, false, problems)); break;
        case BlockKind::Freq: module.freqMacros.push_back(ReadMacro(block, symbols, problems)); break;
        case BlockKind::Vol: module.volMacros.push_back(ReadMacro(block, symbols, problems)); break;
        case BlockKind::Pattern: module.patterns.push_back(ReadPattern(block, symbols, problems)); break;
        case BlockKind::Raw: ReadRaw(block, problems, module.raw); break;
        case BlockKind::Sequence:
            if (++sequenceBlocks > 1) {
                problems.Error(block.header.number, "a second sequence; a module has one");
            } else {
                module.sequence = ReadSequence(block, symbols, problems);
                if (module.sequence.empty() && !problems.HasErrors())
                    problems.Error(block.header.number, "the sequence has no entries");
                if (module.sequence.size() > 255)
                    problems.Error(block.header.number, "the sequence has " + std::to_string(module.sequence.size()) +
                                                               " entries; at most 255");
            }
            break;
        default: break;
        }
    }
    if (sequenceBlocks == 0) problems.Error(0, "no sequence: the song needs one");
    if (problems.HasErrors()) return false;

    CheckFrequencyFlow(module.freqMacros, problems);
    for (const Macro& macro : module.volMacros) CheckVolumeFlow(macro, problems);
    CheckSequence(module.sequence, module.patterns, module.freqMacros, module.volMacros, problems);
    long memory = SampleMemoryUsed(module);
    if (memory > SampleMemoryBytes)
        problems.Error(0, "samples and waves take " + std::to_string(memory) + " bytes; the replayer holds " +
                                 std::to_string(SampleMemoryBytes));
    return !problems.HasErrors();
}

std::vector<Problem> AssembleSource(const std::string& text, const std::string& fileName,
                                    AssembledModule& module) {
    ProblemLog problems(fileName);
    AssembleSource(text, problems, module);
    return problems.Problems();
}

long SampleMemoryUsed(const AssembledModule& module) {
    long bytes = 0;
    for (const SoundData& sample : module.samples) bytes += module_format::SampleRoomBytes(sample.Words());
    if (module.format == ModuleFormat::Smod) return bytes + BuiltinWaveformBytes;
    for (const SoundData& wave : module.waves) bytes += module_format::WaveformRoomBytes(wave.Words());
    return bytes;
}

std::string DescribeModule(const AssembledModule& module, size_t imageBytes) {
    long ticks = SongTicks(module.sequence, module.patterns);
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s, %zu bytes: %zu entries, %zu patterns, %zu freq macros, %zu vol macros, "
                  "%zu samples, %zu waves; %ld ticks = %.2f s per pass",
                  module.format == ModuleFormat::Fc14 ? "FC14" : "SMOD", imageBytes,
                  module.sequence.size(), module.patterns.size(), module.freqMacros.size(),
                  module.volMacros.size(), module.samples.size(), module.waves.size(), ticks,
                  static_cast<double>(ticks) / 50.0);
    return text;
}
