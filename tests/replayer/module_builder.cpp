#include "module_builder.h"

#include <cstddef>

ModuleBuilder& ModuleBuilder::Entry(std::initializer_list<uint8_t> patternPerVoice, uint8_t speed,
                                    int8_t noteTranspose, int8_t soundTranspose) {
    std::array<uint8_t, module_format::SequenceEntryBytes> entry{};
    std::vector<uint8_t> given(patternPerVoice);
    for (int v = 0; v < 4; ++v) {
        entry[3 * v] = given.size() == 1 ? given[0] : given.at(v);
        entry[3 * v + 1] = static_cast<uint8_t>(noteTranspose);
        entry[3 * v + 2] = static_cast<uint8_t>(soundTranspose);
    }
    entry[module_format::SequenceSpeedByte] = speed;
    sequence.push_back(entry);
    return *this;
}

std::vector<uint8_t> ModuleBuilder::Build() const {
    ModuleParts parts = *this;
    if (parts.sampleData.empty()) {
        size_t bytes = 0;
        for (const SampleDescriptor& sample : samples) bytes += module_format::SampleRoomBytes(sample.length);
        if (format == module_format::Format::Fc14)
            for (uint8_t length : waveformLengths) bytes += module_format::WaveformRoomBytes(length);
        for (size_t i = 0; i < bytes; ++i) parts.sampleData.push_back(static_cast<uint8_t>(i));
    }
    return WriteModule(parts);
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

