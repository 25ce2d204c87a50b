#include "assembler.h"

namespace {

void PutU16(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value);
}

void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    PutU16(image, at, value >> 16);
    PutU16(image, at + 2, value & 0xFFFF);
}

template <typename Slots>
void AppendSlots(std::vector<uint8_t>& image, const Slots& slots) {
    for (const auto& slot : slots) image.insert(image.end(), slot.bytes.begin(), slot.bytes.end());
}

}  // namespace

std::vector<uint8_t> BuildModuleImage(const AssembledModule& module) {
    const bool fc14 = module.format == ModuleFormat::Fc14;
    const size_t fixedPart = fc14 ? 180 : 100;
    std::vector<uint8_t> image(fixedPart, 0);
    const char* magic = fc14 ? "FC14" : "SMOD";
    for (int i = 0; i < 4; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>(magic[i]);

    for (const SequenceEntry& entry : module.sequence)
        image.insert(image.end(), entry.bytes.begin(), entry.bytes.end());
    PutU32(image, 4, static_cast<uint32_t>(module.sequence.size() * 13));

    PutU32(image, 8, static_cast<uint32_t>(image.size()));
    PutU32(image, 12, static_cast<uint32_t>(module.patterns.size() * 64));
    AppendSlots(image, module.patterns);
    PutU32(image, 16, static_cast<uint32_t>(image.size()));
    PutU32(image, 20, static_cast<uint32_t>(module.freqMacros.size() * 64));
    AppendSlots(image, module.freqMacros);
    PutU32(image, 24, static_cast<uint32_t>(image.size()));
    PutU32(image, 28, static_cast<uint32_t>(module.volMacros.size() * 64));
    AppendSlots(image, module.volMacros);

    // Each sample is followed by two spare bytes, which the loader's running
    // offset counts; the waveforms follow the last sample without a gap.
    const size_t sampleOffset = image.size();
    PutU32(image, 32, static_cast<uint32_t>(sampleOffset));
    for (size_t s = 0; s < 10; ++s) {
        const size_t at = 40 + 6 * s;
        if (s >= module.samples.size()) {
            PutU16(image, at + 4, 1);
            continue;
        }
        const SoundData& sample = module.samples[s];
        PutU16(image, at, static_cast<uint32_t>(sample.bytes.size() / 2));
        PutU16(image, at + 2, sample.repeatStart);
        PutU16(image, at + 4, sample.repeatWords);
        image.insert(image.end(), sample.bytes.begin(), sample.bytes.end());
        image.push_back(0);
        image.push_back(0);
    }
    PutU32(image, 36, static_cast<uint32_t>(image.size()));
    if (fc14) {
        for (size_t w = 0; w < module.waves.size(); ++w) {
            const SoundData& wave = module.waves[w];
            image[100 + w] = static_cast<uint8_t>(wave.bytes.size() / 2);
            image.insert(image.end(), wave.bytes.begin(), wave.bytes.end());
        }
    }
    return image;
}
