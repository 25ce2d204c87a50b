#include "module_builder.h"
#include <algorithm>
#include <cstring>
#include <iterator>

ModuleBuilder& ModuleBuilder::Entry(std::initializer_list<uint8_t> patternPerVoice, uint8_t speed,
                                    int8_t noteTranspose, int8_t soundTranspose) {
    std::array<uint8_t, 13> entry{};
    std::vector<uint8_t> given(patternPerVoice);
    for (int v = 0; v < 4; ++v) {
        entry[3 * v] = given.size() == 1 ? given[0] : given.at(v);
        entry[3 * v + 1] = static_cast<uint8_t>(noteTranspose);
        entry[3 * v + 2] = static_cast<uint8_t>(soundTranspose);
    }
    entry[12] = speed;
    sequence.push_back(entry);
    return *this;
}

std::vector<uint8_t> ModuleBuilder::Build() const {
    ModuleParts parts;
    parts.fc14 = magic == "FC14";
    parts.sequence = sequence;
    parts.patterns = patterns;
    parts.frequencyMacros = frequencyMacros;
    parts.volumeMacros = volumeMacros;
    std::copy(std::begin(samples), std::end(samples), parts.samples);
    std::memcpy(parts.waveformLengths, waveformLengths, sizeof waveformLengths);
    parts.sampleData = sampleData;
    if (parts.sampleData.empty()) {
        size_t bytes = 0;
        for (const SampleDescriptor& sample : samples)
            if (sample.length > 1) bytes += sample.length * 2u + 2u;
        if (parts.fc14)
            for (uint8_t length : waveformLengths)
                if (length > 1) bytes += (length > 128 ? 128u : length) * 2u;
        for (size_t i = 0; i < bytes; ++i) parts.sampleData.push_back(static_cast<uint8_t>(i));
    }
    std::vector<uint8_t> image = WriteModule(parts);
    // Any tag, so tests can feed the loader unknown ones.
    std::memcpy(image.data(), magic.data(), 4);
    return image;
}

Slot Pattern(std::initializer_list<std::pair<uint8_t, uint8_t>> rows) {
    Slot slot{};
    size_t at = 0;
    for (const auto& [note, info] : rows) {
        slot.at(at) = note;
        slot.at(at + 1) = info;
        at += 2;
    }
    return slot;
}

Slot Bytes(std::initializer_list<uint8_t> bytes) {
    Slot slot{};
    size_t at = 0;
    for (uint8_t byte : bytes) slot.at(at++) = byte;
    return slot;
}

Slot VolumeMacro(uint8_t speed, uint8_t frequencyMacro, std::initializer_list<uint8_t> body,
                 uint8_t vibratoSpeed, uint8_t vibratoDepth, uint8_t vibratoDelay) {
    Slot slot{speed, frequencyMacro, vibratoSpeed, vibratoDepth, vibratoDelay};
    size_t at = 5;
    for (uint8_t byte : body) slot.at(at++) = byte;
    return slot;
}

