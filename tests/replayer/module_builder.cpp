#include "module_builder.h"
#include <cstring>

namespace {
void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}
void PutU16(std::vector<uint8_t>& image, size_t at, uint16_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value);
}
void Append(std::vector<uint8_t>& image, const std::vector<Slot>& slots) {
    for (const Slot& slot : slots) image.insert(image.end(), slot.begin(), slot.end());
}
}  // namespace

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
    std::vector<uint8_t> image(FixedPartBytes(), 0);
    std::memcpy(image.data(), magic.data(), 4);
    for (int i = 0; i < 10; ++i) {
        PutU16(image, 40 + 6 * i, samples[i].length);
        PutU16(image, 42 + 6 * i, samples[i].repeatStart);
        PutU16(image, 44 + 6 * i, samples[i].repeatLength);
    }
    if (magic == "FC14") std::memcpy(image.data() + 100, waveformLengths, 80);
    PutU32(image, 4, static_cast<uint32_t>(sequence.size() * 13));
    for (const auto& entry : sequence) image.insert(image.end(), entry.begin(), entry.end());
    PutU32(image, 8, static_cast<uint32_t>(image.size()));
    PutU32(image, 12, static_cast<uint32_t>(patterns.size() * 64));
    Append(image, patterns);
    PutU32(image, 16, static_cast<uint32_t>(image.size()));
    PutU32(image, 20, static_cast<uint32_t>(frequencyMacros.size() * 64));
    Append(image, frequencyMacros);
    PutU32(image, 24, static_cast<uint32_t>(image.size()));
    PutU32(image, 28, static_cast<uint32_t>(volumeMacros.size() * 64));
    Append(image, volumeMacros);
    PutU32(image, 32, static_cast<uint32_t>(image.size()));
    std::vector<uint8_t> data = sampleData;
    if (data.empty()) {
        size_t bytes = 0;
        for (const SampleDescriptor& sample : samples)
            if (sample.length > 1) bytes += sample.length * 2u + 2u;
        if (magic == "FC14")
            for (uint8_t length : waveformLengths)
                if (length > 1) bytes += (length > 128 ? 128u : length) * 2u;
        for (size_t i = 0; i < bytes; ++i) data.push_back(static_cast<uint8_t>(i));
    }
    PutU32(image, 36, static_cast<uint32_t>(image.size()));
    image.insert(image.end(), data.begin(), data.end());
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

