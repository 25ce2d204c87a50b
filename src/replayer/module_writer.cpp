#include "replayer/module_writer.h"

#include <cstring>

namespace {

void PutU16(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value);
}

void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    PutU16(image, at, value >> 16);
    PutU16(image, at + 2, value & 0xFFFF);
}

// Appends the slots and returns where they start.
template <size_t N>
uint32_t Append(std::vector<uint8_t>& image, const std::vector<std::array<uint8_t, N>>& slots) {
    const auto at = static_cast<uint32_t>(image.size());
    for (const auto& slot : slots) image.insert(image.end(), slot.begin(), slot.end());
    return at;
}

}  // namespace

std::vector<uint8_t> WriteModule(const ModuleParts& parts) {
    std::vector<uint8_t> image(parts.fc14 ? 180 : 100, 0);
    std::memcpy(image.data(), parts.fc14 ? "FC14" : "SMOD", 4);
    uint32_t sampleBytes = 0;
    for (size_t i = 0; i < 10; ++i) {
        const ModuleParts::Sample& sample = parts.samples[i];
        PutU16(image, 40 + 6 * i, sample.length);
        PutU16(image, 42 + 6 * i, sample.repeatStart);
        PutU16(image, 44 + 6 * i, sample.repeatLength);
        if (sample.length > 1) sampleBytes += sample.length * 2u + 2u;
    }
    if (parts.fc14) std::memcpy(image.data() + 100, parts.waveformLengths, 80);

    Append(image, parts.sequence);
    PutU32(image, 4, static_cast<uint32_t>(parts.sequence.size() * 13));
    PutU32(image, 8, Append(image, parts.patterns));
    PutU32(image, 12, static_cast<uint32_t>(parts.patterns.size() * 64));
    PutU32(image, 16, Append(image, parts.frequencyMacros));
    PutU32(image, 20, static_cast<uint32_t>(parts.frequencyMacros.size() * 64));
    PutU32(image, 24, Append(image, parts.volumeMacros));
    PutU32(image, 28, static_cast<uint32_t>(parts.volumeMacros.size() * 64));
    const auto sampleOffset = static_cast<uint32_t>(image.size());
    PutU32(image, 32, sampleOffset);
    PutU32(image, 36, sampleOffset + sampleBytes);
    image.insert(image.end(), parts.sampleData.begin(), parts.sampleData.end());
    return image;
}
