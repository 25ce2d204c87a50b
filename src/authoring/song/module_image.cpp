#include "assembler.h"
#include "replayer/module_writer.h"

std::vector<uint8_t> BuildModuleImage(const AssembledModule& module) {
    ModuleParts parts;
    parts.format = module.format;
    for (const SequenceEntry& entry : module.sequence) parts.sequence.push_back(entry.bytes);
    for (const Pattern& pattern : module.patterns) parts.patterns.push_back(pattern.bytes);
    for (const Macro& macro : module.freqMacros) parts.frequencyMacros.push_back(macro.bytes);
    for (const Macro& macro : module.volMacros) parts.volumeMacros.push_back(macro.bytes);

    // Unused sample slots are empty with a one-word loop: "play once".
    for (ModuleParts::Sample& slot : parts.samples) slot = {0, 0, 1};
    std::vector<ModuleSample> samples;
    for (const SoundData& sample : module.samples)
        samples.push_back({sample.bytes, sample.repeatStart, sample.repeatWords});
    std::vector<std::vector<int8_t>> waveforms;
    for (const SoundData& wave : module.waves) waveforms.push_back(wave.bytes);
    PackSounds(samples, waveforms, parts);
    std::vector<uint8_t> image = WriteModule(parts);
    ApplyRaw(module.raw, image);
    return image;
}
