#include "assembler.h"
#include "replayer/module_writer.h"

std::vector<uint8_t> BuildModuleImage(const AssembledModule& module) {
    ModuleParts parts;
    parts.fc14 = module.format == ModuleFormat::Fc14;
    for (const SequenceEntry& entry : module.sequence) parts.sequence.push_back(entry.bytes);
    for (const Pattern& pattern : module.patterns) parts.patterns.push_back(pattern.bytes);
    for (const Macro& macro : module.freqMacros) parts.frequencyMacros.push_back(macro.bytes);
    for (const Macro& macro : module.volMacros) parts.volumeMacros.push_back(macro.bytes);

    // Unused sample slots are empty with a one-word loop: "play once".
    for (ModuleParts::Sample& slot : parts.samples) slot = {0, 0, 1};
    std::vector<uint8_t>& data = parts.sampleData;
    for (size_t s = 0; s < module.samples.size() && s < 10; ++s) {
        const SoundData& sample = module.samples[s];
        const auto words = static_cast<uint16_t>(sample.bytes.size() / 2);
        parts.samples[s] = {words, sample.repeatStart, sample.repeatWords};
        if (words > 1) {
            data.insert(data.end(), sample.bytes.begin(), sample.bytes.end());
            data.insert(data.end(), {0, 0});
        }
    }
    for (size_t w = 0; parts.fc14 && w < module.waves.size() && w < 80; ++w) {
        const SoundData& wave = module.waves[w];
        parts.waveformLengths[w] = static_cast<uint8_t>(wave.bytes.size() / 2);
        data.insert(data.end(), wave.bytes.begin(), wave.bytes.end());
    }
    return WriteModule(parts);
}
